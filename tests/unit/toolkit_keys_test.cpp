// The key table: special keys, modifiers, function keys and the keypad.
#include <gtest/gtest.h>

#include "kova/gui/keys.h"

using namespace kova::gui;

TEST(ToolkitKeys, EditingAndNavigationKeysAreSpecialWithTheirOwnCodes)
{
    struct Case {
        unsigned long sym;
        int code;
    } cases[] = {{0xFF0D, KeyReturn}, {0xFF8D, KeyReturn}, {0xFF1B, KeyEscape}, {0xFF09, KeyTab},
                 {0xFF08, KeyBackSpace}, {0xFF9F, KeyDelete}, {0xFF63, KeyInsert}, {0xFF97, KeyUp},
                 {0xFF54, KeyDown}, {0xFF96, KeyLeft}, {0xFF53, KeyRight}, {0xFF55, KeyPageUp},
                 {0xFF9B, KeyPageDown}, {0xFF50, KeyHome}, {0xFF9C, KeyEnd}, {0xFFE5, KeyCapsLock},
                 {0xFF61, KeyPrint}, {0xFF6B, KeyPause}};
    for (const Case& c : cases) {
        KeyInfo k = MapKeySym(c.sym);
        EXPECT_EQ(k.code, c.code) << std::hex << c.sym;
        EXPECT_EQ(k.keyClass, KeySpecial) << std::hex << c.sym;
        EXPECT_EQ(k.modifierFlag, -1);
    }
}

TEST(ToolkitKeys, ShiftControlAndAltAreModifiersWithTheirFlags)
{
    EXPECT_EQ(MapKeySym(0xFFE1).code, KeyShift);
    EXPECT_EQ(MapKeySym(0xFFE2).modifierFlag, FlagShift);
    EXPECT_EQ(MapKeySym(0xFFE4).code, KeyControl);
    EXPECT_EQ(MapKeySym(0xFFE3).modifierFlag, FlagControl);
    EXPECT_EQ(MapKeySym(0xFFEA).code, KeyAlt);
    EXPECT_EQ(MapKeySym(0xFFE9).modifierFlag, FlagAlt);
    EXPECT_EQ(MapKeySym(0xFFE9).keyClass, KeyModifier);
}

TEST(ToolkitKeys, FunctionKeysKeepTheirSymbol)
{
    EXPECT_EQ(MapKeySym(0xFFBE).code, 0xFFBE);  // F1
    EXPECT_EQ(MapKeySym(0xFFBE).keyClass, KeyFunction);
    EXPECT_EQ(MapKeySym(0xFFD5).keyClass, KeyFunction);  // F24
    EXPECT_EQ(MapKeySym(0xFF91).keyClass, KeyFunction);  // KP_F1
    EXPECT_EQ(MapKeySym(0xFFD6).keyClass, KeyCharacter);  // past F24
}

TEST(ToolkitKeys, KeypadKeysStandForTheirCharacters)
{
    EXPECT_EQ(MapKeySym(0xFFB5).code, '5');
    EXPECT_EQ(MapKeySym(0xFFB5).keyClass, KeyCharacter);
    EXPECT_EQ(MapKeySym(0xFFB0).code, '0');
    EXPECT_EQ(MapKeySym(0xFFB9).code, '9');
    EXPECT_EQ(MapKeySym(0xFFAA).code, '*');
    EXPECT_EQ(MapKeySym(0xFFAB).code, '+');
    EXPECT_EQ(MapKeySym(0xFFAF).code, '/');
    EXPECT_EQ(MapKeySym(0xFFBD).code, '=');
    EXPECT_EQ(MapKeySym(0xFF80).code, ' ');
    EXPECT_EQ(MapKeySym(' ').code, 32);
}

TEST(ToolkitKeys, OrdinaryCharactersAreReportedAsThemselves)
{
    EXPECT_EQ(MapKeySym('a').code, 'a');
    EXPECT_EQ(MapKeySym('a').keyClass, KeyCharacter);
    EXPECT_EQ(MapKeySym(0x00E9).code, 0xE9);
}
