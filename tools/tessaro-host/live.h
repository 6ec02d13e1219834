// `tessaro-host live PLUGIN [options]`: the plug-in as a JACK MIDI client
// with one MIDI input and one MIDI output port, until Ctrl-C, SIGTERM or
// the editor's window ends it.
#pragma once

namespace tessaro {
namespace host {

// argv[0] is the program, argv[1] "live"; returns the exit status.
int RunLive(int argc, char** argv);

}  // namespace host
}  // namespace tessaro
