#include "plugin/splugin.h"

#include "kova/gui/connection.h"
#include "kova/system/filepath.h"
#include "plugin/hostidentity.h"
#include "plugin/identity.h"
#include "plugin/plugineditor.h"

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
}

SPlugin::~SPlugin()
{
    DestroyEditor();
}

void SPlugin::CreateEditor(SIPluginAccess& access, SEngineChangeBoard& changes, int& status)
{
    SIEditorFrame& frame = *this;
    pluginEditor = std::make_unique<SPluginEditor>(this, frame, access, changes, status);
    editor = pluginEditor.get();
    SetFlag(effFlagsHasEditor, true);
}

void SPlugin::DestroyEditor()
{
    // It closes its window and deletes its controls first.
    editor = nullptr;
    pluginEditor.reset();
}

const char* SPlugin::PluginHostName() const
{
    return pluginEditor ? HostName(pluginEditor->HostCode()) : "";
}

bool SPlugin::HostTakesGestures() const
{
    return pluginEditor && pluginEditor->HostTakesGestures();
}

const char* SPlugin::EffectName() const
{
    return effectName ? effectName->c_str() : nullptr;
}

const char* SPlugin::PluginDirectory() const
{
    return pluginDirectory ? pluginDirectory->c_str() : nullptr;
}

void SPlugin::HostStrings(char* vendor, char* product)
{
    getHostVendorString(vendor);
    getHostProductString(product);
}

int SPlugin::HostVendorVersion()
{
    return getHostVendorVersion();
}

void SPlugin::SetEditorRect(int width, int height)
{
    editorRect.top = 0;
    editorRect.left = 0;
    editorRect.bottom = (int16_t)height;
    editorRect.right = (int16_t)width;
}

bool SPlugin::HostSizesWindow()
{
    char sizeWindowCapability[] = "sizeWindow";
    return canHostDo(sizeWindowCapability);
}

bool SPlugin::SizeHostWindow(int width, int height)
{
    return sizeWindow(width, height);
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
        effectName = std::make_unique<kova::data::datastring<32, char>>();
        char buffer[128] = {};
        getEffectName(buffer);
        effectName->Append(buffer);
    }
    if (!pluginDirectory) {
        pluginDirectory = std::make_unique<kova::data::datastring<32, char>>();
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
