#include "kova/gui/window.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <cstdlib>

#include "kova/gui/atoms.h"
#include "kova/gui/connection.h"
#include "kova/gui/menu.h"

namespace kova::gui {

using kova::gui::context::SInput;

namespace {

// "WM_CHANGE_STATE", interned on first use.
Atom wm_change = None;

}  // namespace

SWindow::SWindow() = default;

SWindow::SWindow(SGlobals* g, SControl* o, unsigned int i, const char* name, int f, int x, int y, int width,
                 int height, int parentWin, bool unused)
    : SControl(g, o, i, name, f, x, y, width, height, parentWin, unused)
{
}

SWindow::~SWindow()
{
    destroying = true;
    CleanUp();
    DeleteChildren();
}

void SWindow::DeleteChildren()
{
    while (!children.empty()) {
        SControl* c = children.back().control;
        children.pop_back();
        if (c == menu)
            menu = nullptr;
        delete c;
    }
    flags &= ~HasChildren;
}

void SWindow::CleanRessources()
{
    if (!(flags & (Dialog | TopLevel)))
        return;
    destroying = true;
    CleanUp();
    DeleteChildren();
    DestroyXWindow();
}

void SWindow::EnableChildren(bool on)
{
    for (SWindowID& c : children)
        c.control->Enable(on);
}

void SWindow::Minimized()
{
    for (SWindowID& c : children)
        c.control->Minimized();
}

void SWindow::WindowClose()
{
    running = false;
    if (owner)
        delete owner;
    else
        delete this;
    std::exit(0);
}

void SWindow::WindowMinimize(bool normal)
{
    Display* d = GetDisplay();
    if (!d)
        return;
    if (wm_change == None)
        wm_change = XInternAtom(d, atoms::ChangeState, True);
    if (wm_change == None)
        return;
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = owner ? owner->GetWindow() : window;
    ev.xclient.message_type = wm_change;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = normal ? 1 : 3;
    XSendEvent(d, DefaultRootWindow(d), False, SubstructureRedirectMask | SubstructureNotifyMask, &ev);
}

void SWindow::WindowMaximize(bool b)
{
    if (b)
        state &= ~MaximiseMark;
    else
        state |= MaximiseMark;
}

void SWindow::UpdateModifiers(int, bool)
{
    if (!input)
        return;
    const int keys = input->keyState;
    Modifiers(keys);
    for (SWindowID& c : children) {
        SInput* in = c.control->GetInput();
        if (!in)
            continue;
        in->keyState = keys;
        in->flags[SInput::Shift] = input->flags[SInput::Shift];
        in->flags[SInput::Control] = input->flags[SInput::Control];
        in->flags[SInput::Alt] = input->flags[SInput::Alt];
    }
}

void SWindow::ShowMenu(const Point& p)
{
    if (!menu || menuOpen)
        return;
    menu->SetPosition(p.x, p.y);
    menu->Show();
    menu->Focus(true);
    menuOpen = true;
}

void SWindow::CloseMenu()
{
    if (!menu)
        return;
    menu->Hide();
    menuOpen = false;
}

bool SWindow::IsSubcontrol(unsigned int i)
{
    if (i == id)
        return true;
    for (SWindowID& c : children)
        if (c.control->IsSubcontrol(i))
            return true;
    return false;
}

int SWindow::Add(SControl* c)
{
    if (!c)
        return 0;
    flags |= HasChildren;
    const int cid = (int)c->GetId();
    children.push_back(SWindowID{c, cid});
    if (lowestId < 0 || cid < lowestId)
        lowestId = cid;
    if (cid > highestId)
        highestId = cid;
    return highestId;
}

int SWindow::Remove(SControl* c, bool destroy)
{
    if (!c)
        return (int)children.size();
    const int cid = (int)c->GetId();
    auto it = std::find_if(children.begin(), children.end(), [cid](const SWindowID& w) { return w.id == cid; });
    if (it == children.end())
        return (int)children.size();
    SControl* removed = it->control;
    children.erase(it);
    if (removed == menu)
        menu = nullptr;
    if (destroy)
        delete removed;
    if (children.empty())
        flags &= ~HasChildren;
    return (int)children.size();
}

bool SWindow::IsSubcontrol(int w)
{
    if (w == 0)
        return false;
    if ((Window)(unsigned)w == window)
        return true;
    for (SWindowID& c : children) {
        if (c.control->GetWindow() == (Window)(unsigned)w)
            return true;
        if (auto* sub = dynamic_cast<SWindow*>(c.control))
            if (sub->IsSubcontrol(w))
                return true;
    }
    return false;
}

int SWindow::Loop()
{
    running = true;
    Display* d = GetDisplay();
    while (running && d) {
        XEvent ev;
        XNextEvent(d, &ev);
        SControl::eventProc(&ev);
    }
    if (flags & Dialog)
        return 0;
    CleanRessources();
    std::exit(0);
}

void SWindow::SetMenu(SMenu* m)
{
    if (menu) {
        // Found by address: the menu carries this window's id, which other
        // children may share.
        SControl* old = menu;
        children.erase(std::remove_if(children.begin(), children.end(),
                                      [old](const SWindowID& w) { return w.control == old; }),
                       children.end());
        if (children.empty())
            flags &= ~HasChildren;
        menu = nullptr;
        delete old;
    }
    menu = m;
    if (!m)
        return;
    m->SetControl(this);
    m->SetId(id);
    Add(m);
}

}  // namespace kova::gui
