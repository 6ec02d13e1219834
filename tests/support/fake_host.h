// A scripted host for tests: answers the host callback like a plain VST 2
// host and records what the plug-in tells it.
#pragma once

#include "plugin/vst/aeffectx.h"

#include <cstring>
#include <string>
#include <vector>

struct FakeHost {
    VstIntPtr version = 2400;
    std::string product = "Tessaro Test Host";
    std::string vendor = "Tessaro";
    VstInt32 vendorVersion = 1000;
    VstIntPtr canDoAnswer = 1;
    const char* directory = nullptr;

    int wantMidiCalls = 0;
    int sizeWindowCalls = 0;
    std::vector<std::pair<VstInt32, float>> automated;
    // Edit gestures and changes in the order reported: "begin I",
    // "automate I", "end I" for parameter I.
    std::vector<std::string> edits;
    std::vector<VstMidiEvent> events;  // every event the plug-in sent, in order
    std::vector<int> blockSizes;       // events per audioMasterProcessEvents call

    // The callback for the plug-in; finds the host through `current`.
    static VstIntPtr Callback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                              float opt);
    static FakeHost* current;

    FakeHost() { current = this; }
    ~FakeHost()
    {
        if (current == this)
            current = nullptr;
    }
};
