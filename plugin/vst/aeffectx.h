// The 2.x extensions of the VST 2 interface: events, pin properties, the
// editor rectangle and the opcodes from 25 upwards. Fixed widths throughout.
#pragma once

#include "plugin/vst/aeffect.h"

enum AEffectXOpcodes : VstInt32 {
    effProcessEvents = effSetChunk + 1,  // 25
    effCanBeAutomated,
    effString2Parameter,
    effGetNumProgramCategories,
    effGetProgramNameIndexed,            // 29
    effCopyProgram,
    effConnectInput,
    effConnectOutput,
    effGetInputProperties,               // 33
    effGetOutputProperties,
    effGetPlugCategory,                  // 35
    effGetCurrentPosition,
    effGetDestinationBuffer,
    effOfflineNotify,
    effOfflinePrepare,
    effOfflineRun,                       // 40
    effProcessVarIo,
    effSetSpeakerArrangement,
    effSetBlockSizeAndSampleRate,
    effSetBypass,
    effGetEffectName,                    // 45
    effGetErrorText,
    effGetVendorString,
    effGetProductString,
    effGetVendorVersion,
    effVendorSpecific,                   // 50
    effCanDo,
    effGetTailSize,
    effIdle,
    effGetIcon,
    effSetViewPosition,                  // 55
    effGetParameterProperties,
    effKeysRequired,
    effGetVstVersion,
    effEditKeyDown,
    effEditKeyUp,                        // 60
    effSetEditKnobMode,
    effGetMidiProgramName,
    effGetCurrentMidiProgram,
    effGetMidiProgramCategory,
    effHasMidiProgramsChanged,           // 65
    effGetMidiKeyName,
    effBeginSetProgram,
    effEndSetProgram,
    effGetSpeakerArrangement,
    effShellGetNextPlugin,               // 70
    effStartProcess,
    effStopProcess,
    effSetTotalSampleToProcess,
    effSetPanLaw,
    effBeginLoadBank,                    // 75
    effBeginLoadProgram,                 // 76
};

enum AudioMasterOpcodesX : VstInt32 {
    audioMasterWantMidi = 6,
    audioMasterGetTime,
    audioMasterProcessEvents,            // 8
    audioMasterSetTime,
    audioMasterTempoAt,                  // 10
    audioMasterGetNumAutomatableParameters,
    audioMasterGetParameterQuantization,
    audioMasterIOChanged,
    audioMasterNeedIdle,
    audioMasterSizeWindow,               // 15
    audioMasterGetSampleRate,
    audioMasterGetBlockSize,
    audioMasterGetInputLatency,
    audioMasterGetOutputLatency,
    audioMasterGetPreviousPlug,          // 20
    audioMasterGetNextPlug,
    audioMasterWillReplaceOrAccumulate,
    audioMasterGetCurrentProcessLevel,
    audioMasterGetAutomationState,
    audioMasterOfflineStart,             // 25
    audioMasterOfflineRead,
    audioMasterOfflineWrite,
    audioMasterOfflineGetCurrentPass,
    audioMasterOfflineGetCurrentMetaPass,
    audioMasterSetOutputSampleRate,      // 30
    audioMasterGetOutputSpeakerArrangement,
    audioMasterGetVendorString,          // 32
    audioMasterGetProductString,
    audioMasterGetVendorVersion,
    audioMasterVendorSpecific,           // 35
    audioMasterSetIcon,
    audioMasterCanDo,                    // 37
    audioMasterGetLanguage,
    audioMasterOpenWindow,
    audioMasterCloseWindow,              // 40
    audioMasterGetDirectory,             // 41
    audioMasterUpdateDisplay,
    // A user gesture on parameter `index` begins and ends; hosts record
    // touch automation and show the parameter grabbed in between.
    audioMasterBeginEdit = 43,
    audioMasterEndEdit = 44,
};

static_assert(audioMasterUpdateDisplay == 42, "host opcodes are numbered without gaps up to 44");

enum VstPlugCategory : VstInt32 {
    kPlugCategUnknown = 0,
    kPlugCategEffect,
    kPlugCategSynth,
};

enum VstEventTypes : VstInt32 {
    kVstMidiType = 1,
    kVstSysExType = 6,
};

struct VstEvent {
    VstInt32 type;
    VstInt32 byteSize;       // size of the event minus the first two fields
    VstInt32 deltaFrames;
    VstInt32 flags;
    char data[16];
};

struct VstMidiEvent {
    VstInt32 type;           // kVstMidiType
    VstInt32 byteSize;       // 24
    VstInt32 deltaFrames;    // sample offset within the block
    VstInt32 flags;
    VstInt32 noteLength;
    VstInt32 noteOffset;
    char midiData[4];
    char detune;
    char noteOffVelocity;
    char reserved1;
    char reserved2;
};

// A block of events. The host and the plug-in each declare their own block
// with room for as many pointers as they need, keeping this header layout.
struct VstEvents {
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[2];
};

enum VstPinPropertiesFlags : VstInt32 {
    kVstPinIsActive = 1 << 0,
    kVstPinIsStereo = 1 << 1,
    kVstPinUseSpeaker = 1 << 2,
};

struct VstPinProperties {
    char label[64];
    VstInt32 flags;
    VstInt32 arrangementType;
    char shortLabel[8];
    char future[48];
};

struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
};

struct VstKeyCode {
    VstInt32 character;
    unsigned char virt;
    unsigned char modifier;
};

static_assert(sizeof(VstMidiEvent) == 32, "VstMidiEvent is 32 bytes");
static_assert(sizeof(VstEvent) == 32, "VstEvent is 32 bytes");
static_assert(sizeof(ERect) == 8, "ERect is four int16");
static_assert(sizeof(VstPinProperties) == 128, "VstPinProperties is 128 bytes");
