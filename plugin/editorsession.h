// SEditorSession: the editor's life, the same for both plug-in formats. It
// owns, from the first open until the editor goes, what the panel needs:
// the toolkit globals, the panel, the hidden holder window the panel is
// parked in between opens (where the host keeps one editor across opens),
// and the mouse cursor while open. It refreshes the panel from the engine's
// change board and lets go of a held dial when the editor closes or goes.
//
// The format's glue decides the rest: SPluginEditor (VST 2) sizes the
// host's window and runs an idle timer; LV2Editor dispatches its own X
// events in the host's idle calls.
//
// Windows, where the session parks the panel:
//   Parked       the first open makes the holder and the panel inside it,
//                then moves the panel into the host's window (hosts serve
//                the events of a window that arrives by reparenting);
//                Close parks it in the holder again, so one panel keeps its
//                state from the first open until the session ends.
//   InHostWindow the panel is made in the host's window, once; the session
//                ends with the editor.
//
// Threads: Open, Close and the destructor on the host's GUI thread; the
// Show calls on the thread that refreshes (the toolkit's idle thread, or
// the host's UI thread).
#pragma once

#include "plugin/enginechangeboard.h"

class SGlobals;
class SIPluginAccess;
class SPluginPanel;

namespace kova::gui {
class SControl;
class SCursor;
}  // namespace kova::gui

class SEditorSession {
public:
    enum class Windows { Parked, InHostWindow };

    SEditorSession(SIPluginAccess& access, const SEngineChangeBoard& changes, Windows windows);
    // Lets go of a held dial; deletes the cursor, the panel and the holder,
    // then the globals.
    ~SEditorSession();
    SEditorSession(const SEditorSession&) = delete;
    SEditorSession& operator=(const SEditorSession&) = delete;

    // The plug-in's name and directory, for the toolkit's messages.
    void SetPluginTexts(const char* name, const char* directory);
    // Shows the panel in the host's window and gives it the cursor; the next
    // ShowChanges shows everything. False when no window could be made.
    bool Open(unsigned long parent);
    // Lets go of a held dial, parks the panel (Parked) and drops the cursor.
    // The caller has stopped every refresh first.
    void Close();

    // Refreshes what moved on the board since the last call (everything at
    // the first call after Open or after the board reported everything).
    void ShowChanges();
    // Refreshes everything and takes note of the board's counts.
    void ShowAll();
    // Refreshes one parameter index.
    void Show(long index);

    SPluginPanel* Panel() const { return panel; }
    kova::gui::SControl* Holder() const { return holder; }

private:
    void CreateWindows(unsigned long parent);

    SIPluginAccess& access;
    const SEngineChangeBoard& changes;
    const Windows windows;
    SEngineChangeBoard::Reader seen;
    SGlobals* globals;
    SPluginPanel* panel = nullptr;
    kova::gui::SControl* holder = nullptr;
    kova::gui::SCursor* cursor = nullptr;
};
