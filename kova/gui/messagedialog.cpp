#include "kova/gui/messagedialog.h"

#include <X11/Xlib.h>
#include <algorithm>
#include <cstring>

#include "kova/gui/button.h"
#include "kova/gui/connection.h"
#include "kova/gui/context/font.h"
#include "kova/gui/context/textblock.h"
#include "kova/gui/globals.h"
#include "kova/gui/input.h"
#include "kova/gui/label.h"
#include "kova/gui/sharedpaint.h"

namespace kova::gui {

using kova::gui::context::SDrawFont;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

}  // namespace

SMessageDialog::SMessageDialog()
{
    const int number = ownGlobals->random.Integer();
    String name(64, "SDialog (ID %i)", number);
    const unsigned int dialogId = (unsigned)ownGlobals->TakeId();
    Create(ownGlobals, nullptr, dialogId, name.c_str(), DialogFullEvents | Decorated | Dialog | 0x1, 0, 0, kWidth,
           kHeight, 0, false);
    CreateCursor();
    EnableEventHandler(kChannelClick);

    auto c = StandardColour;
    SetColours(c(24), c(24), c(20), c(2), c(0), c(0), c(0));
    messageFont = new SDrawFont(7, false, false, false, nullptr);
    dialogFont = new SDrawFont(10, true, false, false, nullptr);

    const int parent = (int)window;
    String titleName(64, "%s - TitleLabel", name.c_str());
    titleLabel = new SLabel<false>(ownGlobals, this, (unsigned)ownGlobals->NextId(), titleName.c_str(), 0, 10, 10,
                                   kWidth - 20, 30, parent, false);
    titleLabel->SetColours(c(24), c(24), c(20), c(2), c(2), c(2), c(2));
    titleLabel->SetLabel("", dialogFont, 0);
    titleLabel->SetLabelColours(c(0), c(0));
    titleLabel->Show();
    Add(titleLabel);

    String messageName(64, "%s - MessageLabel", name.c_str());
    messageLabel = new SLabel<false>(ownGlobals, this, (unsigned)ownGlobals->NextId(), messageName.c_str(), 0, 10,
                                     40, kWidth - 20, kHeight - 90, parent, false);
    messageLabel->SetColours(c(24), c(24), c(20), c(2), c(0), c(0), c(0));
    messageLabel->SetLabel("", messageFont, 0);
    messageLabel->SetLabelColours(c(0), c(0));
    messageLabel->Show();
    Add(messageLabel);

    String buttonName(64, "%s - MessageButton", name.c_str());
    okButton = new SButton<false>(ownGlobals, this, (unsigned)ownGlobals->NextId(), buttonName.c_str(), Rounded,
                                  kWidth / 2 - 20, kHeight - 40, 40, 20, parent, false);
    okButton->SetColours(c(26), c(23), c(24), c(2), c(20), c(0), c(0));
    okButton->SetLabel("OK", dialogFont, 0);
    okButton->SetLabelColours(c(0), c(19));
    okButton->SetType(SButton<false>::Flash);
    okButton->SetHoverColours(c(23), c(23));
    okButton->AddEventListener(this, kChannelClick);
    okButton->Show();
    Add(okButton);

    Refresh();
}

SMessageDialog::~SMessageDialog()
{
    delete messageFont;
    messageFont = nullptr;
}

void SMessageDialog::ParseEvent(SEvent* ev)
{
    if (!ev || !EventHandled(ev->type) || ev->type != kChannelClick || ev->kind != SEvent::KindValue || !okButton ||
        ev->sender != okButton)
        return;
    CloseDialog();
    if (okButton->GetFlags() & AutoCapture)
        okButton->MouseReleaseCapture();
    if (okButton->GetInput())
        okButton->GetInput()->Reset();
}

void SMessageDialog::Layout(bool withTitle)
{
    // The message: widest line and total height, line feeds only; an empty
    // line counts with the height of the line before it (of "W" first).
    int widest = 0;
    int total = 0;
    const char* text = messageText.c_str();
    if (*text && messageFont && messageFont->Info()) {
        const context::TextBlockSize size =
            context::MeasureTextBlock(messageFont, text, context::EmptyLineHeight::FollowsLast);
        widest = size.width;
        total = size.height;
    }

    SetTitleText(titleText.c_str());
    titleLabel->SetLabel(titleText.c_str());
    if (withTitle) {
        int titleWidth = 0, titleHeight = 0;
        context::TextExtents(dialogFont, titleText.c_str(), (int)titleText.Length(), titleWidth, titleHeight);
        widest = std::max(widest, titleWidth);
    }

    messageLabel->SetLabel(text, messageFont, 0);
    messageLabel->SetSize(widest + 44, total + 38);
    messageLabel->Refresh();
    titleLabel->SetSize(widest + 44, 20);
    okButton->SetPosition(((widest + 64) >> 1) - 20, total + 88);
    okButton->Refresh();
    SetSize(widest + 64, total + 128);
}

void SMessageDialog::SetMessage(const char* text, const char* title)
{
    messageText.Clear(false);
    messageText.Append(text);
    titleText.Clear(false);
    titleText.Append(title);
    Layout(true);
}

void SMessageDialog::ShowMessage(const char* text, const char* title)
{
    SetMessage(text, title);
    ShowDialog();
}

void SMessageDialog::ShowModal(const char* text, const char* title)
{
    messageText.Clear(false);
    messageText.Append(text);
    titleText.Clear(false);
    titleText.Append(title);
    Layout(false);
    Show();
    Foreground(true);
    RunModalLoop();
}

}  // namespace kova::gui
