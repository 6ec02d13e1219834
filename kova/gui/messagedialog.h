// SMessageDialog: the dialog that tells the user about a failure: a title
// line, a message of one or more lines and an "OK" button. The dialog sizes
// itself to its texts (at least 64 x 128) and hides when OK is pressed.
#pragma once

#include "kova/data/datastring.h"
#include "kova/gui/dialog.h"

namespace kova::gui {

template <bool Vertical>
class SLabel;
template <bool Vertical>
class SButton;

class SMessageDialog : public SDialog {
public:
    using String = kova::data::datastring<32, char>;

    // A hidden 320 x 240 dialog under the root window of the display in use.
    SMessageDialog();
    ~SMessageDialog() override;

    // Closes the dialog when its OK button reports a press.
    void ParseEvent(SEvent* ev) override;
    // Lays out and shows the texts; returns at once.
    virtual void ShowMessage(const char* text, const char* title);
    // Lays out the texts without showing them.
    virtual void SetMessage(const char* text, const char* title);
    // Lays out, shows and waits until the dialog is closed.
    virtual void ShowModal(const char* text, const char* title);
    using SDialog::ShowModal;

    SLabel<false>* TitleLabel() const { return titleLabel; }
    SLabel<false>* MessageLabel() const { return messageLabel; }
    SButton<false>* OkButton() const { return okButton; }
    const String& MessageText() const { return messageText; }
    const String& TitleText() const { return titleText; }

private:
    // Sizes and places the children for the stored texts. withTitle: the
    // title's width counts towards the dialog's width.
    void Layout(bool withTitle);

    SLabel<false>* titleLabel = nullptr;
    SLabel<false>* messageLabel = nullptr;
    SButton<false>* okButton = nullptr;
    String messageText;
    String titleText;
    kova::gui::context::SDrawFont* messageFont = nullptr;
};

}  // namespace kova::gui
