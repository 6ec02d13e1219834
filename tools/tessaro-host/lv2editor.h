// An LV2 plug-in's X11 UI in the host's window, as LV2 hosts embed it: the
// UI binary is opened and instantiated with the window as ui:parent, the
// plug-in instance (instance access), ui:resize, ui:touch and the URID map;
// its idle interface is the idle call. Control values go to the UI through
// port_event (all at opening, then each that changes), and the UI's port
// writes and touches reach the plug-in's inputs and are reported under
// their VST 2 indices. The UI serves its own windows: the host reads only
// its own window's events.
#pragma once

#include <lv2/ui/ui.h>

#include <atomic>
#include <vector>

#include "tools/tessaro-host/embeddededitor.h"
#include "tools/tessaro-host/lv2host.h"

namespace tessaro {
namespace host {

class Lv2Editor : public EmbeddedEditor {
public:
    Lv2Editor();
    ~Lv2Editor() override;

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
    // Finds the plug-in's X11 UI and opens its binary.
    bool FindUi(const std::string& path, std::string& error);
    // Sends the control values the UI has not seen yet (all with `all`).
    void SendControls(bool all);

    Lv2Host host_;
    std::string uiUri_, uiBundle_;
    void* library_ = nullptr;
    const LV2UI_Descriptor* descriptor_ = nullptr;
    LV2UI_Handle ui_ = nullptr;
    LV2UI_Widget widget_ = nullptr;
    const LV2UI_Idle_Interface* idle_ = nullptr;
    std::vector<float> shown_;  // per port: the value the UI was last sent

    ResizeHandler resize_;
    std::atomic<int> requestedWidth_{0}, requestedHeight_{0};  // by ui:resize, from any thread
    LV2UI_Resize resizeFeature_{};
    LV2UI_Touch touchFeature_{};
};

}  // namespace host
}  // namespace tessaro
