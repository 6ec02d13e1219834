// The plug-in as its control panel reaches it, whichever host interface
// carries it: the engine itself, whether the host runs it, and the host's
// record of what the user changes.
//
// The VST 2 adapter implements it with setParameterAutomated and the
// host's begin- and end-edit calls. A UI for another host interface gets
// the engine through that host (for example instance access) and reports
// the user's changes and gestures through the host's own write and touch
// mechanisms.
//
// Called on the thread that dispatches the panel's X events. Everything
// here returns at once; the engine's operations take the engine's lock.
#pragma once

class PolyphonyEngine;

class SIPluginAccess {
public:
    // The engine the panel shows; the panel arms its learn flags directly.
    virtual PolyphonyEngine& Engine() = 0;
    // True while the host has processing switched off: learning cannot start.
    virtual bool Suspended() const = 0;
    // A change the user made: sets the engine's parameter and tells the
    // host, which records it.
    virtual void UserChange(int index, float value) = 0;
    // The user takes hold of the parameter's control and lets go of it.
    // Every UserChange of one gesture lies between the two calls for its
    // index; hosts record touch automation in between.
    virtual void BeginGesture(int index) = 0;
    virtual void EndGesture(int index) = 0;

protected:
    ~SIPluginAccess() = default;
};
