// The DSP binary's one exported entry: the plug-in's descriptor, whose
// functions forward to the adapter.
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>

#include <cstring>

#include "plugin/lv2/lv2plugin.h"

namespace {

LV2Plugin* Adapter(LV2_Handle instance)
{
    return static_cast<LV2Plugin*>(instance);
}

LV2_Handle Instantiate(const LV2_Descriptor*, double, const char*, const LV2_Feature* const* features)
{
    return LV2Plugin::Create(features);
}

void ConnectPort(LV2_Handle instance, uint32_t port, void* data)
{
    Adapter(instance)->ConnectPort(port, data);
}

void Activate(LV2_Handle instance)
{
    Adapter(instance)->Activate();
}

void Run(LV2_Handle instance, uint32_t frames)
{
    Adapter(instance)->Run(frames);
}

void Deactivate(LV2_Handle instance)
{
    Adapter(instance)->Deactivate();
}

void Cleanup(LV2_Handle instance)
{
    delete Adapter(instance);
}

LV2_State_Status Save(LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
                      const LV2_Feature* const*)
{
    return Adapter(instance)->Save(store, handle);
}

LV2_State_Status Restore(LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                         uint32_t, const LV2_Feature* const*)
{
    return Adapter(instance)->Restore(retrieve, handle);
}

const LV2_State_Interface kStateInterface = {Save, Restore};

const void* ExtensionData(const char* uri)
{
    if (std::strcmp(uri, LV2_STATE__interface) == 0)
        return &kStateInterface;
    return nullptr;
}

const LV2_Descriptor kDescriptor = {
    tessaro::lv2::kPluginURI, Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup, ExtensionData,
};

}  // namespace

LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index)
{
    return index == 0 ? &kDescriptor : nullptr;
}
