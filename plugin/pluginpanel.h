// SPluginPanel: the editor's window, 260 x 162 pixels. It holds the
// controls, draws the static background (titles, frames, captions) once into
// a memory device, turns the user's changes into parameter changes the host
// records (SIPluginAccess::UserChange), shows the engine's changes that the
// editor hands over as indexed refreshes, and blinks the MIDI learn buttons.
//
// Engine bindings:
//   polyphony dial        parameter 0 (value / 127)
//   kill button           parameter 1
//   panic button          parameter 2, pulsed off-on-off per press
//   preset button         parameter 3
//   through button        parameter 4
//   pedal button          parameter 5
//   steal button          parameter 11 (policy / 4), cycling through the
//                         policies; its tooltip names the current one
//   per channel button    parameter 12
//   note return button    parameter 13
//   controller dials      parameters 6, 7, 8 (value / 128; 0 shows "---")
//   note display          shows parameter 10, the number of sounding notes
//   learn buttons         the engine's learn targets; index 9 from the
//                         engine ends learning
// Refreshes from the engine set the controls without sending anything back.
//
// Gestures: every user change reaches the host between a begin and an end
// for its parameter. A dial's gesture lasts from the press to the release
// (its changes in between); a wheel step and a button click are gestures
// of their own, the panic's three changes one gesture, a click or wheel
// step on the steal button one gesture.
//
// Threads: controls are made and destroyed on the host's GUI thread; events
// arrive on the thread that dispatches X events, refreshes on the toolkit's
// idle thread, blink ticks on the learn timer's thread. The static
// background is drawn by the dispatcher only (a refresh marks it stale).
#pragma once

#include <atomic>
#include <mutex>

#include "kova/data/datastring.h"
#include "kova/gui/window.h"
#include "plugin/engineparameters.h"

namespace kova::gui {
template <bool Vertical>
class SButton;
class SCycleButton;
template <typename T>
class SDial;
class SImageLabel;
class SToolTip;
}  // namespace kova::gui

namespace kova::gui::context {
class SDrawBitmap;
class SDrawMemoryDevice;
}  // namespace kova::gui::context

namespace kova::threading {
class STimer;
}

class SIPluginAccess;
struct SPanelPlace;

class SPluginPanel : public kova::gui::SWindow {
public:
    using Button = kova::gui::SButton<false>;
    using Dial = kova::gui::SDial<int>;
    using String = kova::data::datastring<32, char>;

    static constexpr int kCCTextCount = 129;
    static constexpr int kLearnBlinkMs = 222;
    // The panel window's creation flags: the corner decoration.
    static constexpr int kCreationFlags = kova::gui::SControl::PanelMark | kova::gui::SControl::Decorated;

    SPluginPanel(SGlobals* globals, kova::gui::SControl* owner, unsigned int id, const char* name, int flags, int x,
                 int y, int width, int height, int parentWindow, bool unused);
    ~SPluginPanel() override;

    // Makes the children, the value texts and the background. Call once,
    // after SetPlugin.
    void LoadControls() override;
    void Focussing(bool on) override;
    // Shows what the engine holds for the parameter index; -1 refreshes
    // everything (program name included) and ends learning; 9 ends learning.
    void RefreshControls(long index) override;
    void Draw(const Rect& r) override;
    // A click on the indicator square switches the tooltips; a click where
    // the title image was shows it again.
    void MouseStateChanged(bool* state, int code) override;
    void ParseEvent(kova::gui::SEvent* ev) override;

    // Marks the whole static background stale and redraws.
    void RefreshPanel();
    // Marks the program-dependent part stale (program name) and redraws.
    void RefreshLabels();
    // Starts (start) or ends the learn blinking; ending with resetButtons
    // also puts the three learn buttons back to off and cyan.
    void MidiLearn(bool start, bool resetButtons);
    // The editor closes under the user's hand: ends the gesture, and the
    // dials forget it, since its release never comes. Dispatcher thread,
    // or under the dispatch guard.
    void LetGoOfDials();

    // The plug-in the controls act on. Call once, before LoadControls.
    void SetPlugin(SIPluginAccess* access) { plugin = access; }

    // --- For the editor and tests ---
    Button* killButton = nullptr;
    Button* panicButton = nullptr;
    Button* throughButton = nullptr;
    Button* learnPolyButton = nullptr;
    Button* learnKillButton = nullptr;
    Button* learnPanicButton = nullptr;
    Button* presetButton = nullptr;
    Button* pedalButton = nullptr;
    kova::gui::SCycleButton* stealButton = nullptr;
    Button* perChannelButton = nullptr;
    Button* noteReturnButton = nullptr;
    Dial* polyDial = nullptr;
    Dial* activeDisplay = nullptr;
    Dial* polyCCDial = nullptr;
    Dial* killCCDial = nullptr;
    Dial* panicCCDial = nullptr;
    kova::gui::SImageLabel* titleLabel = nullptr;
    kova::gui::SToolTip* tooltip = nullptr;

    bool Learning() const { return learning.load(); }
    bool ControlsLoaded() const { return controlsLoaded; }
    const char* ProgramName() const { return programName; }
    const String* CCTexts() const { return ccTexts; }
    kova::threading::STimer* LearnTimer() const { return learnTimer; }

private:
    // Ends the gesture of the dial the user holds, if any.
    void EndGesture();
    Button* MakeButton(const char* name, const SPanelPlace& place, int flags, const char* caption, int type,
                       int onColour, int parentColour, const char* tip);
    Dial* MakeDial(const char* name, const SPanelPlace& place, int value, int max, const char* tip);
    // Draws the static background into the background device (dispatcher
    // only, under the display lock).
    void PaintBackground(bool whole);
    // The learn target a learn button arms; false for other controls.
    bool LearnTargetOf(kova::gui::SControl* button, LearnTarget& target) const;
    bool PointerInClient(Point& p);
    // The parameter a dial sets; -1 for other controls.
    int DialParameter(kova::gui::SControl* dial) const;
    void ChangeInOneGesture(int index, float value);
    // Gives the steal button the tooltip of its policy, unless it has it.
    // Takes the dispatch guard: the tooltip is the dispatcher's.
    void ShowStealPolicy(int policy);

    char programName[48] = {};
    Rect titleRect;
    String* ccTexts = nullptr;
    kova::threading::STimer* learnTimer = nullptr;
    std::atomic<bool> learning{false};
    std::atomic<bool> blinkPhase{false};
    SIPluginAccess* plugin = nullptr;
    int heldParameter = -1;  // the dial the user holds; dispatcher thread
    int stealTipPolicy = -1;  // the policy the steal tooltip names
    kova::gui::context::SDrawMemoryDevice* backgroundDevice = nullptr;
    kova::gui::context::SDrawBitmap* backgroundBitmap = nullptr;
    bool controlsLoaded = false;

    // 0 nothing stale, 1 the program-dependent part, 2 the whole background.
    std::atomic<int> backgroundStale{2};
    std::mutex nameMutex;    // programName: idle thread writes, dispatcher draws
    std::mutex learnMutex;   // MidiLearn from the dispatcher and the idle thread
};
