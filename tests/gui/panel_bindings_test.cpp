// The control panel and the engine: every control's place and name, user
// changes reaching the engine and the host, engine changes reaching the
// controls, panic, MIDI learn with its blinking, and the title picture.
#include "editor_fixture.h"

#include <cstring>
#include <string>

#include "kova/gui/context/drawobjects.h"
#include "kova/gui/cyclebutton.h"
#include "kova/gui/dispatchguard.h"

using namespace widget_test;

namespace {

class PanelBinding : public PanelTest {
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        if (HasFatalFailure())
            return;
        Call(effMainsChanged, 0, 1);  // resumed: learning is allowed
        Open();
        ASSERT_NE(Panel(), nullptr);
        ASSERT_TRUE(PumpUntil([&] { return Panel()->polyDial->GetValue() == 16; }));
        Settle();
        host.automated.clear();
        host.edits.clear();
    }
    SPluginPanel* P() { return Panel(); }
    // The second line of a control's tooltip (the dispatcher's, read under
    // its guard).
    static std::string TipText(SControl* control)
    {
        kova::gui::SDispatchGuard guard;
        auto* data = static_cast<kova::gui::SToolTipData*>(control->GetToolTipAnchor());
        if (!data || data->Objects().size() < 2)
            return {};
        return static_cast<kova::gui::STextObjectX*>(data->Objects()[1])->text.c_str();
    }
    std::vector<std::pair<VstInt32, float>> Automated(VstInt32 index)
    {
        std::vector<std::pair<VstInt32, float>> v;
        for (auto& a : host.automated)
            if (a.first == index)
                v.push_back(a);
        return v;
    }
};

}  // namespace

TEST_F(PanelBinding, EveryControlHasItsNamePlaceAndSize)
{
    struct Expected {
        SControl* control;
        const char* name;
        Rect rect;
        const char* tip = nullptr;  // the tooltip's second line, where checked
    };
    const Expected all[] = {
        {P()->titleLabel, "(TSRO) Label: Title", Rect(13, 12, 247, 42)},
        {P()->killButton, "(TSRO) Button: Kill Active Notes", Rect(120, 70, 170, 100)},
        {P()->panicButton, "(TSRO) Button: Midi Panic", Rect(180, 70, 230, 100)},
        {P()->throughButton, "(TSRO) Button: Midi Through", Rect(230, 130, 246, 146)},
        {P()->presetButton, "(TSRO) Button: Preset Switching", Rect(227, 47, 243, 63)},
        {P()->pedalButton, "(TSRO) Button: Sustain Pedal", Rect(210, 130, 226, 146)},
        {P()->learnPolyButton, "(TSRO) Button: Midi Learn (Poly)", Rect(95, 110, 110, 125)},
        {P()->learnKillButton, "(TSRO) Button: Midi Learn (Kill)", Rect(155, 110, 170, 125)},
        {P()->learnPanicButton, "(TSRO) Button: Midi Learn (Panic)", Rect(215, 110, 230, 125)},
        {P()->polyDial, "(TSRO) Control: Polyphony", Rect(60, 70, 110, 100)},
        {P()->activeDisplay, "(TSRO) Display: Polyphony", Rect(172, 132, 200, 144)},
        {P()->polyCCDial, "(TSRO) Control: Polyphony CC", Rect(65, 110, 87, 125)},
        {P()->killCCDial, "(TSRO) Control: Kill CC", Rect(125, 110, 147, 125)},
        {P()->panicCCDial, "(TSRO) Control: Panic CC", Rect(185, 110, 207, 125)},
        {P()->stealButton, "(TSRO) Button: Steal Policy", Rect(13, 130, 59, 146), "Steal Oldest"},
        {P()->perChannelButton, "(TSRO) Button: Per Channel", Rect(63, 130, 79, 146), "Per Channel"},
        {P()->noteReturnButton, "(TSRO) Button: Note Return", Rect(83, 130, 99, 146), "Note Return"},
    };
    for (const Expected& e : all) {
        ASSERT_NE(e.control, nullptr) << e.name;
        EXPECT_STREQ(e.control->SControl::GetLabel().c_str(), e.name);
        EXPECT_EQ(e.control->GetWindowRect(), e.rect) << e.name;
        EXPECT_TRUE(e.control->IsMapped()) << e.name;
        if (e.tip) {
            EXPECT_EQ(TipText(e.control), e.tip) << e.name;
        }
    }
    EXPECT_STREQ(P()->stealButton->Caption(), "Oldest");
    EXPECT_FALSE(P()->activeDisplay->AcceptsMouse());
    EXPECT_EQ(P()->killButton->GetType(), 4);
    EXPECT_EQ(P()->panicButton->GetType(), 2);
    EXPECT_STREQ(P()->CCTexts()[0].c_str(), "---");
    EXPECT_STREQ(P()->CCTexts()[1].c_str(), "000");
    EXPECT_STREQ(P()->CCTexts()[128].c_str(), "127");
}

TEST_F(PanelBinding, TurningThePolyphonyDialSetsTheEngineAndTheHostHearsIt)
{
    MoveTo(*P()->polyDial, 25, 15);
    Mouse(*P()->polyDial, ButtonPress, Button5);  // wheel down
    EXPECT_EQ(P()->polyDial->GetValue(), 15);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kParamPolyphony), 15 * 0.007874016f);
    ASSERT_EQ(Automated(kParamPolyphony).size(), 1u);
    EXPECT_FLOAT_EQ(Automated(kParamPolyphony)[0].second, 15 * 0.007874016f);
    // A wheel step is a gesture of its own.
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 0", "automate 0", "end 0"}));

    // So is a Ctrl click, which puts the default back, in the engine too.
    host.edits.clear();
    Click(*P()->polyDial, Button1, ControlMask);
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 0", "automate 0", "end 0"}));
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kParamPolyphony), 16 * 0.007874016f);
}

TEST_F(PanelBinding, TheHostSeesADialDragAndAPanicPressEachAsOneGesture)
{
    // Two steps up: the gesture begins at the press and ends at the release.
    MoveTo(*P()->polyDial, 25, 20);
    Mouse(*P()->polyDial, ButtonPress, Button1);
    for (int y = 19; y >= 7; --y)
        MoveTo(*P()->polyDial, 25, y);
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 0", "automate 0", "automate 0"}));
    Mouse(*P()->polyDial, ButtonRelease, Button1);
    EXPECT_EQ(host.edits.back(), "end 0");
    EXPECT_EQ(P()->polyDial->GetValue(), 18);

    host.edits.clear();
    MoveTo(*P()->panicButton, 20, 15);
    Click(*P()->panicButton);
    EXPECT_EQ(host.edits,
              (std::vector<std::string>{"begin 2", "automate 2", "automate 2", "automate 2", "end 2"}));
}

TEST_F(PanelBinding, ClosingDuringADragEndsItsGestureAndTheNextDragIsOneGestureAgain)
{
    MoveTo(*P()->polyDial, 25, 20);
    Mouse(*P()->polyDial, ButtonPress, Button1);
    Close();  // the release never comes
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 0", "end 0"}));

    Open();
    Settle();
    host.edits.clear();
    MoveTo(*P()->polyDial, 25, 20);
    Mouse(*P()->polyDial, ButtonPress, Button1);
    for (int y = 19; y >= 7; --y)
        MoveTo(*P()->polyDial, 25, y);
    Mouse(*P()->polyDial, ButtonRelease, Button1);
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 0", "automate 0", "automate 0", "end 0"}));
}

TEST_F(PanelBinding, LoweringThePolyphonyEndsTheOldestNotesAndTheDisplayFollows)
{
    std::vector<VstMidiEvent> notes;
    for (int i = 0; i < 10; ++i)
        notes.push_back(Midi(0x90, (unsigned char)(60 + i), 100));
    Block(notes);
    EXPECT_TRUE(WaitUntil([&] { return P()->activeDisplay->GetValue() == 10; }));
    host.events.clear();
    // Down to 3, with the middle button on the lower half.
    P()->polyDial->SetValue(4, false);
    MoveTo(*P()->polyDial, 5, 15);
    Click(*P()->polyDial, Button2);
    EXPECT_EQ(P()->polyDial->GetValue(), 3);
    Block({});
    int offs = 0;
    for (const VstMidiEvent& e : host.events)
        offs += ((unsigned char)e.midiData[0] & 0xF0) == 0x80 || (((unsigned char)e.midiData[0] & 0xF0) == 0x90 &&
                                                                    e.midiData[2] == 0);
    EXPECT_EQ(offs, 7);
    EXPECT_TRUE(WaitUntil([&] { return P()->activeDisplay->GetValue() == 3; }));
}

TEST_F(PanelBinding, TheKillAndOptionButtonsSwitchTheEngine)
{
    MoveTo(*P()->killButton, 20, 15);
    Click(*P()->killButton);
    EXPECT_EQ(effect->getParameter(effect, kParamKill), 1.0f);
    MoveTo(*P()->throughButton, 8, 8);
    Click(*P()->throughButton);
    EXPECT_EQ(effect->getParameter(effect, kParamMidiThrough), 1.0f);
    MoveTo(*P()->presetButton, 8, 8);
    Click(*P()->presetButton);
    EXPECT_EQ(effect->getParameter(effect, kParamPresetSwitching), 1.0f);
    Click(*P()->presetButton);
    EXPECT_EQ(effect->getParameter(effect, kParamPresetSwitching), 0.0f);
    host.edits.clear();
    MoveTo(*P()->pedalButton, 8, 8);
    Click(*P()->pedalButton);
    EXPECT_EQ(effect->getParameter(effect, kParamSustainPedal), 1.0f);
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 5", "automate 5", "end 5"}));
    EXPECT_EQ(Automated(kParamKill).size(), 1u);
    EXPECT_EQ(Automated(kParamPresetSwitching).size(), 2u);
    EXPECT_EQ(Automated(kParamSustainPedal).size(), 1u);
    // Switched off by the host, the button follows without telling it back.
    effect->setParameter(effect, kParamSustainPedal, 0.0f);
    EXPECT_TRUE(WaitUntil([&] { return P()->pedalButton->GetValue() == 0; }));
    EXPECT_EQ(Automated(kParamSustainPedal).size(), 1u);
    EXPECT_EQ(host.edits.size(), 3u);
}

TEST_F(PanelBinding, TheVoiceAllocationButtonsSetTheEngineInOneGestureEachAndFollowIt)
{
    SPluginPanel* p = P();
    MoveTo(*p->stealButton, 20, 8);
    Click(*p->stealButton);
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 11", "automate 11", "end 11"}));
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kParamStealPolicy), 0.25f);
    EXPECT_STREQ(p->stealButton->Caption(), "Newest");
    EXPECT_EQ(TipText(p->stealButton), "Steal Newest");
    // The wheel steps back past Oldest round to Quietest, a gesture a step.
    Mouse(*p->stealButton, ButtonPress, Button5);
    Mouse(*p->stealButton, ButtonPress, Button5);
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kParamStealPolicy), 1.0f);
    EXPECT_STREQ(p->stealButton->Caption(), "Quietest");
    EXPECT_EQ(host.edits.size(), 9u);
    EXPECT_EQ(Automated(kParamStealPolicy).size(), 3u);

    host.edits.clear();
    MoveTo(*p->perChannelButton, 8, 8);
    Click(*p->perChannelButton);
    MoveTo(*p->noteReturnButton, 8, 8);
    Click(*p->noteReturnButton);
    EXPECT_EQ(host.edits, (std::vector<std::string>{"begin 12", "automate 12", "end 12", "begin 13", "automate 13",
                                                    "end 13"}));
    EXPECT_EQ(effect->getParameter(effect, kParamPerChannel), 1.0f);
    EXPECT_EQ(effect->getParameter(effect, kParamNoteReturn), 1.0f);

    // The host's changes show, and nothing goes back.
    host.edits.clear();
    host.automated.clear();
    effect->setParameter(effect, kParamStealPolicy, 0.5f);
    effect->setParameter(effect, kParamNoteReturn, 0.0f);
    EXPECT_TRUE(WaitUntil([&] { return p->stealButton->GetValue() == 2 && p->noteReturnButton->GetValue() == 0; }));
    EXPECT_STREQ(p->stealButton->Caption(), "Lowest");
    EXPECT_TRUE(WaitUntil([&] { return TipText(p->stealButton) == "Steal Lowest"; }));
    // So does a program switch to a program with the defaults.
    Call(effSetProgram, 0, 5);
    EXPECT_TRUE(WaitUntil([&] { return p->stealButton->GetValue() == 0 && p->perChannelButton->GetValue() == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return TipText(p->stealButton) == "Steal Oldest"; }));
    Settle();
    EXPECT_TRUE(host.automated.empty());
    EXPECT_TRUE(host.edits.empty());
}

TEST_F(PanelBinding, OneClickOnPanicSendsThePanicOnceAndLeavesItOff)
{
    MoveTo(*P()->panicButton, 20, 15);
    Click(*P()->panicButton);
    EXPECT_EQ(P()->panicButton->GetValue(), 0);
    EXPECT_EQ(effect->getParameter(effect, kParamPanic), 0.0f);
    const auto pulses = Automated(kParamPanic);
    ASSERT_EQ(pulses.size(), 3u);
    EXPECT_EQ(pulses[0].second, 0.0f);
    EXPECT_EQ(pulses[1].second, 1.0f);
    EXPECT_EQ(pulses[2].second, 0.0f);
    host.events.clear();
    Block({});
    int allSoundOff = 0, bendCentre = 0;
    for (const VstMidiEvent& e : host.events) {
        const unsigned char s = (unsigned char)e.midiData[0];
        allSoundOff += (s & 0xF0) == 0xB0 && e.midiData[1] == 120;
        bendCentre += (s & 0xF0) == 0xE0 && e.midiData[2] == 64;
    }
    EXPECT_EQ(allSoundOff, 16);
    EXPECT_EQ(bendCentre, 16);
}

TEST_F(PanelBinding, AControllerDialShowsDashesForOffAndThreeDigitNumbers)
{
    SPluginPanel::Dial* cc = P()->killCCDial;
    EXPECT_STREQ(cc->ValueText().c_str(), "---");
    EXPECT_EQ(cc->ValueTextColour(), Std(4));
    MoveTo(*cc, 11, 7);
    Mouse(*cc, ButtonPress, Button4);
    EXPECT_STREQ(cc->ValueText().c_str(), "000");
    EXPECT_FLOAT_EQ(effect->getParameter(effect, kParamKillCC), 0.0078125f);
    effect->setParameter(effect, kParamKillCC, 1.0f);
    EXPECT_TRUE(WaitUntil([&] { return cc->GetValue() == 128; }));
    EXPECT_STREQ(cc->ValueText().c_str(), "127");
}

TEST_F(PanelBinding, LearningFromTwoButtonsAssignsTheNextControllerToBoth)
{
    MoveTo(*P()->learnKillButton, 7, 7);
    Click(*P()->learnKillButton);
    MoveTo(*P()->learnPanicButton, 7, 7);
    Click(*P()->learnPanicButton);
    EXPECT_TRUE(P()->Learning());
    EXPECT_TRUE(plugin->Engine().Learning());
    EXPECT_TRUE(plugin->Engine().LearnArmed(LearnTarget::Kill));
    EXPECT_TRUE(plugin->Engine().LearnArmed(LearnTarget::Panic));
    EXPECT_FALSE(plugin->Engine().LearnArmed(LearnTarget::Polyphony));
    // The armed buttons blink between red and cyan.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Settle(50);
    bool red = false, cyan = false;
    for (int i = 0; i < 20 && !(red && cyan); ++i) {
        const unsigned long p = PixelAt(P()->learnKillButton->GetWindow(), 3, 3);
        red |= p == Rgb(Std(4));
        cyan |= p == Rgb(Std(12));
        Settle(30);
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(cyan);

    Block({Midi(0xB0, 21, 64)});
    EXPECT_TRUE(WaitUntil([&] {
        return !P()->Learning() && P()->learnKillButton->GetValue() == 0 && P()->learnPanicButton->GetValue() == 0;
    }));
    EXPECT_FALSE(plugin->Engine().Learning());
    EXPECT_TRUE(WaitUntil([&] { return P()->killCCDial->GetValue() == 22 && P()->panicCCDial->GetValue() == 22; }));
    EXPECT_STREQ(P()->killCCDial->ValueText().c_str(), "021");
    EXPECT_EQ(P()->polyCCDial->GetValue(), 0);
}

TEST_F(PanelBinding, ReleasingTheOnlyArmedLearnButtonEndsLearningWithoutAssigning)
{
    MoveTo(*P()->learnPolyButton, 7, 7);
    Click(*P()->learnPolyButton);
    EXPECT_TRUE(P()->Learning());
    Click(*P()->learnPolyButton);
    EXPECT_FALSE(P()->Learning());
    EXPECT_FALSE(plugin->Engine().Learning());
    EXPECT_FALSE(plugin->Engine().LearnArmed(LearnTarget::Polyphony));
    Block({Midi(0xB0, 5, 64)});
    Settle();
    EXPECT_EQ(P()->polyCCDial->GetValue(), 0);
}

TEST_F(PanelBinding, LearningCannotStartWhileTheEngineIsSuspended)
{
    Call(effMainsChanged, 0, 0);
    MoveTo(*P()->learnKillButton, 7, 7);
    Click(*P()->learnKillButton);
    EXPECT_FALSE(P()->Learning());
    EXPECT_EQ(P()->learnKillButton->GetValue(), 0);
    EXPECT_FALSE(plugin->Engine().LearnArmed(LearnTarget::Kill));
}

TEST_F(PanelBinding, ClickingTheTitleHidesItAndClickingThereAgainShowsIt)
{
    MoveTo(*P()->titleLabel, 100, 10);
    Click(*P()->titleLabel);
    EXPECT_FALSE(P()->titleLabel->IsMapped());
    Settle();
    MoveTo(*P(), 113, 22);  // the same place, now on the panel
    Click(*P());
    EXPECT_TRUE(P()->titleLabel->IsMapped());
}

TEST_F(PanelBinding, TheCornerSquareSwitchesTheTooltips)
{
    EXPECT_FALSE(P()->tooltip->enabled);
    MoveTo(*P(), 4, 4);
    Click(*P());
    EXPECT_TRUE(P()->tooltip->enabled);
    EXPECT_NE(P()->polyDial->GetState() & SControl::TooltipsOn, 0u);
    Settle();
    EXPECT_EQ(PixelAt(P()->GetWindow(), 4, 4), Rgb(Std(4)));
    MoveTo(*P()->polyDial, 20, 10);
    EXPECT_TRUE(PumpUntil([&] { return P()->tooltip->shown; }));
    MoveTo(*P(), 4, 4);
    EXPECT_TRUE(PumpUntil([&] { return !P()->tooltip->shown; }));
    Click(*P());
    EXPECT_FALSE(P()->tooltip->enabled);
}

TEST_F(PanelBinding, AProgramChangeShowsTheNewProgramWithoutSendingAnythingBack)
{
    effect->setParameter(effect, kParamPolyphony, 99.0f / 127.0f);
    char name[] = "Strings";
    Call(effSetProgram, 0, 5);
    Call(effSetProgramName, 0, 0, name);
    Settle();
    host.automated.clear();
    EXPECT_TRUE(WaitUntil([&] { return std::strcmp(P()->ProgramName(), "Strings") == 0; }));
    EXPECT_TRUE(WaitUntil([&] { return P()->polyDial->GetValue() == 16; }));
    Settle();
    EXPECT_TRUE(host.automated.empty());
}
