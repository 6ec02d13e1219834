// The VST 2 editor: the glue between the host's editor opcodes and the
// editor session (plugin/editorsession.h), which owns the panel and its
// windows. It identifies the host when the plug-in is created, sizes the
// host's window, and runs the idle timer that shows the engine's changes.
//
// Changes: the engine's change board (plugin/enginechangeboard.h) counts
// them from any thread; postUpdate and postUpdateIndexed count on the same
// board. While open, the toolkit's idle thread calls idle() about every
// 22 ms; it refreshes the panel from what moved. close() removes the idle
// function and waits for a call under way, so once it returns no idle call
// touches the panel.
//
// A host that passes no Display* leaves the editor on the plug-in's own
// connection, whose events nobody else reads: the toolkit's event pump then
// serves them.
#pragma once

#include "plugin/aeffeditor.h"

#include <atomic>
#include <memory>

class SEditorSession;
class SEngineChangeBoard;
class SIEditorFrame;
class SIPluginAccess;
class SPluginPanel;

namespace kova::gui {
class SControl;
}

class SPluginEditor : public AEffEditor {
public:
    // Identifies the host; status becomes kStartupHostNotSupported for a
    // refused one.
    SPluginEditor(AudioEffect* effect, SIEditorFrame& frame, SIPluginAccess& access, SEngineChangeBoard& changes,
                  int& status);
    ~SPluginEditor() override;

    VstInt32 open(void* parent) override;
    void close() override;
    void idle() override;
    void update() override;
    void postUpdate() override;
    void updateIndexed() override;
    void postUpdateIndexed(long index) override;
    void updateAtIndex(long index) override;
    virtual void idleslow();

    int SetSize(int width, int height);
    void GetHostApp(int& status);
    static void idlestatic(void* editor);

    int HostCode() const { return hostCode; }
    // False for a host known to crash on edit gestures: it is told only of
    // the changes.
    bool HostTakesGestures() const { return hostTakesGestures; }
    SPluginPanel* Panel() const;
    kova::gui::SControl* Holder() const;
    unsigned long ParentWindow() const { return parentWindow; }
    bool IsOpen() const { return isOpen.load(std::memory_order_acquire); }

private:
    void (*idleFunction)(void*) = nullptr;
    SIEditorFrame& frame;
    SEngineChangeBoard& changes;
    std::unique_ptr<SEditorSession> session;
    int hostCode = 0;
    bool hostTakesGestures = true;
    std::atomic<bool> isOpen{false};
    unsigned long parentWindow = 0;
};
