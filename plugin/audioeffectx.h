// The 2.x layer of the effect adapter: MIDI events, host queries and
// opcodes 25-76. Operations the plug-in neither overrides nor calls answer
// as an effect that does not support them.
#pragma once

#include "plugin/audioeffect.h"

class AudioEffectX : public AudioEffect {
public:
    AudioEffectX(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
        : AudioEffect(audioMaster, numPrograms, numParams)
    {
    }

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;

    // Host callback wrappers.
    virtual void wantEvents(VstInt32 filter = 1);
    virtual VstInt32 processEvents(VstEvents* events) { (void)events; return 0; }
    virtual bool canParameterBeAutomated(VstInt32 index) { (void)index; return true; }
    virtual bool string2parameter(VstInt32 index, char* text) { (void)index; (void)text; return false; }
    virtual VstInt32 getNumCategories() { return 1; }
    virtual bool getProgramNameIndexed(VstInt32 category, VstInt32 index, char* text)
    {
        (void)category; (void)index; (void)text;
        return false;
    }
    virtual bool copyProgram(VstInt32 destination) { (void)destination; return false; }
    virtual bool ioChanged();
    virtual bool sizeWindow(VstInt32 width, VstInt32 height);
    virtual void inputConnected(VstInt32 index, bool state) { (void)index; (void)state; }
    virtual void outputConnected(VstInt32 index, bool state) { (void)index; (void)state; }
    virtual bool getInputProperties(VstInt32 index, VstPinProperties* properties)
    {
        (void)index; (void)properties;
        return false;
    }
    virtual bool getOutputProperties(VstInt32 index, VstPinProperties* properties)
    {
        (void)index; (void)properties;
        return false;
    }
    virtual VstPlugCategory getPlugCategory()
    {
        return (cEffect.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
    }
    virtual void setBlockSizeAndSampleRate(VstInt32 blockSize, float sampleRate)
    {
        this->blockSize = blockSize;
        this->sampleRate = sampleRate;
    }
    virtual bool setBypass(bool onOff) { (void)onOff; return false; }
    virtual bool getEffectName(char* name) { (void)name; return false; }
    virtual bool getErrorText(char* text) { (void)text; return false; }
    virtual bool getVendorString(char* text) { (void)text; return false; }
    virtual bool getProductString(char* text) { (void)text; return false; }
    virtual VstInt32 getVendorVersion() { return 0; }
    virtual VstIntPtr vendorSpecific(VstInt32 lArg, VstIntPtr lArg2, void* ptrArg, float floatArg)
    {
        (void)lArg; (void)lArg2; (void)ptrArg; (void)floatArg;
        return 0;
    }
    // 1 yes, -1 no, 0 don't know.
    virtual VstInt32 canDo(char* text) { (void)text; return 0; }
    virtual VstInt32 getGetTailSize() { return 0; }
    virtual bool keysRequired() { return false; }
    virtual VstInt32 getVstVersion() { return 2300; }

    virtual bool getHostVendorString(char* text);
    virtual bool getHostProductString(char* text);
    virtual VstInt32 getHostVendorVersion();
    // True unless the host answers 0 (an answer of -1 counts as true).
    virtual bool canHostDo(char* text);
    virtual void isSynth(bool state = true) { SetFlag(effFlagsIsSynth, state); }
    virtual void noTail(bool state = true) { SetFlag(effFlagsNoSoundInStop, state); }
    virtual void* getDirectory();
    virtual bool updateDisplay();
    // Tell the host that the user takes hold of the parameter's control
    // and lets go of it; the setParameterAutomated calls of the gesture lie
    // in between. True when the host answers.
    virtual bool beginEdit(VstInt32 index);
    virtual bool endEdit(VstInt32 index);

    // Passes an event block to the host; true only when the host answers 1.
    virtual bool sendVstEventsToHost(VstEvents* events);
};
