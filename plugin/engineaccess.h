// The values side of SIPluginAccess, answered from a polyphony engine: what
// both host adapters share. The adapter adds Suspended and how the user's
// changes and gestures reach its host.
#pragma once

#include "plugin/pluginaccess.h"

class PolyphonyEngine;

class SEngineAccess : public SIPluginAccess {
public:
    explicit SEngineAccess(PolyphonyEngine& engine) : engine(engine) {}

    float ParameterValue(int index) override;
    void ParameterText(int index, char* text) override;
    int ProgramNumber() override;
    void ProgramName(char* name) override;
    int SoundingNotes() override;
    void ArmLearn(LearnTarget target, bool armed) override;
    bool LearnArmed(LearnTarget target) override;
    void SetLearning(bool on) override;

protected:
    ~SEngineAccess() = default;

    PolyphonyEngine& engine;
};
