#include "fake_host.h"

FakeHost* FakeHost::current = nullptr;

VstIntPtr FakeHost::Callback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt)
{
    FakeHost* host = current;
    if (!host)
        return 0;
    (void)value;
    switch (opcode) {
    case audioMasterVersion: return host->version;
    case audioMasterWantMidi: ++host->wantMidiCalls; return 1;
    case audioMasterAutomate:
        host->automated.emplace_back(index, opt);
        host->edits.push_back("automate " + std::to_string(index));
        return 0;
    case audioMasterBeginEdit: host->edits.push_back("begin " + std::to_string(index)); return 1;
    case audioMasterEndEdit: host->edits.push_back("end " + std::to_string(index)); return 1;
    case audioMasterProcessEvents: {
        auto* block = static_cast<VstEvents*>(ptr);
        host->blockSizes.push_back(block->numEvents);
        for (int i = 0; i < block->numEvents; ++i) {
            VstMidiEvent event;
            std::memcpy(&event, block->events[i], sizeof event);
            host->events.push_back(event);
        }
        return 1;
    }
    case audioMasterSizeWindow: ++host->sizeWindowCalls; return 1;
    case audioMasterGetVendorString: std::strcpy(static_cast<char*>(ptr), host->vendor.c_str()); return 1;
    case audioMasterGetProductString: std::strcpy(static_cast<char*>(ptr), host->product.c_str()); return 1;
    case audioMasterGetVendorVersion: return host->vendorVersion;
    case audioMasterCanDo: return host->canDoAnswer;
    case audioMasterGetDirectory: return (VstIntPtr)host->directory;
    default: return 0;
    }
}
