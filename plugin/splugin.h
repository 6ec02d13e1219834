// The plug-in base between the effect adapter and the VST 2 plug-in: identity
// and capabilities towards the host, the editor opcodes, the suspended and
// editor-closed states, and the lock shared with the editor. The plug-in
// gives it its editor and the globals of the editor's windows; the base
// deletes both, the editor first.
#pragma once

#include "kova/data/datastring.h"
#include "kova/threading/mutex.h"
#include "plugin/audioeffectx.h"

#include <atomic>

class SGlobals;
class SPluginEditor;

class SPlugin : public AudioEffectX {
public:
    explicit SPlugin(audioMasterCallback audioMaster);
    ~SPlugin() override;

    VstIntPtr dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) override;
    void open() override {}
    void close() override {}
    void setSampleRate(float rate) override { sampleRate = rate; }
    void setBlockSize(VstInt32 size) override { blockSize = size; }
    void suspend() override;
    void resume() override;
    bool getInputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getOutputProperties(VstInt32 index, VstPinProperties* properties) override;
    bool getEffectName(char* name) override;
    bool getVendorString(char* text) override;
    bool getProductString(char* text) override;
    VstInt32 getVendorVersion() override;
    VstInt32 canDo(char* text) override;

    // The editor when its window is open, else null. Reads the editor-closed
    // flag atomically, so the audio thread never waits for the editor's lock.
    SPluginEditor* OpenEditor() const
    {
        return editorClosed.load(std::memory_order_acquire) ? nullptr : pluginEditor;
    }

    // Written by the editor under pluginLock; read anywhere.
    std::atomic<bool> editorClosed{true};
    // Written by effMainsChanged; read by the audio thread.
    std::atomic<bool> suspended{true};
    // Set by the plug-in; owned through AudioEffect::editor.
    SPluginEditor* pluginEditor = nullptr;
    ERect editorRect;
    SGlobals* globals = nullptr;  // owned
    kova::data::datastring<32, char>* effectName = nullptr;
    kova::data::datastring<32, char>* pluginDirectory = nullptr;
    kova::threading::SMutexOS pluginLock;
};
