// The bundled example piece, generated rather than stored: eight bars of
// dense chords on two channels (sustained five-note pads on channel 1,
// four-note off-beat stabs and a bass line on channel 2), with a tempo
// change halfway, a program change and a volume controller. The same bytes
// every time.
#pragma once

#include "tools/tessaro-host/smf.h"

namespace tessaro {
namespace host {

SmfFile MakeExamplePiece();

}  // namespace host
}  // namespace tessaro
