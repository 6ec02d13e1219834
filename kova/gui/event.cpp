#include "kova/gui/event.h"

#include <algorithm>

#include "kova/gui/control.h"
#include "kova/threading/mutex.h"

namespace kova::gui {

int SEventHandler::RegisterControl(SControl* control)
{
    auto it = std::find(listeners.begin(), listeners.end(), control);
    if (it != listeners.end())
        return (int)(it - listeners.begin());
    listeners.push_back(control);
    return (int)listeners.size() - 1;
}

void SEventHandler::UnRegisterControl(SControl* control)
{
    auto it = std::find(listeners.begin(), listeners.end(), control);
    if (it != listeners.end())
        listeners.erase(it);
}

SEventManager::SEventManager()
{
    for (int i = 0; i < Channels; ++i)
        handlers[i].type = i;
}

SEventHandler* SEventManager::GetEventHandler(int type)
{
    if (type < 0 || type >= Channels)
        return nullptr;
    return &handlers[type];
}

void SEventManager::EnableHandler(int type)
{
    if (SEventHandler* h = GetEventHandler(type))
        h->enabled = true;
}

void SEventManager::DisableHandler(int type)
{
    if (SEventHandler* h = GetEventHandler(type))
        h->enabled = false;
}

bool SEventManager::EventHandled(int type) const
{
    if (type < 0 || type >= Channels)
        return false;
    return handlers[type].enabled;
}

int SEventManager::EnableListener(SControl* control, int type)
{
    SEventHandler* h = GetEventHandler(type);
    if (!control || !h)
        return type;
    return h->RegisterControl(control);
}

void SEventManager::DisableListener(SControl* control, int type)
{
    SEventHandler* h = GetEventHandler(type);
    if (control && h)
        h->UnRegisterControl(control);
}

unsigned SEventManager::Deliver(SEvent* ev)
{
    SEventHandler* h = ev ? GetEventHandler(ev->type) : nullptr;
    if (!h)
        return 0;
    unsigned called = 0;
    for (size_t i = 0; i < h->listeners.size(); ++i) {
        SControl* listener = h->listeners[i];
        if (ev->mutex)
            ev->mutex->Lock();
        listener->ParseEvent(ev);
        if (ev->mutex)
            ev->mutex->Unlock();
        ++called;
    }
    return called;
}

void SendKey(int, char, bool) {}
void SendText(int, char*) {}
void SendMouse(int, int, int, int, int) {}

}  // namespace kova::gui
