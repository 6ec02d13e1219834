// The plug-in as its control panel reaches it, whichever host interface
// carries it: the values the panel shows, whether the host runs it, the
// host's record of what the user changes, and the arming of MIDI learn.
// The panel sees values through it, never the engine.
//
// SEngineAccess (plugin/engineaccess.h) answers the values from the engine;
// each host adapter adds how the user's changes and gestures reach its
// host (VST 2: setParameterAutomated and the begin- and end-edit calls;
// LV2: the UI's write function and ui:touch).
//
// Called on the thread that dispatches the panel's X events and on the
// toolkit's idle thread. Everything here returns at once; the engine's
// operations take the engine's lock.
#pragma once

#include "plugin/engineparameters.h"

class SIPluginAccess {
public:
    // --- What the panel shows ---
    // The parameter's value, 0 to 1 (index 10: the count of sounding notes).
    virtual float ParameterValue(int index) = 0;
    // The parameter's value as the host shows it; at least 64 bytes.
    virtual void ParameterText(int index, char* text) = 0;
    virtual int ProgramNumber() = 0;
    // The current program's name; at least 48 bytes.
    virtual void ProgramName(char* name) = 0;
    virtual int SoundingNotes() = 0;
    // True while the host has processing switched off: learning cannot start.
    virtual bool Suspended() const = 0;

    // --- What the user does ---
    // A change the user made: sets the parameter and tells the host, which
    // records it.
    virtual void UserChange(int index, float value) = 0;
    // The user takes hold of the parameter's control and lets go of it.
    // Every UserChange of one gesture lies between the two calls for its
    // index; hosts record touch automation in between.
    virtual void BeginGesture(int index) = 0;
    virtual void EndGesture(int index) = 0;
    // Arms or disarms one learn target; learning runs while SetLearning(true)
    // holds and ends with the first control change learnt.
    virtual void ArmLearn(LearnTarget target, bool armed) = 0;
    virtual bool LearnArmed(LearnTarget target) = 0;
    virtual void SetLearning(bool on) = 0;

protected:
    ~SIPluginAccess() = default;
};
