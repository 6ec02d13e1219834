#include "plugin/pluginpanel.h"

#include <X11/Xlib.h>
#include <cmath>
#include <cstring>

#include "kova/gui/button.h"
#include "kova/gui/connection.h"
#include "kova/gui/context/bitmap.h"
#include "kova/gui/context/colour.h"
#include "kova/gui/context/drawing.h"
#include "kova/gui/context/memorydevice.h"
#include "kova/gui/cyclebutton.h"
#include "kova/gui/dial.h"
#include "kova/gui/dispatchguard.h"
#include "kova/gui/globals.h"
#include "kova/gui/imagelabel.h"
#include "kova/gui/input.h"
#include "kova/gui/sharedpaint.h"
#include "kova/gui/tooltip.h"
#include "kova/images/text_logo.h"
#include "kova/threading/timer.h"
#include "plugin/panellayout.h"
#include "plugin/pluginaccess.h"

using kova::gui::SCOL;
using kova::gui::SelectBrush;
using kova::gui::SelectPen;
using kova::gui::SelectPenAndBrush;
using kova::gui::StandardColour;
using kova::gui::context::SInput;
using namespace kova::gui::context;

namespace {

constexpr float kPolyScale = 0.007874016f;  // 1 / 127
constexpr float kCCScale = 0.0078125f;      // 1 / 128

// Nearest integer, halves upward, with the system's small bias.
int Round(double v)
{
    return (int)std::floor(v + 8.326e-17 + 0.5);
}

constexpr const char* kCreditLine = "MIDI Polyphony Limiter";

// Creation flags: the large buttons are rounded and outlined, the dials
// rounded.
constexpr int kLargeButtonFlags = kova::gui::SControl::Outlined | kova::gui::SControl::Rounded;
constexpr int kDialFlags = kova::gui::SControl::ValueControlMark | kova::gui::SControl::Rounded;

}  // namespace

SPluginPanel::SPluginPanel(SGlobals* globals, kova::gui::SControl* owner, unsigned int id, const char* name,
                           int flags, int x, int y, int width, int height, int parentWindow, bool unused)
    : SWindow(globals, owner, id, name, flags, x, y, width, height, parentWindow, unused)
{
    EnableEventHandler(kova::gui::kChannelClick);
    EnableEventHandler(kova::gui::kChannelValue);
    EnableEventHandler(kova::gui::kChannelTimer);
    EnableEventHandler(Dial::GestureChannel);
    AddEventListener(this, kova::gui::kChannelTimer);
    backgroundBitmap = new SDrawBitmap(nullptr, width, height, false);
    backgroundDevice = new SDrawMemoryDevice(drawing ? drawing->GetDevice() : nullptr, backgroundBitmap);
    learnTimer = new kova::threading::STimer(this, globals ? (unsigned)globals->NextId() : 0, 0);
}

SPluginPanel::~SPluginPanel()
{
    // The blink timer's ticks reach this panel: stop them first.
    delete learnTimer;
    learnTimer = nullptr;
    // The controller dials show these texts; they go before the texts do.
    for (Dial* dial : {polyCCDial, killCCDial, panicCCDial})
        if (dial)
            dial->SetValueTexts(nullptr, 0, false);
    delete[] ccTexts;
    ccTexts = nullptr;
    delete backgroundDevice;
    backgroundDevice = nullptr;
    delete backgroundBitmap;
    backgroundBitmap = nullptr;
}

SPluginPanel::Button* SPluginPanel::MakeButton(const char* name, const SPanelPlace& place, int flags,
                                               const char* caption, int type, int onColour, int parentColour,
                                               const char* tip)
{
    auto c = StandardColour;
    auto* b = new Button(globals, this, (unsigned)globals->NextId() + 1, name, flags, place.x, place.y, place.width,
                         place.height, (int)window, false);
    b->SetColours(c(20), c(onColour), c(parentColour), c(0), c(0), c(0), c(0));
    b->SetLabel(caption, statdata ? statdata->FindFont(8, false, false) : nullptr, 0);
    b->SetLabelColours(c(0), c(19));
    b->SetLabelColourActive(c(20));
    b->SetHoverColours(c(onColour), c(0));
    b->SetType(type);
    b->AddEventListener(this, kova::gui::kChannelClick);
    kova::gui::SetTooltip(b, tooltip, tip, kova::gui::SIToolTipAnchor::PlaceBelow);
    return b;
}

SPluginPanel::Dial* SPluginPanel::MakeDial(const char* name, const SPanelPlace& place, int value, int max,
                                           const char* tip)
{
    auto c = StandardColour;
    auto* d = new Dial(globals, this, globals->NextId() + 1, name, kDialFlags, place.x, place.y, place.width,
                       place.height, false, true, (int)window, value, 0, max, value);
    d->SetColours(c(20), c(20), c(20), c(0), c(0), c(0), c(0));
    d->SetLabelColours(c(0), c(19));
    d->SetHoverColours(c(20), c(23));
    d->SetControlColours(c(20), c(0), c(20), c(20));
    d->SetLabel("", statdata ? statdata->FindFont(8, false, false) : nullptr, 0);
    d->SetValueFont(statdata ? statdata->FindFont(8, false, false) : nullptr);
    d->AddEventListener(this, kova::gui::kChannelValue);
    d->AddEventListener(this, Dial::GestureChannel);
    kova::gui::SetTooltip(d, tooltip, tip, kova::gui::SIToolTipAnchor::PlaceBelow);
    return d;
}

void SPluginPanel::LoadControls()
{
    auto c = StandardColour;
    SetColours(c(24), c(24), c(24), c(0), c(0), c(0), c(0));

    tooltip = new kova::gui::SToolTip(this, true);
    tooltip->SetColours(c(24), c(24), c(24), c(0), c(0), c(0), c(0));
    tooltip->textColour = c(0);
    tooltip->firstLineColour = c(2);
    tooltip->arrowColour = c(4);
    tooltip->roundShape = true;
    tooltip->boldSecond = true;

    const SPanelPlace& title = panel_layout::kTitle;
    titleLabel = new kova::gui::SImageLabel(globals, this, globals->NextId() + 1, "(TSRO) Label: Title", 0, title.x,
                                            title.y, title.width, title.height, (int)window);
    titleLabel->LoadBackground((void*)kova::images::text_logo, title.width, title.height);
    titleLabel->AddEventListener(this, kova::gui::kChannelClick);
    titleLabel->Show();
    Add(titleLabel);
    titleRect = titleLabel->GetWindowRect();

    killButton = MakeButton("(TSRO) Button: Kill Active Notes", panel_layout::kKill, kLargeButtonFlags, "Kill", 4,
                            11, 20, "Option:\nKill Active Notes\n(if polyphony limit reached)");
    killButton->SetFrameColour(c(24), c(20), SCOL(138, 145, 150));
    panicButton = MakeButton("(TSRO) Button: Midi Panic", panel_layout::kPanic, kLargeButtonFlags, "Panic", 2, 1, 20,
                             "Action:\nSend Midi Panic");
    panicButton->SetFrameColour(c(24), SCOL(255, 255, 255), SCOL(138, 145, 150));
    throughButton = MakeButton("(TSRO) Button: Midi Through", panel_layout::kThrough, 0, "T", 4, 2, 24,
                               "Option:\nMidi Through\n(other than notes)");
    pedalButton = MakeButton("(TSRO) Button: Sustain Pedal", panel_layout::kPedal, 0, "S", 4, 2, 24,
                             "Option:\nSustain Pedal");
    presetButton = MakeButton("(TSRO) Button: Preset Switching", panel_layout::kPresets, 0, "P", 4, 4, 5,
                              "Option:\nEnable Preset Switching\n(via Program Changes)");
    learnPolyButton = MakeButton("(TSRO) Button: Midi Learn (Poly)", panel_layout::kLearnPoly, 0, "L", 4, 12, 24,
                                 "Action:\nMidi Learn (Poly)");
    learnKillButton = MakeButton("(TSRO) Button: Midi Learn (Kill)", panel_layout::kLearnKill, 0, "L", 4, 12, 24,
                                 "Action:\nMidi Learn (Kill)");
    learnPanicButton = MakeButton("(TSRO) Button: Midi Learn (Panic)", panel_layout::kLearnPanic, 0, "L", 4, 12, 24,
                                  "Action:\nMidi Learn (Panic)");
    perChannelButton = MakeButton("(TSRO) Button: Per Channel", panel_layout::kPerChannel, 0, "C", 4, 2, 24,
                                  "Option:\nPer Channel");
    noteReturnButton = MakeButton("(TSRO) Button: Note Return", panel_layout::kNoteReturn, 0, "R", 4, 2, 24,
                                  "Option:\nNote Return");

    const SPanelPlace& steal = panel_layout::kSteal;
    stealButton = new kova::gui::SCycleButton(globals, this, (unsigned)globals->NextId() + 1,
                                              "(TSRO) Button: Steal Policy", 0, steal.x, steal.y, steal.width,
                                              steal.height, (int)window, kStealPolicyNames, kStealPolicies);
    stealButton->SetColours(c(20), c(2), c(24), c(0), c(0), c(0), c(0));
    stealButton->SetLabel("", statdata ? statdata->FindFont(8, false, false) : nullptr, 0);
    stealButton->SetLabelColours(c(0), c(19));
    stealButton->SetLabelColourActive(c(20));
    stealButton->SetHoverColours(c(2), c(0));
    stealButton->AddEventListener(this, kova::gui::kChannelClick);
    ShowStealPolicy(0);

    for (Button* b : {killButton, panicButton, throughButton, pedalButton, presetButton, learnPolyButton,
                      learnKillButton, learnPanicButton, perChannelButton, noteReturnButton,
                      static_cast<Button*>(stealButton)}) {
        b->Show();
        Add(b);
    }

    polyDial =
        MakeDial("(TSRO) Control: Polyphony", panel_layout::kPolyphony, 16, 127, "Option:\nSet Max Midi Polyphony");
    SDrawFont* big = statdata ? statdata->FindFont(12, true, false) : nullptr;
    polyDial->SetLabel("", big, 0);
    polyDial->SetValueFont(big);
    polyDial->Show();
    Add(polyDial);

    activeDisplay = MakeDial("(TSRO) Display: Polyphony", panel_layout::kActiveNotes, 0, 128,
                             "Display:\nMidi Polyphony\n(currently active)");
    activeDisplay->SetColours(c(24), c(24), c(24), c(0), c(0), c(0), c(0));
    activeDisplay->SetLabelColours(c(23), c(19));
    activeDisplay->SetHoverColours(c(24), c(24));
    activeDisplay->SetControlColours(c(24), c(0), c(24), c(24));
    activeDisplay->SetAcceptsMouse(false);
    activeDisplay->Show();
    Add(activeDisplay);

    polyCCDial =
        MakeDial("(TSRO) Control: Polyphony CC", panel_layout::kPolyCC, 0, 128, "Option:\nRemote CC (Polyphony)");
    killCCDial = MakeDial("(TSRO) Control: Kill CC", panel_layout::kKillCC, 0, 128, "Option:\nRemote CC (Kill)");
    panicCCDial = MakeDial("(TSRO) Control: Panic CC", panel_layout::kPanicCC, 0, 128, "Option:\nRemote CC (Panic)");

    ccTexts = new String[kCCTextCount];
    ccTexts[0].Append("---");
    for (int i = 1; i < kCCTextCount; ++i)
        ccTexts[i].Append(8, "%03d", i - 1);
    for (Dial* d : {polyCCDial, killCCDial, panicCCDial}) {
        d->SetValueTexts(ccTexts, kCCTextCount, false);
        d->UseValueTexts(true);
        d->SetSpecialColour(0, c(4), true);
        d->Show();
        Add(d);
    }

    controlsLoaded = true;
    RefreshPanel();
}

void SPluginPanel::Focussing(bool on)
{
    SControl::Focussing(on);
}

void SPluginPanel::RefreshPanel()
{
    backgroundStale = 2;
    Refresh();
}

void SPluginPanel::RefreshLabels()
{
    int expected = 0;
    backgroundStale.compare_exchange_strong(expected, 1);
    Refresh();
}

void SPluginPanel::PaintBackground(bool whole)
{
    if (!drawing || !backgroundDevice)
        return;
    auto c = StandardColour;
    SDrawDevice* windowDevice = drawing->GetDevice();
    drawing->SetDevice(backgroundDevice);
    SDrawFont* small = statdata ? statdata->FindFont(7, false, false) : nullptr;
    SDrawFont* normal = statdata ? statdata->FindFont(8, false, false) : nullptr;

    if (whole) {
        SControl::Draw(Rect(0, 0, Width(), Height()));
        drawing->SetFont(small);
        drawing->SetTextColour(c(0), false);
        drawing->DrawText("Tessaro 1.04", 18, 15);
        drawing->SetTextColour(c(23), false);
        drawing->DrawText(kCreditLine, 112, 15);
        drawing->DrawText("VST Plugin Technology by Steinberg", 48, 28);
    }

    SelectPenAndBrush(drawing, c(5));
    drawing->FillRoundedRect(13, 44, 246, 74, 3, 3);
    drawing->DrawRoundedRect(13, 44, 246, 74, 3, 3);
    drawing->SetFont(normal);
    drawing->SetTextColour(c(0), false);
    {
        std::lock_guard<std::mutex> lock(nameMutex);
        drawing->DrawText(programName, 16, 46);
    }
    SelectPenAndBrush(drawing, c(26));
    drawing->FillRect(13, 64, 246, 129);
    drawing->DrawRect(13, 64, 246, 129);
    SelectPenAndBrush(drawing, c(20));
    drawing->FillRoundedRect(54, 66, 237, 127, 4, 4);
    drawing->DrawRoundedRect(54, 66, 237, 127, 4, 4);
    SelectPen(drawing, c(23));
    drawing->DrawLine(115, 68, 115, 128);
    drawing->DrawLine(175, 68, 175, 128);
    drawing->SetFont(small);
    drawing->SetTextColour(c(23), false);
    drawing->DrawText("  Poly", 18, 75);
    drawing->DrawText("Control", 18, 85);
    drawing->DrawText("  Learn", 18, 110);
    if (whole)
        drawing->DrawText("Active Notes: ", 105, 134);

    drawing->SetDevice(windowDevice);
}

void SPluginPanel::Draw(const Rect&)
{
    if (!drawing || !backgroundDevice || !backgroundBitmap)
        return;
    const int stale = backgroundStale.exchange(0);
    if (stale)
        PaintBackground(stale == 2);
    drawing->DrawMemory(backgroundDevice, Point(0, 0), Rect(0, 0, Width(), Height()));
    if (tooltip)
        tooltip->DrawTiprect(drawing);
}

bool SPluginPanel::PointerInClient(Point& p)
{
    Display* d = kova::gui::GetDisplay();
    if (!d || !window)
        return false;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(d, window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return false;
    p = Point(x, y);
    return true;
}

void SPluginPanel::MouseStateChanged(bool* state, int code)
{
    SControl::MouseStateChanged(state, code);
    switch (code) {
    case SInput::LeftDown: case SInput::RightDown: case SInput::MiddleDown:
    case SInput::LeftDouble: case SInput::RightDouble: case SInput::MiddleDouble: break;
    default: return;
    }
    Point p;
    if (!PointerInClient(p))
        return;
    if (tooltip && tooltip->indicatorRect.Contains(p)) {
        tooltip->ToggleTooltips();
        RefreshRectangle(tooltip->indicatorRect);
    }
    if (titleLabel && titleRect.Contains(p))
        titleLabel->Show();
}

bool SPluginPanel::LearnTargetOf(kova::gui::SControl* button, LearnTarget& target) const
{
    if (button == learnPolyButton)
        target = LearnTarget::Polyphony;
    else if (button == learnKillButton)
        target = LearnTarget::Kill;
    else if (button == learnPanicButton)
        target = LearnTarget::Panic;
    else
        return false;
    return true;
}

void SPluginPanel::ParseEvent(kova::gui::SEvent* ev)
{
    if (!ev || !controlsLoaded)
        return;
    kova::gui::SControl* source = ev->sender;
    switch (ev->type) {
    case kova::gui::kChannelClick: {
        if (source == titleLabel) {
            titleLabel->Hide();
            return;
        }
        if (!plugin)
            return;
        const int v = ev->value;
        if (source == killButton) {
            ChangeInOneGesture(kParamKill, (float)v);
        } else if (source == panicButton) {
            // One press sends the panic once and leaves it off.
            plugin->BeginGesture(kParamPanic);
            plugin->UserChange(kParamPanic, 0.0f);
            plugin->UserChange(kParamPanic, 1.0f);
            plugin->UserChange(kParamPanic, 0.0f);
            plugin->EndGesture(kParamPanic);
        } else if (source == presetButton) {
            ChangeInOneGesture(kParamPresetSwitching, (float)v);
        } else if (source == throughButton) {
            ChangeInOneGesture(kParamMidiThrough, (float)v);
        } else if (source == pedalButton) {
            ChangeInOneGesture(kParamSustainPedal, (float)v);
        } else if (source == stealButton) {
            ChangeInOneGesture(kParamStealPolicy, (float)v / (kStealPolicies - 1));
            ShowStealPolicy(v);
        } else if (source == perChannelButton) {
            ChangeInOneGesture(kParamPerChannel, (float)v);
        } else if (source == noteReturnButton) {
            ChangeInOneGesture(kParamNoteReturn, (float)v);
        } else if (LearnTarget target; LearnTargetOf(source, target)) {
            if (v == 1) {
                if (plugin->Suspended()) {
                    MidiLearn(false, true);
                    return;
                }
                plugin->ArmLearn(target, true);
                if (!learning)
                    MidiLearn(true, true);
            } else {
                plugin->ArmLearn(target, false);
                if (!plugin->LearnArmed(LearnTarget::Polyphony) && !plugin->LearnArmed(LearnTarget::Kill) &&
                    !plugin->LearnArmed(LearnTarget::Panic))
                    MidiLearn(false, true);
            }
        }
        return;
    }
    case kova::gui::kChannelValue: {
        const int index = DialParameter(source);
        if (!plugin || index < 0)
            return;
        const float value = (float)ev->value * (index == kParamPolyphony ? kPolyScale : kCCScale);
        // A change of the dial the user holds belongs to that gesture; a
        // wheel step is a gesture of its own.
        if (index == heldParameter)
            plugin->UserChange(index, value);
        else
            ChangeInOneGesture(index, value);
        return;
    }
    case Dial::GestureChannel: {
        const int index = DialParameter(source);
        if (!plugin || index < 0)
            return;
        if (ev->value == Dial::GestureBegins) {
            EndGesture();
            heldParameter = index;
            plugin->BeginGesture(index);
        } else if (index == heldParameter) {
            EndGesture();
        }
        return;
    }
    case kova::gui::kChannelTimer: {
        if (!learnTimer || ev->value != (int)learnTimer->GetId() || !learning)
            return;
        const int colour = StandardColour(blinkPhase ? 4 : 12);
        for (Button* b : {learnPolyButton, learnKillButton, learnPanicButton}) {
            LearnTarget target;
            if (plugin && LearnTargetOf(b, target) && plugin->LearnArmed(target)) {
                b->SetBackground(colour, true);
                b->Refresh();
            }
        }
        blinkPhase = !blinkPhase;
        return;
    }
    default:
        return;
    }
}

int SPluginPanel::DialParameter(kova::gui::SControl* dial) const
{
    if (dial == polyDial)
        return kParamPolyphony;
    if (dial == polyCCDial)
        return kParamPolyCC;
    if (dial == killCCDial)
        return kParamKillCC;
    if (dial == panicCCDial)
        return kParamPanicCC;
    return -1;
}

void SPluginPanel::ChangeInOneGesture(int index, float value)
{
    plugin->BeginGesture(index);
    plugin->UserChange(index, value);
    plugin->EndGesture(index);
}

void SPluginPanel::ShowStealPolicy(int policy)
{
    kova::gui::SDispatchGuard guard;
    if (policy == stealTipPolicy || policy < 0 || policy >= kStealPolicies)
        return;
    stealTipPolicy = policy;
    String tip;
    tip.Append(64, "Option:\nSteal %s", kStealPolicyNames[policy]);
    kova::gui::SetTooltip(stealButton, tooltip, tip, kova::gui::SIToolTipAnchor::PlaceBelow);
}

void SPluginPanel::EndGesture()
{
    const int index = heldParameter;
    heldParameter = -1;
    if (index >= 0 && plugin)
        plugin->EndGesture(index);
}

void SPluginPanel::LetGoOfDials()
{
    EndGesture();
    for (Dial* dial : {polyDial, polyCCDial, killCCDial, panicCCDial})
        if (dial)
            dial->LetGo();
}

void SPluginPanel::MidiLearn(bool start, bool resetButtons)
{
    std::lock_guard<std::mutex> lock(learnMutex);
    if (start) {
        if (learning && learnTimer)
            learnTimer->Stop();
        learning = true;
        blinkPhase = true;
        if (plugin)
            plugin->SetLearning(true);
        if (learnTimer)
            learnTimer->Start(kLearnBlinkMs);
        return;
    }
    if (learning) {
        if (learnTimer)
            learnTimer->Stop();
        if (plugin)
            plugin->SetLearning(false);
        learning = false;
        blinkPhase = false;
    }
    if (!resetButtons)
        return;
    for (Button* b : {learnPolyButton, learnKillButton, learnPanicButton}) {
        if (!b)
            continue;
        b->SetBackground(StandardColour(12), true);
        b->SetValue(0, false);
        b->Refresh();
    }
}

void SPluginPanel::RefreshControls(long index)
{
    if (!controlsLoaded || !plugin)
        return;
    auto param = [this](int i) { return (double)plugin->ParameterValue(i); };
    switch (index) {
    case kParamPolyphony: polyDial->SetValue(Round(param(0) * 127.0), false); break;
    case kParamKill: killButton->SetValue(Round(param(1)), false); break;
    case kParamPresetSwitching: presetButton->SetValue(Round(param(3)), false); break;
    case kParamMidiThrough: throughButton->SetValue(Round(param(4)), false); break;
    case kParamSustainPedal: pedalButton->SetValue(Round(param(5)), false); break;
    case kParamPolyCC: polyCCDial->SetValue(Round(param(6) * 128.0), false); break;
    case kParamKillCC: killCCDial->SetValue(Round(param(7) * 128.0), false); break;
    case kParamPanicCC: panicCCDial->SetValue(Round(param(8) * 128.0), false); break;
    case kParamActiveNotes: activeDisplay->SetValue(plugin->SoundingNotes(), false); break;
    case kParamStealPolicy: {
        const int policy = Round(param(kParamStealPolicy) * (kStealPolicies - 1));
        stealButton->SetValue(policy, false);
        ShowStealPolicy(policy);
        break;
    }
    case kParamPerChannel: perChannelButton->SetValue(Round(param(kParamPerChannel)), false); break;
    case kParamNoteReturn: noteReturnButton->SetValue(Round(param(kParamNoteReturn)), false); break;
    case kParamLearnDone: MidiLearn(false, true); break;
    case -1: {
        char name[256] = {};
        plugin->ProgramName(name);
        {
            std::lock_guard<std::mutex> lock(nameMutex);
            std::strncpy(programName, name, sizeof programName - 1);
            programName[sizeof programName - 1] = 0;
        }
        RefreshLabels();
        for (long i : {(long)kParamPresetSwitching, (long)kParamMidiThrough, (long)kParamSustainPedal, (long)kParamKill,
                       (long)kParamKillCC, (long)kParamPolyphony, (long)kParamPolyCC, (long)kParamPanicCC,
                       (long)kParamActiveNotes, (long)kParamStealPolicy, (long)kParamPerChannel,
                       (long)kParamNoteReturn})
            RefreshControls(i);
        MidiLearn(false, true);
        break;
    }
    default: break;
    }
}
