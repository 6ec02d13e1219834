#include "plugin/engineaccess.h"

#include <cmath>

#include "plugin/polyphonyengine.h"

float SEngineAccess::ParameterValue(int index)
{
    return engine.getParameter(index);
}

void SEngineAccess::ParameterText(int index, char* text)
{
    engine.getParameterDisplay(index, text);
}

int SEngineAccess::ProgramNumber()
{
    return engine.getProgram();
}

void SEngineAccess::ProgramName(char* name)
{
    engine.getProgramName(name);
}

int SEngineAccess::SoundingNotes()
{
    return (int)std::lround(engine.getParameter(kParamActiveNotes));
}

void SEngineAccess::ArmLearn(LearnTarget target, bool armed)
{
    engine.ArmLearn(target, armed);
}

bool SEngineAccess::LearnArmed(LearnTarget target)
{
    return engine.LearnArmed(target);
}

void SEngineAccess::SetLearning(bool on)
{
    engine.SetLearning(on);
}
