#include "tools/tessaro-host/midiplugin.h"

#include <algorithm>

namespace tessaro {
namespace host {

std::vector<int> MidiPlugin::ParameterIndices() const
{
    std::vector<int> indices;
    for (int i = 0; i < ParameterCount(); ++i)
        indices.push_back(i);
    for (const int option : kOptionParameters)
        if (option >= ParameterCount() && HasParameter(option))
            indices.push_back(option);
    return indices;
}

std::vector<MidiPlugin::Automation> MidiPlugin::TakeAutomation()
{
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<Automation> taken;
    taken.swap(automation_);
    return taken;
}

void MidiPlugin::Collect(int64_t blockStart, int32_t frame, const uint8_t* bytes, uint32_t size)
{
    ++outputCount_;
    if (!bytes)
        return;
    OutputEvent out{blockStart + frame, {0, 0, 0}};
    std::copy(bytes, bytes + std::min<uint32_t>(size, 3), out.bytes);
    if (array_) {
        if (array_->count < array_->capacity)
            array_->events[array_->count++] = out;
    } else if (keepOutput_) {
        output_.push_back(out);
    }
}

void MidiPlugin::Report(const Automation& automation)
{
    std::lock_guard<std::mutex> guard(lock_);
    automation_.push_back(automation);
}

}  // namespace host
}  // namespace tessaro
