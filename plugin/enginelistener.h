// What the polyphony engine tells a user interface about its changes.
//
// Called on any thread, the audio thread included, often while the engine
// holds its lock: an implementation only records what changed (atomic flags,
// no lock, no allocation, no X call, no host callback) and shows it later in
// its own idle time.
#pragma once

class SIEngineListener {
public:
    // The parameter at the index changed (engine-internal indices included;
    // 10, the count of sounding notes, comes after every audio block).
    virtual void ParameterChanged(int index) = 0;
    // The program was switched or renamed: everything may have changed.
    virtual void EverythingChanged() = 0;

protected:
    ~SIEngineListener() = default;
};
