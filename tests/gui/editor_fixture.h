// Shared set-up of the editor and panel tests: the engine created by a
// scripted host, and a host window the editor opens into. By default the
// test plays a host that passes its display and delivers the X events of
// the plug-in's windows (Pump); the idle thread of the toolkit delivers the
// engine's notifications as it does in a real host.
#pragma once

#include "widget_fixture.h"

#include "fake_host.h"
#include "kova/gui/button.h"
#include "kova/gui/dial.h"
#include "kova/gui/imagelabel.h"
#include "kova/gui/tooltip.h"
#include "plugin/plugineditor.h"
#include "plugin/pluginpanel.h"
#include "plugin/vstplugin.h"

namespace widget_test {

class EditorTest : public WidgetTest {
protected:
    void SetUp() override
    {
        WidgetTest::SetUp();
        if (HasFatalFailure())
            return;
        int status = 0;
        plugin = new VSTPlugin(FakeHost::Callback, status);
        effect = plugin->getAeffect();
        ASSERT_EQ(status, 0);
        hostWindow = XCreateSimpleWindow(d, root, 420, 100, 260, 162, 0, 0, 0);
        XMapRaised(d, hostWindow);
        XSync(d, False);
    }

    void TearDown() override
    {
        kova::gui::StopEventPump();
        if (effect)
            effect->dispatcher(effect, effClose, 0, 0, nullptr, 0);
        effect = nullptr;
        plugin = nullptr;
        if (hostWindow)
            XDestroyWindow(d, hostWindow);
        hostWindow = 0;
        WidgetTest::TearDown();
    }

    VstIntPtr Call(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0)
    {
        return effect->dispatcher(effect, opcode, index, value, ptr, opt);
    }

    // Opens the editor in the host window, passing the display as hosts do.
    void Open(bool passDisplay = true)
    {
        Call(effEditOpen, 0, passDisplay ? (VstIntPtr)d : 0, (void*)(uintptr_t)hostWindow);
    }
    void Close() { Call(effEditClose); }

    SPluginEditor* Editor() const { return plugin->Editor(); }
    SPluginPanel* Panel() const { return plugin->Editor() ? plugin->Editor()->Panel() : nullptr; }

    // One audio block of 64 frames with the given MIDI events.
    void Block(const std::vector<VstMidiEvent>& midi)
    {
        std::vector<VstMidiEvent> copy = midi;
        struct {
            VstInt32 numEvents;
            VstIntPtr reserved;
            VstEvent* events[64];
        } block{};
        block.numEvents = (VstInt32)copy.size();
        for (size_t i = 0; i < copy.size(); ++i)
            block.events[i] = reinterpret_cast<VstEvent*>(&copy[i]);
        Call(effProcessEvents, 0, 0, &block);
        float in[2][64] = {}, out[2][64] = {};
        float* ins[2] = {in[0], in[1]};
        float* outs[2] = {out[0], out[1]};
        effect->processReplacing(effect, ins, outs, 64);
    }

    static VstMidiEvent Midi(unsigned char status, unsigned char a, unsigned char b)
    {
        VstMidiEvent e{};
        e.type = kVstMidiType;
        e.byteSize = sizeof(VstMidiEvent);
        e.midiData[0] = (char)status;
        e.midiData[1] = (char)a;
        e.midiData[2] = (char)b;
        return e;
    }

    FakeHost host;
    VSTPlugin* plugin = nullptr;
    AEffect* effect = nullptr;
    Window hostWindow = 0;
};

}  // namespace widget_test

namespace widget_test {
// The panel's tests share the editor's set-up.
class PanelTest : public EditorTest {};
}  // namespace widget_test
