// SGlobals: the per-plug-in record of shared GUI state. The plug-in base
// creates one per instance and hands it to the editor and every control; a
// message dialog built without a plug-in makes its own.
#pragma once

#include "kova/data/datastring.h"
#include "kova/math/random.h"
#include "kova/threading/mutex.h"

#include <atomic>

namespace kova::gui { class SCursor; }

class SGlobals {
public:
    // Seeds the generator from the time-stamp counter (after a 3 ms sleep).
    SGlobals();
    SGlobals(const SGlobals&) = delete;
    SGlobals& operator=(const SGlobals&) = delete;

    // The next ID: an atomic increment, returning the new value.
    int NextId() { return nextID.fetch_add(1) + 1; }
    // Reads the counter and resets it to 0 in one step.
    int TakeId() { return nextID.exchange(0); }

    // Sets pluginName to "name.extension" (just the name without an
    // extension) and pluginDirectory to the directory of pluginPath.
    void SetBinaryData();

    std::atomic<int> nextID{0};
    kova::data::datastring<32, char> pluginName;
    kova::data::datastring<32, char> pluginDirectory;
    const char* pluginPath = nullptr;
    // The host's parent window (an X Window id) of the open editor, 0 when
    // closed. Kept free of Xlib headers so that any file may include this.
    std::atomic<unsigned long> hostWindow{0};
    void* openMenu = nullptr;
    // The editor's mouse cursor while open (not owned); the dispatcher sets
    // and frees it as the pointer enters and leaves.
    std::atomic<kova::gui::SCursor*> cursor{nullptr};
    kova::threading::SMutexOS mutex;
    kova::math::random::generator::SRandomMarsaglia random;
};
