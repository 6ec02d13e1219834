// Start-up statuses, passed down the constructor chain of a VST 2 instance
// to the entry, which returns the instance or shows why it cannot.
#pragma once

enum StartupStatus {
    kStartupOk = 0,
    kStartupSystemNotSupported = 2,
    kStartupHostNotSupported = 3,
    kStartupRefuseSilently = 4,
};
