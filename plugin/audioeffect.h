// The class side of the VST 2 effect adapter: AudioEffect owns the AEffect
// record handed to the host and routes opcodes 0-24 to virtual operations.
#pragma once

#include "plugin/vst/aeffectx.h"

class AEffEditor;

class AudioEffect {
public:
    AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams);
    virtual ~AudioEffect();

    virtual void setParameter(VstInt32 index, float value) { (void)index; (void)value; }
    virtual float getParameter(VstInt32 index) { (void)index; return 0; }
    // Sets the parameter, then tells the host so that it records the change.
    virtual void setParameterAutomated(VstInt32 index, float value);

    virtual void process(float** inputs, float** outputs, VstInt32 sampleFrames) = 0;
    virtual void processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames)
    {
        (void)inputs; (void)outputs; (void)sampleFrames;
    }

    virtual VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

    virtual void open() {}
    virtual void close() {}
    virtual VstInt32 getProgram() { return curProgram; }
    virtual void setProgram(VstInt32 program) { curProgram = program; }
    virtual void setProgramName(char* name) { (void)name; }
    virtual void getProgramName(char* name) { if (name) *name = 0; }
    virtual void getParameterLabel(VstInt32 index, char* label) { (void)index; if (label) *label = 0; }
    virtual void getParameterDisplay(VstInt32 index, char* text) { (void)index; if (text) *text = 0; }
    virtual void getParameterName(VstInt32 index, char* text) { (void)index; if (text) *text = 0; }
    virtual float getVu() { return 0; }
    virtual VstInt32 getChunk(void** data, bool isPreset = false) { (void)data; (void)isPreset; return 0; }
    virtual VstInt32 setChunk(void* data, VstInt32 byteSize, bool isPreset = false)
    {
        (void)data; (void)byteSize; (void)isPreset;
        return 0;
    }
    virtual void setSampleRate(float sampleRate) { this->sampleRate = sampleRate; }
    virtual void setBlockSize(VstInt32 blockSize) { this->blockSize = blockSize; }
    virtual void suspend() {}
    virtual void resume() {}

    virtual void setUniqueID(VstInt32 id) { cEffect.uniqueID = id; }
    virtual void setNumInputs(VstInt32 inputs) { cEffect.numInputs = inputs; }
    virtual void setNumOutputs(VstInt32 outputs) { cEffect.numOutputs = outputs; }
    virtual void hasVu(bool state = true) { SetFlag(effFlagsHasVu, state); }
    virtual void hasClip(bool state = true) { SetFlag(effFlagsHasClip, state); }
    virtual void canMono(bool state = true) { SetFlag(effFlagsCanMono, state); }
    virtual void canProcessReplacing(bool state = true) { SetFlag(effFlagsCanReplacing, state); }
    virtual void programsAreChunks(bool state = true) { SetFlag(effFlagsProgramChunks, state); }
    virtual void setRealtimeQualities(VstInt32 qualities) { cEffect.realQualities = qualities; }
    virtual void setOfflineQualities(VstInt32 qualities) { cEffect.offQualities = qualities; }
    virtual void setInitialDelay(VstInt32 delay) { cEffect.initialDelay = delay; }

    virtual float getSampleRate() { return sampleRate; }
    virtual VstInt32 getBlockSize() { return blockSize; }
    // The host's version; 1 when the host answers 0.
    virtual VstInt32 getMasterVersion();
    virtual VstInt32 getCurrentUniqueId();
    virtual void masterIdle();
    virtual bool isInputConnected(VstInt32 input);
    virtual bool isOutputConnected(VstInt32 output);

    virtual void dB2string(float value, char* text);
    virtual void Hz2string(float samples, char* text);
    virtual void ms2string(float samples, char* text);
    virtual void float2string(float value, char* text);
    virtual void long2string(long value, char* text);

    AEffect* getAeffect() { return &cEffect; }
    AEffEditor* getEditorObject() { return editor; }

protected:
    void SetFlag(VstInt32 flag, bool state)
    {
        if (state)
            cEffect.flags |= flag;
        else
            cEffect.flags &= ~flag;
    }
    // Calls the host; 0 when there is no host callback.
    VstIntPtr CallHost(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0);

public:
    float sampleRate = 44100.0f;
    AEffEditor* editor = nullptr;  // the derived plug-in owns it
    audioMasterCallback audioMaster;
    VstInt32 numPrograms;
    VstInt32 numParams;
    VstInt32 curProgram = 0;
    VstInt32 blockSize = 1024;
    AEffect cEffect;
};

// The C callbacks stored in the AEffect record. Each finds the object through
// the record's object field.
VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);
float getParameterClass(AEffect* e, VstInt32 index);
void setParameterClass(AEffect* e, VstInt32 index, float value);
void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
void processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames);
