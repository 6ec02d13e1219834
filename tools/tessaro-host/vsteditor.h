// A VST 2 plug-in's editor in the host's window, as Linux hosts embed it:
// effEditOpen with the host's Display* (or none, like the hosts that pass
// none) and the window; the events of the plug-in's windows that reach the
// host's connection go to the function published in "_XEventProc";
// effEditIdle is the idle call; audioMasterSizeWindow resizes the window.
#pragma once

#include "tools/tessaro-host/embeddededitor.h"
#include "tools/tessaro-host/pluginhost.h"

namespace tessaro {
namespace host {

class VstEditor : public EmbeddedEditor {
public:
    bool Load(const EditOptions& options, std::string& error) override;
    MidiPlugin& Plugin() override { return host_; }
    std::string Title() override;
    bool SizeBeforeOpening(int& width, int& height) override;
    bool Open(Display* display, Window window, ResizeHandler resize, std::string& error) override;
    bool SizeAfterOpening(Display* display, int& width, int& height) override;
    void Dispatch(Display* display, XEvent& event) override;
    bool Idle() override;
    void Close() override;
    void Unload() override;

private:
    PluginHost host_;
    bool passDisplay_ = true;
    Atom eventProcAtom_ = None;
};

}  // namespace host
}  // namespace tessaro
