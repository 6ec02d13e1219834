// The LV2 UI: the same 260 x 162 control panel as the VST 2 editor, in the
// same editor session (plugin/editorsession.h), as an X11 UI embedded in the
// host's parent window. It reaches the engine of its instance directly
// (instance access) and is served only by the host's idle calls, on the
// host's UI thread:
//
// - Events: LV2 hosts hand a UI no X events. The panel's windows live on
//   the binary's own connection `dps`, which nothing else reads, so each
//   idle call takes the events waiting there and dispatches them. The user's
//   changes thus reach the host's write and touch functions on the UI
//   thread, as LV2 requires (the toolkit's event-pump thread would call
//   them from elsewhere).
// - Refresh: each idle call also does what the VST editor's idle does; the
//   session reads the instance's change board and refreshes what moved
//   (all of it after a program switch or state load, and at the first call).
//
// User changes set the engine at once (so that a panic fires however the
// host passes the port values on) and go to the host through write_function
// on the matching control input in native units, so the host records them;
// gestures go through ui:touch where offered. Parameters without a port
// (controller assignments, learn) only set the engine; they are part of the
// bank the state saves.
//
// The editor needs instance access: without it the UI refuses to start
// and the host shows its generic controls instead.
#pragma once

#include <lv2/ui/ui.h>

#include <cstdint>
#include <memory>

#include "plugin/engineaccess.h"

class LV2Plugin;
class SEditorSession;
class SPluginPanel;

class LV2Editor final : public SEngineAccess {
public:
    // touch and resize may be null (hosts without them).
    LV2Editor(LV2Plugin& instance, LV2UI_Write_Function write, LV2UI_Controller controller,
              const LV2UI_Touch* touch, const LV2UI_Resize* resize);
    ~LV2Editor();
    LV2Editor(const LV2Editor&) = delete;
    LV2Editor& operator=(const LV2Editor&) = delete;

    // Makes the panel inside the host's window; 0 when no window could be
    // made (no X connection), else the panel's window.
    unsigned long Open(unsigned long parent);
    // One idle call of the host: dispatches the waiting X events of the
    // binary's own connection, then refreshes what the engine changed.
    void Idle();

    SPluginPanel* Panel() const;

    // For the panel (on the host's UI thread); SEngineAccess answers the
    // values.
    bool Suspended() const override;
    void UserChange(int index, float value) override;
    void BeginGesture(int index) override;
    void EndGesture(int index) override;

private:
    void Touch(int index, bool grabbed);

    LV2Plugin& instance;
    LV2UI_Write_Function write;
    LV2UI_Controller controller;
    const LV2UI_Touch* touch;
    const LV2UI_Resize* resize;
    std::unique_ptr<SEditorSession> session;
};
