#include "kova/gui/keys.h"

namespace kova::gui {

KeyInfo MapKeySym(unsigned long k)
{
    switch (k) {
    case 0xFF0D: case 0xFF8D: return {KeyReturn, KeySpecial, -1};
    case 0xFF1B: return {KeyEscape, KeySpecial, -1};
    case 0xFF09: case 0xFF89: return {KeyTab, KeySpecial, -1};
    case 0xFF08: return {KeyBackSpace, KeySpecial, -1};
    case 0xFFFF: case 0xFF9F: return {KeyDelete, KeySpecial, -1};
    case 0xFF63: case 0xFF9E: return {KeyInsert, KeySpecial, -1};
    case 0xFF52: case 0xFF97: return {KeyUp, KeySpecial, -1};
    case 0xFF54: case 0xFF99: return {KeyDown, KeySpecial, -1};
    case 0xFF51: case 0xFF96: return {KeyLeft, KeySpecial, -1};
    case 0xFF53: case 0xFF98: return {KeyRight, KeySpecial, -1};
    case 0xFF55: case 0xFF9A: return {KeyPageUp, KeySpecial, -1};
    case 0xFF56: case 0xFF9B: return {KeyPageDown, KeySpecial, -1};
    case 0xFF50: case 0xFF95: return {KeyHome, KeySpecial, -1};
    case 0xFF57: case 0xFF9C: return {KeyEnd, KeySpecial, -1};
    case 0xFFE5: return {KeyCapsLock, KeySpecial, -1};
    case 0xFF61: return {KeyPrint, KeySpecial, -1};
    case 0xFF13: case 0xFF6B: return {KeyPause, KeySpecial, -1};
    case 0xFFE1: case 0xFFE2: return {KeyShift, KeyModifier, FlagShift};
    case 0xFFE3: case 0xFFE4: return {KeyControl, KeyModifier, FlagControl};
    case 0xFFE9: case 0xFFEA: return {KeyAlt, KeyModifier, FlagAlt};
    case 0xFF80: case 0x20: return {32, KeyCharacter, -1};
    case 0xFFBD: return {'=', KeyCharacter, -1};
    default: break;
    }
    if ((k >= 0xFF91 && k <= 0xFF94) || (k >= 0xFFBE && k <= 0xFFD5))
        return {(int)k, KeyFunction, -1};
    // KP_Multiply .. KP_9 stand for "*+,-./0123456789", which is exactly the
    // keypad symbol minus 0xFF80.
    if (k >= 0xFFAA && k <= 0xFFB9)
        return {(int)(k - 0xFF80), KeyCharacter, -1};
    return {(int)k, KeyCharacter, -1};
}

}  // namespace kova::gui
