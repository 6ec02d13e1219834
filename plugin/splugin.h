// The plug-in base between the effect adapter and the VST 2 plug-in:
// identity and capabilities towards the host, the editor opcodes and the
// suspended state. It owns the editor, which the derived plug-in creates
// (CreateEditor) for what its panel shows, and is the frame the editor
// reaches the host through (SIEditorFrame).
#pragma once

#include "kova/data/datastring.h"
#include "plugin/audioeffectx.h"
#include "plugin/editorframe.h"

#include <atomic>
#include <memory>

class SEngineChangeBoard;
class SIPluginAccess;
class SPluginEditor;

class SPlugin : public AudioEffectX, private SIEditorFrame {
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

    // True from creation and after effMainsChanged off; read by the audio
    // thread.
    bool IsSuspended() const { return suspended.load(std::memory_order_acquire); }
    // The editor; null before CreateEditor and after DestroyEditor.
    SPluginEditor* Editor() const { return pluginEditor.get(); }
    // The host's display name, from the host code the editor determined.
    const char* PluginHostName() const;
    // False for a host that crashes on edit gestures.
    bool HostTakesGestures() const;

    // SIEditorFrame, public for the texts the tests read.
    const char* EffectName() const override;
    const char* PluginDirectory() const override;

protected:
    // Creates the editor, which identifies the host (status).
    void CreateEditor(SIPluginAccess& access, SEngineChangeBoard& changes, int& status);
    // A derived plug-in whose state the editor shows calls this first in its
    // destructor.
    void DestroyEditor();

private:
    void HostStrings(char* vendor, char* product) override;
    int HostVendorVersion() override;
    void SetEditorRect(int width, int height) override;
    bool HostSizesWindow() override;
    bool SizeHostWindow(int width, int height) override;

    std::atomic<bool> suspended{true};
    std::unique_ptr<SPluginEditor> pluginEditor;
    ERect editorRect;
    std::unique_ptr<kova::data::datastring<32, char>> effectName;
    std::unique_ptr<kova::data::datastring<32, char>> pluginDirectory;
};
