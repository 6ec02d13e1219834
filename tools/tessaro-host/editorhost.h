// `tessaro-host edit`: a top-level X window that embeds the plug-in's
// editor the way Linux hosts do: a VST 2 editor through effEditOpen
// (vsteditor.h), an LV2 X11 UI as a child window (lv2editor.h). It calls
// the editor's idle every 40 ms, can play a MIDI file in real time from a
// second thread so the editor's note display moves, prints every parameter
// change and edit gesture the plug-in reports ("automate: parameter I = V",
// "begin edit: parameter I", "end edit: parameter I"), and can write a
// screenshot and quit.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/tessaro-host/settings.h"

namespace tessaro {
namespace host {

struct EditOptions {
    std::string pluginPath;
    std::string playPath;         // empty: no MIDI
    std::string screenshotPath;   // empty: run until the window is closed
    long screenshotAfterMs = 1000;
    bool passDisplay = true;      // false: effEditOpen gets 0 as the display (VST 2)
    float sampleRate = 44100.0f;
    int blockSize = 512;
    std::vector<Setting> settings;

    // Set by `live`, where a JACK client drives the plug-in instead of the
    // playing thread. startAudio runs once the window is shown (false
    // quits with its error); tick on every pass of the event loop, at
    // least every 40 ms (false quits); stopAudio when the window closes,
    // before the editor does; beforeUnload last (false: exit status 1).
    std::function<bool(MidiPlugin&, std::string& error)> startAudio;
    std::function<bool()> tick;
    std::function<void()> stopAudio;
    std::function<bool(MidiPlugin&, std::string& error)> beforeUnload;
};

// Returns the process exit code; errors are one line on standard error.
int RunEditor(const EditOptions& options);

}  // namespace host
}  // namespace tessaro
