#include "plugin/audioeffectx.h"

#include "plugin/aeffeditor.h"

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effProcessEvents: return ptr ? processEvents((VstEvents*)ptr) : 0;
    case effCanBeAutomated: return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter: return ptr && string2parameter(index, (char*)ptr) ? 1 : 0;
    case effGetNumProgramCategories: return getNumCategories();
    case effGetProgramNameIndexed: return ptr && getProgramNameIndexed((VstInt32)value, index, (char*)ptr) ? 1 : 0;
    case effCopyProgram: return copyProgram(index) ? 1 : 0;
    case effConnectInput: inputConnected(index, value != 0); return 1;
    case effConnectOutput: outputConnected(index, value != 0); return 1;
    case effGetInputProperties: return ptr && getInputProperties(index, (VstPinProperties*)ptr) ? 1 : 0;
    case effGetOutputProperties: return ptr && getOutputProperties(index, (VstPinProperties*)ptr) ? 1 : 0;
    case effGetPlugCategory: return getPlugCategory();
    case effSetBlockSizeAndSampleRate: setBlockSizeAndSampleRate((VstInt32)value, opt); return 1;
    case effSetBypass: return setBypass(value != 0) ? 1 : 0;
    case effGetEffectName: return ptr && getEffectName((char*)ptr) ? 1 : 0;
    case effGetErrorText: return ptr && getErrorText((char*)ptr) ? 1 : 0;
    case effGetVendorString: return ptr && getVendorString((char*)ptr) ? 1 : 0;
    case effGetProductString: return ptr && getProductString((char*)ptr) ? 1 : 0;
    case effGetVendorVersion: return getVendorVersion();
    case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
    case effCanDo: return ptr ? canDo((char*)ptr) : 0;
    case effGetTailSize: return getGetTailSize();
    case effKeysRequired: return keysRequired() ? 0 : 1;
    case effGetVstVersion: return getVstVersion();
    case effEditKeyDown:
    case effEditKeyUp:
        if (editor) {
            VstKeyCode key{index, (unsigned char)value, (unsigned char)opt};
            return opcode == effEditKeyDown ? editor->onKeyDown(key) : editor->onKeyUp(key);
        }
        return -1;
    case effSetEditKnobMode: return editor ? editor->setKnobMode((int)value) : 0;
    default:
        if (opcode < effProcessEvents)
            return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
        return 0;
    }
}

void AudioEffectX::wantEvents(VstInt32 filter)
{
    CallHost(audioMasterWantMidi, 0, filter);
}

bool AudioEffectX::ioChanged()
{
    return CallHost(audioMasterIOChanged) != 0;
}

bool AudioEffectX::sizeWindow(VstInt32 width, VstInt32 height)
{
    return CallHost(audioMasterSizeWindow, width, height) != 0;
}

bool AudioEffectX::getHostVendorString(char* text)
{
    return CallHost(audioMasterGetVendorString, 0, 0, text) != 0;
}

bool AudioEffectX::getHostProductString(char* text)
{
    return CallHost(audioMasterGetProductString, 0, 0, text) != 0;
}

VstInt32 AudioEffectX::getHostVendorVersion()
{
    return (VstInt32)CallHost(audioMasterGetVendorVersion);
}

bool AudioEffectX::canHostDo(char* text)
{
    return CallHost(audioMasterCanDo, 0, 0, text) != 0;
}

void* AudioEffectX::getDirectory()
{
    return (void*)CallHost(audioMasterGetDirectory);
}

bool AudioEffectX::updateDisplay()
{
    return CallHost(audioMasterUpdateDisplay) != 0;
}

bool AudioEffectX::beginEdit(VstInt32 index)
{
    return CallHost(audioMasterBeginEdit, index) != 0;
}

bool AudioEffectX::endEdit(VstInt32 index)
{
    return CallHost(audioMasterEndEdit, index) != 0;
}

bool AudioEffectX::sendVstEventsToHost(VstEvents* events)
{
    return CallHost(audioMasterProcessEvents, 0, 0, events) == 1;
}
