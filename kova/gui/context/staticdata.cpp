#include "kova/gui/context/staticdata.h"

#include "kova/gui/connection.h"
#include "kova/gui/context/colour.h"

using kova::gui::context::SDrawBrush;
using kova::gui::context::SDrawFont;
using kova::gui::context::SDrawPen;

// Created at library load, destroyed at unload (plugin/library.cpp).
SStaticData* statdata = nullptr;

bool SColourTable::Add(int pixel)
{
    if (count >= Capacity)
        return false;
    slots[count++] = pixel;
    return true;
}

SStaticData::SStaticData()
    : pens(new kova::gui::context::SPenListOwned),
      brushes(new kova::gui::context::SBrushListOwned),
      fonts(new kova::gui::context::SFontListOwned)
{
}

SStaticData::~SStaticData()
{
    DestroyLists();
}

void SStaticData::AddColours()
{
    static const unsigned char table[SColourTable::Capacity][3] = {
        {255, 255, 255}, {255, 255, 0},   {255, 128, 0},   {128, 64, 0},    {255, 0, 0},     {100, 0, 0},
        {64, 0, 0},      {255, 0, 255},   {128, 0, 255},   {172, 128, 255}, {0, 0, 255},     {0, 128, 255},
        {0, 255, 255},   {0, 255, 0},     {0, 128, 0},     {0, 64, 0},      {128, 255, 0},   {192, 255, 0},
        {255, 236, 200}, {128, 128, 128}, {0, 0, 0},       {247, 231, 168}, {236, 213, 123}, {138, 145, 150},
        {77, 81, 84},    {22, 22, 22},    {44, 44, 44},    {66, 66, 66},    {90, 90, 90},
    };
    for (const auto& c : table)
        colours.Add(kova::gui::SCOL(c[0], c[1], c[2]));
    coloursReady = 1;
}

SDrawPen* SStaticData::FindPen(int colour)
{
    if (!pens)
        return nullptr;
    for (int i = 0; i < pens->Count(); ++i) {
        SDrawPen* pen = pens->Get(i);
        if (pen && pen->Colour() == colour)
            return pen;
    }
    SDrawPen* pen = new SDrawPen(colour, 1, false);
    pens->Add(pen);
    return pen;
}

SDrawBrush* SStaticData::FindBrush(int colour)
{
    if (!brushes)
        return nullptr;
    for (int i = 0; i < brushes->Count(); ++i) {
        SDrawBrush* brush = brushes->Get(i);
        if (brush && brush->EffectiveColour() == colour)
            return brush;
    }
    SDrawBrush* brush = new SDrawBrush(colour, SDrawBrush::Solid, nullptr);
    brushes->Add(brush);
    return brush;
}

SDrawFont* SStaticData::FindFont(int size, bool bold, bool italic)
{
    if (!fonts)
        return nullptr;
    // A font loaded on another connection (the plug-in's own, before a host
    // handed over its display) cannot be set on this connection's GCs.
    Display* display = kova::gui::GetDisplay();
    for (int i = 0; i < fonts->Count(); ++i) {
        SDrawFont* font = fonts->Get(i);
        if (font && font->Size() == size && font->Bold() == bold && font->Italic() == italic &&
            font->GetConnection() == display)
            return font;
    }
    SDrawFont* font = new SDrawFont(size, bold, italic, false, nullptr);
    fonts->Add(font);
    return font;
}

void SStaticData::DestroyLists()
{
    // At unload the host may have closed its connection already; only fonts
    // on the plug-in's own connection are unloaded from the server.
    if (fonts) {
        Display* own = dps.load();
        for (int i = 0; i < fonts->Count(); ++i)
            if (SDrawFont* font = fonts->Get(i); font && font->GetConnection() != own)
                font->DetachFromServer();
    }
    delete fonts;
    fonts = nullptr;
    delete brushes;
    brushes = nullptr;
    delete pens;
    pens = nullptr;
}
