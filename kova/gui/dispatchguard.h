// Serialises event dispatch with the destruction of controls. The dispatcher
// holds this lock (recursive) while it handles one event, and a control
// leaves the set of live controls under it, so a dispatcher running on the
// toolkit's own event pump never reaches a control that is being deleted.
// Code that deletes controls while the pump may run can hold it too.
#pragma once

namespace kova::gui {

class SControl;

class SDispatchGuard {
public:
    SDispatchGuard();
    ~SDispatchGuard();
    SDispatchGuard(const SDispatchGuard&) = delete;
    SDispatchGuard& operator=(const SDispatchGuard&) = delete;
};

// Whether the address belongs to a control that exists now. Window
// properties can be written by any client, so the dispatcher checks the
// address it read before it uses it.
bool IsLiveControl(const SControl* control);

}  // namespace kova::gui
