#include "plugin/editorsession.h"

#include <X11/Xlib.h>

#include "kova/data/datastring.h"
#include "kova/gui/control.h"
#include "kova/gui/cursor.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/globals.h"
#include "plugin/identity.h"
#include "plugin/pluginpanel.h"

SEditorSession::SEditorSession(SIPluginAccess& access, const SEngineChangeBoard& changes, Windows windows)
    : access(access), changes(changes), windows(windows), globals(new SGlobals())
{
}

SEditorSession::~SEditorSession()
{
    {
        // The event pump may be dispatching to these windows on its thread.
        kova::gui::SDispatchGuard guard;
        // A drag cut short by the closing leaves no parameter held.
        if (panel)
            panel->LetGoOfDials();
        globals->cursor = nullptr;
        delete cursor;
        cursor = nullptr;
        delete panel;
        panel = nullptr;
        delete holder;
        holder = nullptr;
    }
    delete globals;
    globals = nullptr;
}

void SEditorSession::SetPluginTexts(const char* name, const char* directory)
{
    if (name) {
        globals->pluginName.Clear(false);
        globals->pluginName.Append(name);
    }
    if (directory) {
        globals->pluginDirectory.Clear(false);
        globals->pluginDirectory.Append(directory);
    }
}

void SEditorSession::CreateWindows(unsigned long parent)
{
    using kova::data::datastring;
    int panelParent = (int)parent;
    if (windows == Windows::Parked) {
        datastring<32, char> holderTitle(64, "%s (%i)", tessaro::kProductName, globals->random.Integer());
        holder = new kova::gui::SControl(globals, nullptr, (unsigned)globals->TakeId(), holderTitle.c_str(), 0, 0, 0,
                                         tessaro::kEditorWidth, tessaro::kEditorHeight, 0, false);
        holder->SetSize(tessaro::kEditorWidth, tessaro::kEditorHeight);
        panelParent = (int)holder->GetWindow();
    }
    datastring<32, char> panelTitle(64, "%s (%i)", tessaro::kProductName, globals->random.Integer());
    panel = new SPluginPanel(globals, nullptr, (unsigned)globals->TakeId(), panelTitle.c_str(),
                             SPluginPanel::kCreationFlags, 0, 0, tessaro::kEditorWidth, tessaro::kEditorHeight,
                             panelParent, false);
    panel->SetPlugin(&access);
    panel->LoadControls();
}

bool SEditorSession::Open(unsigned long parent)
{
    globals->hostWindow = parent;
    {
        // The toolkit's pump may be dispatching to the panel meanwhile.
        kova::gui::SDispatchGuard guard;
        if (!panel)
            CreateWindows(parent);
        if (windows == Windows::Parked) {
            panel->Reparent((int)parent);
            // Reparenting keeps the position; the panel fills the host's window.
            panel->SetPosition(0, 0);
        }
    }
    if (!panel->GetWindow())
        return false;

    cursor = new kova::gui::SCursor();
    cursor->SetWindow((Window)parent);
    cursor->CreateDefault();
    globals->cursor = cursor;

    panel->Show();
    if (windows == Windows::Parked)
        globals->NextId();
    seen.Restart();
    return true;
}

void SEditorSession::Close()
{
    {
        // Not while the toolkit's pump dispatches (it uses the cursor).
        kova::gui::SDispatchGuard guard;
        if (panel) {
            // A drag cut short by the closing leaves no parameter held.
            panel->LetGoOfDials();
            if (holder)
                panel->Reparent((int)holder->GetWindow());
        }
        globals->cursor = nullptr;
        delete cursor;
        cursor = nullptr;
    }
    globals->hostWindow = 0;
}

void SEditorSession::ShowChanges()
{
    if (!panel)
        return;
    seen.Collect(
        changes, [this](int index) { panel->RefreshControls(index); }, [this] { panel->RefreshControls(-1); });
}

void SEditorSession::ShowAll()
{
    if (!panel)
        return;
    seen.Restart();
    seen.Collect(
        changes, [](int) {}, [this] { panel->RefreshControls(-1); });
}

void SEditorSession::Show(long index)
{
    if (panel)
        panel->RefreshControls(index);
}
