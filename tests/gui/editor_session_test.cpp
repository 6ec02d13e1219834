// The editor session both formats share: a change counted on the engine's
// change board reaches the panel at the next refresh, and only what moved
// is refreshed, whichever way the format keeps its windows.
#include "widget_fixture.h"

#include "kova/gui/button.h"
#include "kova/gui/dial.h"
#include "plugin/editorsession.h"
#include "plugin/pluginaccess.h"
#include "plugin/pluginpanel.h"

using namespace widget_test;

namespace {

// Values the panel reads; nothing reaches a host.
class FixedValues final : public SIPluginAccess {
public:
    float ParameterValue(int index) override { return values[index]; }
    void ParameterText(int, char* text) override { *text = 0; }
    int ProgramNumber() override { return 0; }
    void ProgramName(char* name) override { *name = 0; }
    int SoundingNotes() override { return 0; }
    bool Suspended() const override { return false; }
    void UserChange(int, float) override {}
    void BeginGesture(int) override {}
    void EndGesture(int) override {}
    void ArmLearn(LearnTarget, bool) override {}
    bool LearnArmed(LearnTarget) override { return false; }
    void SetLearning(bool) override {}

    float values[16] = {};
};

class EditorSessionTest : public WidgetTest {};

}  // namespace

TEST_F(EditorSessionTest, ABoardChangeReachesThePanelInBothWindowModes)
{
    for (SEditorSession::Windows mode : {SEditorSession::Windows::Parked, SEditorSession::Windows::InHostWindow}) {
        SCOPED_TRACE(mode == SEditorSession::Windows::Parked ? "parked (VST 2)" : "in the host window (LV2)");
        FixedValues values;
        SEngineChangeBoard board;
        SEditorSession session(values, board, mode);
        ASSERT_TRUE(session.Open(box->GetWindow()));
        SPluginPanel* panel = session.Panel();
        session.ShowChanges();  // the first refresh after opening shows everything
        EXPECT_EQ(panel->killButton->GetValue(), 0);

        values.values[kParamKill] = 1.0f;
        values.values[kParamPolyphony] = 1.0f;
        board.ParameterChanged(kParamKill);
        session.ShowChanges();
        EXPECT_EQ(panel->killButton->GetValue(), 1);
        // The polyphony did not move on the board: it is left as it was.
        EXPECT_EQ(panel->polyDial->GetValue(), 0);

        board.EverythingChanged();
        session.ShowChanges();
        EXPECT_EQ(panel->polyDial->GetValue(), 127);
        session.Close();
        Pump();
    }
}
