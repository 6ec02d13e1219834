// SWindow: a control that owns child controls (deleted last first when it
// goes), an optional menu, and a run loop for standalone programs.
#pragma once

#include <vector>

#include "kova/gui/control.h"

namespace kova::gui {

struct SWindowID {
    SControl* control;
    int id;
};

class SWindow : public SControl {
public:
    SWindow();
    SWindow(SGlobals* globals, SControl* owner, unsigned int id, const char* name, int flags, int x, int y,
            int width, int height, int parentWindow, bool unused);
    // Deletes the children, last first, after its own resources are released.
    ~SWindow() override;

    // Only for dialogs and top-level windows: cleans up, deletes the
    // children and destroys the X window.
    void CleanRessources() override;
    void LoadControls() override {}
    void ReparentChildren() override {}
    void EnableChildren(bool on) override;
    void Minimized() override;
    // Ends a standalone program: deletes the owner (or itself) and exits.
    void WindowClose() override;
    // Asks the window manager to iconify (false) or restore (true).
    void WindowMinimize(bool normal) override;
    // Only the maximise mark: cleared for true, set for false.
    void WindowMaximize(bool b) override;
    void RefreshControls(long) override {}
    void UpdateModifiers(int, bool) override;
    void TimerProc(int) override {}
    void Run() override { running = true; }
    void Stop() override { running = false; }
    void EnableHandlers() override {}
    void ShowMenu(const Point& p) override;
    void CloseMenu() override;
    bool IsSubcontrol(unsigned int id) override;

    // Appends a child (no duplicate check); returns the highest child id,
    // 0 for null.
    virtual int Add(SControl* control);
    // Removes the first child with the control's id, deleting it when asked;
    // returns the number of children left.
    virtual int Remove(SControl* control, bool destroy);
    // Whether the X window is this window's or a descendant's.
    virtual bool IsSubcontrol(int window);
    // Dispatches events of the display in use until Stop(); for dialogs
    // returns 0, otherwise cleans up and ends the process.
    virtual int Loop();
    virtual SMenu* GetMenu() { return menu; }
    // Replaces (and deletes) the menu; the menu becomes a child. The menu
    // must be an SControl.
    virtual void SetMenu(SMenu* m);
    virtual void TooltipEnable(bool) {}

    const std::vector<SWindowID>& Children() const { return children; }
    int LowestId() const { return lowestId; }
    int HighestId() const { return highestId; }
    bool MenuOpen() const { return menuOpen; }
    bool Running() const { return running; }
    bool IgnorePress() const { return ignorePress; }
    void SetIgnorePress(bool on) { ignorePress = on; }

protected:
    void DeleteChildren();

    std::vector<SWindowID> children;
    int lowestId = -1;
    int highestId = -1;
    SMenu* menu = nullptr;
    bool menuOpen = false;
    bool ignorePress = false;
    bool running = false;
};

}  // namespace kova::gui
