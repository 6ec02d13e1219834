// The toolkit's key codes: every X key symbol maps to a code and a class.
#pragma once

namespace kova::gui {

enum KeyClass { KeyCharacter = 0, KeyModifier = 3, KeySpecial = 4, KeyFunction = 5 };

// Codes of the special and modifier keys.
enum KeyCode {
    KeyReturn = 0, KeyEscape = 1, KeyTab = 2, KeyBackSpace = 3, KeyDelete = 4, KeyInsert = 5,
    KeyUp = 6, KeyDown = 7, KeyLeft = 8, KeyRight = 9, KeyPageUp = 10, KeyPageDown = 11,
    KeyHome = 12, KeyEnd = 13, KeyCapsLock = 14, KeyPrint = 15, KeyPause = 16,
    KeyShift = 17, KeyControl = 18, KeyAlt = 19,
};

// Indices of the modifier flags in a control's input record.
enum ModifierFlag { FlagAlt = 20, FlagShift = 21, FlagControl = 22 };

struct KeyInfo {
    int code;
    int keyClass;
    int modifierFlag;  // FlagAlt, FlagShift or FlagControl for modifier keys, else -1
};

// Maps a key symbol: special keys and keypad keys to their codes, function
// keys to themselves (class 5), keypad characters to the character, anything
// else to the symbol itself (class 0).
KeyInfo MapKeySym(unsigned long keysym);

}  // namespace kova::gui
