#include "plugin/audioeffect.h"

#include <cmath>
#include <cstdio>
#include <cstring>

VstIntPtr dispatchEffectClass(AEffect* e, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt)
{
    if (!e || !e->object)
        return 0;
    AudioEffect* effect = static_cast<AudioEffect*>(e->object);
    if (opcode == effClose) {
        effect->dispatcher(opcode, index, value, ptr, opt);
        delete effect;
        return 1;
    }
    return effect->dispatcher(opcode, index, value, ptr, opt);
}

float getParameterClass(AEffect* e, VstInt32 index)
{
    return static_cast<AudioEffect*>(e->object)->getParameter(index);
}

void setParameterClass(AEffect* e, VstInt32 index, float value)
{
    static_cast<AudioEffect*>(e->object)->setParameter(index, value);
}

void processClass(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    static_cast<AudioEffect*>(e->object)->process(inputs, outputs, sampleFrames);
}

void processClassReplacing(AEffect* e, float** inputs, float** outputs, VstInt32 sampleFrames)
{
    static_cast<AudioEffect*>(e->object)->processReplacing(inputs, outputs, sampleFrames);
}

AudioEffect::AudioEffect(audioMasterCallback audioMaster, VstInt32 numPrograms, VstInt32 numParams)
    : audioMaster(audioMaster), numPrograms(numPrograms), numParams(numParams)
{
    std::memset(&cEffect, 0, sizeof(cEffect));
    cEffect.magic = kEffectMagic;
    cEffect.dispatcher = dispatchEffectClass;
    cEffect.process = processClass;
    cEffect.setParameter = setParameterClass;
    cEffect.getParameter = getParameterClass;
    cEffect.numPrograms = numPrograms;
    cEffect.numParams = numParams;
    cEffect.numInputs = 1;
    cEffect.numOutputs = 2;
    cEffect.flags = 0;
    cEffect.ioRatio = 1.0f;
    cEffect.object = this;
    cEffect.uniqueID = kVstFourCC('N', 'o', 'E', 'f');
    cEffect.version = 1;
    cEffect.processReplacing = processClassReplacing;
}

AudioEffect::~AudioEffect() = default;

VstIntPtr AudioEffect::CallHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    return audioMaster ? audioMaster(&cEffect, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value)
{
    setParameter(index, value);
    CallHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    // Hosts sometimes pass null buffers; text opcodes then do nothing.
    switch (opcode) {
    case effOpen: open(); return 0;
    case effClose: close(); return 0;
    case effSetProgram:
        if (value >= 0 && value < numPrograms)
            setProgram((VstInt32)value);
        return 0;
    case effGetProgram: return getProgram();
    case effSetProgramName: if (ptr) setProgramName((char*)ptr); return 0;
    case effGetProgramName: if (ptr) getProgramName((char*)ptr); return 0;
    case effGetParamLabel: if (ptr) getParameterLabel(index, (char*)ptr); return 0;
    case effGetParamDisplay: if (ptr) getParameterDisplay(index, (char*)ptr); return 0;
    case effGetParamName: if (ptr) getParameterName(index, (char*)ptr); return 0;
    case effGetVu: return (VstIntPtr)(getVu() * 32767.0f);
    case effSetSampleRate: setSampleRate(opt); return 0;
    case effSetBlockSize: setBlockSize((VstInt32)value); return 0;
    case effMainsChanged:
        if (value == 0)
            suspend();
        else
            resume();
        return 0;
    // The editor opcodes are the plug-in base's (SPlugin::dispatcher).
    case effIdentify: return kVstFourCC('N', 'v', 'E', 'f');
    case effGetChunk: return ptr ? getChunk((void**)ptr, index != 0) : 0;
    case effSetChunk: return setChunk(ptr, (VstInt32)value, index != 0);
    default: return 0;
    }
}

VstInt32 AudioEffect::getMasterVersion()
{
    VstInt32 version = (VstInt32)CallHost(audioMasterVersion);
    return version ? version : 1;
}

VstInt32 AudioEffect::getCurrentUniqueId()
{
    return (VstInt32)CallHost(audioMasterCurrentId);
}

void AudioEffect::masterIdle()
{
    CallHost(audioMasterIdle);
}

bool AudioEffect::isInputConnected(VstInt32 input)
{
    return CallHost(audioMasterPinConnected, input, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 output)
{
    return CallHost(audioMasterPinConnected, output, 1) == 0;
}

void AudioEffect::dB2string(float value, char* text)
{
    if (value <= 0)
        std::strcpy(text, "-oo");
    else
        float2string((float)(20.0 * std::log10(value)), text);
}

void AudioEffect::Hz2string(float samples, char* text)
{
    float rate = getSampleRate();
    if (!samples)
        float2string(0, text);
    else
        float2string(rate / samples, text);
}

void AudioEffect::ms2string(float samples, char* text)
{
    float2string((float)(samples * 1000.0 / getSampleRate()), text);
}

void AudioEffect::float2string(float value, char* text)
{
    std::snprintf(text, kVstMaxParamStrLen + 1, "%.2f", value);
}

void AudioEffect::long2string(long value, char* text)
{
    if (value >= 100000000 || value <= -10000000) {
        std::strcpy(text, "Huge!");
        return;
    }
    std::snprintf(text, kVstMaxParamStrLen + 1, "%ld", value);
}
