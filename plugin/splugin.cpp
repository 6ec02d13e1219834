#include "plugin/splugin.h"

#include "kova/gui/connection.h"
#include "kova/gui/globals.h"
#include "kova/system/filepath.h"
#include "plugin/aeffeditor.h"
#include "plugin/identity.h"

#include <cstring>

namespace {

const char* const kCanDo[] = {"sendVstMidiEvent", "sendVstEvents", "receiveVstEvents",
                              "receiveVstMidiEvent", "receiveVstTimeInfo"};

}  // namespace

SPlugin::SPlugin(audioMasterCallback audioMaster)
    : AudioEffectX(audioMaster, tessaro::kNumPrograms, tessaro::kNumParams)
{
    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = tessaro::kEditorHeight;
    editorRect.right = tessaro::kEditorWidth;

    isSynth(true);
    setUniqueID(tessaro::kUniqueID);
    cEffect.version = tessaro::kVersion;
    setNumInputs(tessaro::kNumInputs);
    setNumOutputs(tessaro::kNumOutputs);
    canProcessReplacing(true);
    hasVu(false);
    hasClip(false);
    programsAreChunks(true);
    canMono(true);
    suspended = true;
}

SPlugin::~SPlugin()
{
    // The editor goes first: it closes its window and deletes its controls,
    // which still use the globals.
    delete editor;
    editor = nullptr;
    pluginEditor = nullptr;
    delete effectName;
    delete pluginDirectory;
    delete globals;
}

VstIntPtr SPlugin::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    switch (opcode) {
    case effEditGetRect:
        if (!ptr)
            return 0;
        *(ERect**)ptr = &editorRect;
        return 1;
    case effEditOpen: {
        if (!ptr)
            return 0;
        Display* none = nullptr;
        if (value)
            dp.compare_exchange_strong(none, (Display*)value);
        if (editor)
            editor->open(ptr);
        return 1;
    }
    case effEditClose:
        if (editor)
            editor->close();
        return 1;
    case effEditIdle:
        return 0;
    default:
        return AudioEffectX::dispatcher(opcode, index, value, ptr, opt);
    }
}

void SPlugin::suspend()
{
    suspended = true;
}

void SPlugin::resume()
{
    if (!effectName) {
        effectName = new kova::data::datastring<32, char>();
        char buffer[128] = {};
        getEffectName(buffer);
        effectName->Append(buffer);
    }
    if (!pluginDirectory) {
        pluginDirectory = new kova::data::datastring<32, char>();
        if (const char* path = (const char*)getDirectory()) {
            char buffer[512] = {};
            kova::system::SFilePath::GetDir(buffer, path, -1);
            pluginDirectory->Append(buffer);
        }
    }
    wantEvents(1);
    suspended = false;
}

bool SPlugin::getInputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

bool SPlugin::getOutputProperties(VstInt32, VstPinProperties*)
{
    return false;
}

bool SPlugin::getEffectName(char* name)
{
    std::strcpy(name, tessaro::kProductName);
    return true;
}

bool SPlugin::getVendorString(char* text)
{
    std::strcpy(text, tessaro::kVendorName);
    return true;
}

bool SPlugin::getProductString(char* text)
{
    std::strcpy(text, tessaro::kProductName);
    return true;
}

VstInt32 SPlugin::getVendorVersion()
{
    return tessaro::kVendorVersion;
}

VstInt32 SPlugin::canDo(char* text)
{
    for (const char* capability : kCanDo)
        if (std::strcmp(text, capability) == 0)
            return 1;
    return -1;
}
