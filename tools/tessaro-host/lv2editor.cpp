#include "tools/tessaro-host/lv2editor.h"

#include <dlfcn.h>
#include <lv2/instance-access/instance-access.h>

#include <cstdint>

#include "tools/tessaro-host/settings.h"

namespace tessaro {
namespace host {

namespace {

// The UI features tessaro-host offers, and those a UI may require that ask
// nothing more of it.
const char* const kOfferedUiFeatures[] = {LV2_UI__parent,       LV2_UI__resize,        LV2_UI__idleInterface,
                                          LV2_UI__touch,        LV2_INSTANCE_ACCESS_URI, LV2_URID__map,
                                          LV2_URID__unmap,      LV2_OPTIONS__options,  LV2_LOG__log,
                                          LV2_UI__noUserResize, LV2_UI__fixedSize};
constexpr uint32_t kFloatProtocol = 0;  // a port write of one float

std::string FilePath(const LilvNode* uri)
{
    char* path = uri ? lilv_file_uri_parse(lilv_node_as_uri(uri), nullptr) : nullptr;
    const std::string text = path ? path : "";
    lilv_free(path);
    return text;
}

}  // namespace

Lv2Editor::Lv2Editor()
{
    resizeFeature_.handle = this;
    resizeFeature_.ui_resize = [](LV2UI_Feature_Handle handle, int width, int height) {
        Lv2Editor* self = static_cast<Lv2Editor*>(handle);
        self->requestedWidth_ = width;
        self->requestedHeight_ = height;
        return self->resize_ && self->resize_(width, height) ? 0 : 1;
    };
    touchFeature_.handle = this;
    touchFeature_.touch = [](LV2UI_Feature_Handle handle, uint32_t port, bool grabbed) {
        static_cast<Lv2Editor*>(handle)->host_.EditorTouch(port, grabbed);
    };
}

Lv2Editor::~Lv2Editor()
{
    Unload();
}

bool Lv2Editor::Load(const EditOptions& o, std::string& error)
{
    host_.KeepOutput(false);
    if (!host_.Load(o.pluginPath, o.sampleRate, o.blockSize, error) || !ApplySettings(host_, o.settings, error) ||
        !FindUi(o.pluginPath, error)) {
        Unload();
        return false;
    }
    return true;
}

bool Lv2Editor::FindUi(const std::string& path, std::string& error)
{
    LilvWorld* world = host_.World();
    LilvNode* x11 = lilv_new_uri(world, LV2_UI__X11UI);
    LilvUIs* uis = lilv_plugin_get_uis(host_.Plugin());
    const LilvUI* found = nullptr;
    LILV_FOREACH (uis, i, uis)
        if (!found && lilv_ui_is_a(lilv_uis_get(uis, i), x11))
            found = lilv_uis_get(uis, i);
    lilv_node_free(x11);
    std::string binary;
    if (found) {
        uiUri_ = lilv_node_as_uri(lilv_ui_get_uri(found));
        uiBundle_ = FilePath(lilv_ui_get_bundle_uri(found));
        binary = FilePath(lilv_ui_get_binary_uri(found));
        lilv_world_load_resource(world, lilv_ui_get_uri(found));
    }
    lilv_uis_free(uis);
    if (!found) {
        error = path + ": the plug-in has no X11 editor";
        return false;
    }

    LilvNode* ui = lilv_new_uri(world, uiUri_.c_str());
    LilvNode* required = lilv_new_uri(world, LV2_CORE__requiredFeature);
    LilvNodes* features = lilv_world_find_nodes(world, ui, required, nullptr);
    lilv_node_free(required);
    lilv_node_free(ui);
    std::string missing;
    LILV_FOREACH (nodes, i, features) {
        const std::string feature = lilv_node_as_uri(lilv_nodes_get(features, i));
        bool offered = false;
        for (const char* f : kOfferedUiFeatures)
            offered = offered || feature == f;
        if (!offered && missing.empty())
            missing = feature;
    }
    lilv_nodes_free(features);
    if (!missing.empty()) {
        error = path + ": the editor needs the feature " + missing + ", which tessaro-host does not offer";
        return false;
    }

    library_ = dlopen(binary.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        const char* why = dlerror();
        error = binary + ": the editor's binary does not load (" + (why ? why : "unknown reason") + ")";
        return false;
    }
    const auto entry = reinterpret_cast<LV2UI_DescriptorFunction>(dlsym(library_, "lv2ui_descriptor"));
    for (uint32_t i = 0; entry && !descriptor_; ++i) {
        const LV2UI_Descriptor* d = entry(i);
        if (!d)
            break;
        if (uiUri_ == d->URI)
            descriptor_ = d;
    }
    if (!descriptor_) {
        error = binary + ": the editor's binary does not offer " + uiUri_;
        return false;
    }
    return true;
}

std::string Lv2Editor::Title()
{
    return host_.Name();
}

bool Lv2Editor::SizeBeforeOpening(int&, int&)
{
    return false;  // an LV2 UI asks for its size through ui:resize
}

bool Lv2Editor::Open(Display*, Window window, ResizeHandler resize, std::string& error)
{
    resize_ = std::move(resize);
    const LV2_Feature parent = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(window))};
    const LV2_Feature resizing = {LV2_UI__resize, &resizeFeature_};
    const LV2_Feature touch = {LV2_UI__touch, &touchFeature_};
    const LV2_Feature idle = {LV2_UI__idleInterface, nullptr};
    const LV2_Feature instance = {LV2_INSTANCE_ACCESS_URI, host_.Handle()};
    std::vector<const LV2_Feature*> features = {&parent, &resizing, &touch, &idle, &instance};
    for (const LV2_Feature* const* f = host_.Features(); *f; ++f)
        features.push_back(*f);  // the URID map, options and log the plug-in got
    features.push_back(nullptr);

    auto write = [](LV2UI_Controller controller, uint32_t port, uint32_t size, uint32_t protocol,
                    const void* buffer) {
        if (protocol == kFloatProtocol && size == sizeof(float) && buffer)
            static_cast<Lv2Editor*>(controller)->host_.EditorWrite(port, *static_cast<const float*>(buffer));
    };
    ui_ = descriptor_->instantiate(descriptor_, host_.Uri().c_str(), (uiBundle_ + "/").c_str(), write, this,
                                   &widget_, features.data());
    if (!ui_) {
        error = uiUri_ + ": the editor refused to open";
        return false;
    }
    idle_ = descriptor_->extension_data
                ? static_cast<const LV2UI_Idle_Interface*>(descriptor_->extension_data(LV2_UI__idleInterface))
                : nullptr;
    shown_.assign(host_.Ports().size(), 0.0f);
    SendControls(true);
    return true;
}

bool Lv2Editor::SizeAfterOpening(Display* display, int& width, int& height)
{
    if (requestedWidth_ > 0 && requestedHeight_ > 0) {
        width = requestedWidth_;
        height = requestedHeight_;
        return true;
    }
    // No request: the size of the UI's window.
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    if (!widget_ || !XGetGeometry(display, static_cast<Window>(reinterpret_cast<uintptr_t>(widget_)), &root, &x,
                                  &y, &w, &h, &border, &depth))
        return false;
    width = int(w);
    height = int(h);
    return true;
}

void Lv2Editor::Dispatch(Display*, XEvent&)
{
    // The UI reads its windows' events on its own connection.
}

void Lv2Editor::SendControls(bool all)
{
    if (!descriptor_->port_event)
        return;
    for (const Lv2Host::Port& p : host_.Ports()) {
        if (p.type != Lv2Host::Port::Type::Control)
            continue;
        const float value = host_.ReportedValue(p.index);
        if (!all && value == shown_[p.index])
            continue;
        shown_[p.index] = value;
        descriptor_->port_event(ui_, p.index, sizeof(float), kFloatProtocol, &value);
    }
}

bool Lv2Editor::Idle()
{
    if (!ui_)
        return false;
    SendControls(false);
    return !(idle_ && idle_->idle(ui_) != 0);
}

void Lv2Editor::Close()
{
    if (ui_) {
        descriptor_->cleanup(ui_);
        ui_ = nullptr;
        widget_ = nullptr;
    }
}

void Lv2Editor::Unload()
{
    Close();
    descriptor_ = nullptr;
    idle_ = nullptr;
    if (library_) {
        dlclose(library_);
        library_ = nullptr;
    }
    host_.Unload();
}

}  // namespace host
}  // namespace tessaro
