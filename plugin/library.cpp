#include "plugin/library.h"

#include "kova/gui/info.h"
#include "kova/gui/processresources.h"
#include "kova/system/systemdata.h"
#include "plugin/identity.h"
#include "plugin/startupstatus.h"
#include "plugin/vstplugin.h"

#include <cstdio>

void TessaroLibraryLoad()
{
    kova::gui::LoadProcessResources();
}

void TessaroLibraryUnload()
{
    kova::gui::UnloadProcessResources();
}

void TessaroFailureMessage(int status, const char* hostName, char* out, int size)
{
    const char* head = "Failed to load plugin\n(Reason: ";
    switch (status) {
    case kStartupSystemNotSupported:
        std::snprintf(out, (size_t)size, "%sSystem not supported\nPlease check the requirements)", head);
        break;
    case kStartupHostNotSupported:
        std::snprintf(out, (size_t)size, "%sHost not supported (%s))", head, hostName ? hostName : "");
        break;
    default:
        std::snprintf(out, (size_t)size, "%sInternal Error\nPlease report to \n%s)", head,
                      tessaro::kContactAddress);
        break;
    }
}

AEffect* TessaroCreateInstance(audioMasterCallback audioMaster)
{
    if (!audioMaster || audioMaster(nullptr, audioMasterVersion, 0, 0, nullptr, 0) == 0)
        return nullptr;

    int status = kStartupOk;
    VSTPlugin* plugin = nullptr;
    if (sd && sd->Qualifies(false, false)) {
        sd->FeatureMessage();
        plugin = new VSTPlugin(audioMaster, status);
        if (status == kStartupOk)
            return plugin->getAeffect();
        if (status == kStartupRefuseSilently) {
            delete plugin;
            return nullptr;
        }
    } else {
        if (sd)
            sd->ErrorMessage(false, false);
        status = kStartupSystemNotSupported;
    }

    char message[512];
    TessaroFailureMessage(status, plugin ? plugin->PluginHostName() : "", message, sizeof message);
    kova::gui::SInfo(message, tessaro::kProductName);
    delete plugin;
    return nullptr;
}
