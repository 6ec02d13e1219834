// The LV2 UI binary as a host drives it: instantiated in a host window with
// instance access to a DSP instance, served only by idle calls. Suite
// LV2Editor needs an X server; the refusal without instance access does not.
#include "lv2_rig.h"
#include "private_x_server.h"

#include "plugin/panellayout.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/ui/ui.h>

#include <chrono>
#include <functional>
#include <thread>
#include <utility>

using namespace lv2_test;

namespace {

// The host side of one UI: the features it passes and what the UI told it.
struct UIHost {
    explicit UIHost(Instance& plugin, unsigned long parentWindow = 0) : ui("tessaro_ui.so")
    {
        parent = {LV2_UI__parent, reinterpret_cast<void*>(static_cast<uintptr_t>(parentWindow))};
        access = {LV2_INSTANCE_ACCESS_URI, plugin.handle};
        touchData = {this, &Touched};
        touch = {LV2_UI__touch, &touchData};
        resizeData = {this, &Resized};
        resize = {LV2_UI__resize, &resizeData};
        auto entry = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(ui.Symbol("lv2ui_descriptor"));
        descriptor = entry ? entry(0) : nullptr;
    }
    ~UIHost()
    {
        if (handle)
            descriptor->cleanup(handle);
    }

    bool Instantiate(std::vector<const LV2_Feature*> features)
    {
        features.push_back(nullptr);
        handle = descriptor->instantiate(descriptor, kPluginURI, TESSARO_LV2_BUNDLE, &Written, this, &widget,
                                         features.data());
        return handle != nullptr;
    }
    // The UI's answer: non-zero when it is closed.
    int Idle()
    {
        auto* idle = static_cast<const LV2UI_Idle_Interface*>(descriptor->extension_data(LV2_UI__idleInterface));
        return idle->idle(handle);
    }
    // Idles as a host does (every 10 ms) until done, at most two seconds.
    bool IdleUntil(const std::function<bool()>& done)
    {
        for (int i = 0; i < 200 && !done(); ++i) {
            Idle();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

    static void Written(LV2UI_Controller host, uint32_t port, uint32_t size, uint32_t protocol, const void* data)
    {
        if (size == sizeof(float) && protocol == 0)
            static_cast<UIHost*>(host)->writes.emplace_back(port, *static_cast<const float*>(data));
    }
    static void Touched(LV2UI_Feature_Handle host, uint32_t port, bool grabbed)
    {
        static_cast<UIHost*>(host)->touches.emplace_back(port, grabbed);
    }
    static int Resized(LV2UI_Feature_Handle host, int width, int height)
    {
        static_cast<UIHost*>(host)->size = {width, height};
        return 0;
    }

    Library ui;
    const LV2UI_Descriptor* descriptor = nullptr;
    LV2UI_Handle handle = nullptr;
    LV2UI_Widget widget = nullptr;
    LV2_Feature parent, access, touch, resize;
    LV2UI_Touch touchData;
    LV2UI_Resize resizeData;
    std::vector<std::pair<uint32_t, float>> writes;
    std::vector<std::pair<uint32_t, bool>> touches;
    std::pair<int, int> size{0, 0};
};

class LV2Editor : public ::testing::Test {
protected:
    void SetUp() override
    {
        d = XOpenDisplay(nullptr);
        ASSERT_NE(d, nullptr) << "an X server is needed";
        hostWindow = XCreateSimpleWindow(d, DefaultRootWindow(d), 100, 100, 400, 300, 0, 0, 0);
        XMapRaised(d, hostWindow);
        XSync(d, False);
        ASSERT_TRUE(plugin.Ready());
        host = std::make_unique<UIHost>(plugin, hostWindow);
        ASSERT_NE(host->descriptor, nullptr);
        ASSERT_TRUE(host->Instantiate({&plugin.map.feature, &host->parent, &host->access, &host->touch,
                                       &host->resize}));
        panel = static_cast<Window>(reinterpret_cast<uintptr_t>(host->widget));
        host->Idle();
    }
    void TearDown() override
    {
        host.reset();
        if (d) {
            XDestroyWindow(d, hostWindow);
            XCloseDisplay(d);
        }
    }

    // The panel's child window with this geometry.
    Window Child(int x, int y, unsigned width, unsigned height)
    {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned count = 0;
        XQueryTree(d, panel, &root, &parent, &children, &count);
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a;
            if (XGetWindowAttributes(d, children[i], &a) && a.x == x && a.y == y && unsigned(a.width) == width &&
                unsigned(a.height) == height)
                found = children[i];
        }
        if (children)
            XFree(children);
        return found;
    }

    // A left click (or only the press) at a point of a window, with the
    // pointer there, as the server reports it to the window's owner.
    void Click(Window w, int x, int y, bool release = true)
    {
        XWarpPointer(d, 0, w, 0, 0, 0, 0, x, y);
        for (int type : {ButtonPress, ButtonRelease}) {
            if (type == ButtonRelease && !release)
                break;
            XEvent ev{};
            ev.xbutton.type = type;
            ev.xbutton.window = w;
            ev.xbutton.root = DefaultRootWindow(d);
            ev.xbutton.button = Button1;
            ev.xbutton.x = x;
            ev.xbutton.y = y;
            ev.xbutton.time = CurrentTime;
            ev.xbutton.same_screen = True;
            XSendEvent(d, w, False, 0, &ev);
        }
        XSync(d, False);
    }

    unsigned long PixelAt(Window w, int x, int y)
    {
        XImage* image = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image)
            return ~0ul;
        const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
        XDestroyImage(image);
        return pixel;
    }

    Display* d = nullptr;
    Window hostWindow = 0;
    Window panel = 0;
    Instance plugin;
    std::unique_ptr<UIHost> host;
};

}  // namespace

TEST_F(LV2Editor, OpensInsideTheHostWindowAtItsSize)
{
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    ASSERT_TRUE(XQueryTree(d, panel, &root, &parent, &children, &count));
    if (children)
        XFree(children);
    EXPECT_EQ(parent, hostWindow);
    EXPECT_EQ(host->size, std::make_pair(260, 162));
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(d, panel, &a));
    EXPECT_EQ(a.width, 260);
    EXPECT_EQ(a.height, 162);
}

TEST_F(LV2Editor, ClicksOnKillAndStealSwitchTheEngineAndReachTheHost)
{
    const Window kill = Child(120, 70, 50, 30);
    ASSERT_NE(kill, 0u);
    Click(kill, 25, 15);
    ASSERT_TRUE(host->IdleUntil([&] { return !host->writes.empty(); }));
    EXPECT_EQ(host->writes, (std::vector<std::pair<uint32_t, float>>{{kPortKill, 1.0f}}));
    EXPECT_EQ(host->touches, (std::vector<std::pair<uint32_t, bool>>{{kPortKill, true}, {kPortKill, false}}));
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortKillNow], 1);

    // The steal policy reaches its port in native units: Newest is 1.
    host->writes.clear();
    host->touches.clear();
    const SPanelPlace& steal = panel_layout::kSteal;
    const Window stealButton = Child(steal.x, steal.y, unsigned(steal.width), unsigned(steal.height));
    ASSERT_NE(stealButton, 0u);
    Click(stealButton, 20, 8);
    ASSERT_TRUE(host->IdleUntil([&] { return !host->writes.empty(); }));
    EXPECT_EQ(host->writes, (std::vector<std::pair<uint32_t, float>>{{kPortStealPolicy, 1.0f}}));
    EXPECT_EQ(host->touches,
              (std::vector<std::pair<uint32_t, bool>>{{kPortStealPolicy, true}, {kPortStealPolicy, false}}));
    plugin.Run();
    EXPECT_EQ(plugin.controls[kPortStealPolicyNow], 1);
}

TEST_F(LV2Editor, ClosingDuringADragEndsItsTouch)
{
    const Window dial = Child(60, 70, 50, 30);
    ASSERT_NE(dial, 0u);
    Click(dial, 25, 15, false);
    ASSERT_TRUE(host->IdleUntil([&] { return !host->touches.empty(); }));
    EXPECT_EQ(host->touches.back(), std::make_pair(uint32_t(kPortPolyphony), true));
    host->descriptor->cleanup(host->handle);
    host->handle = nullptr;
    EXPECT_EQ(host->touches.back(), std::make_pair(uint32_t(kPortPolyphony), false));
}

TEST_F(LV2Editor, IdleShowsWhatTheEngineChanged)
{
    const Window kill = Child(120, 70, 50, 30);
    ASSERT_NE(kill, 0u);
    for (int i = 0; i < 20; ++i) {  // drawn
        host->Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const unsigned long off = PixelAt(kill, 25, 4);
    plugin.controls[kPortKill] = 1;
    plugin.Run();
    EXPECT_TRUE(host->IdleUntil([&] { return PixelAt(kill, 25, 4) != off; }));
    EXPECT_TRUE(host->writes.empty());  // a refresh sends nothing back
}

TEST(Editor, RefusesWithoutInstanceAccessSoTheHostShowsItsGenericControls)
{
    Instance plugin;
    ASSERT_TRUE(plugin.Ready());
    UIHost host(plugin, 1);
    ASSERT_NE(host.descriptor, nullptr);
    EXPECT_FALSE(host.Instantiate({&plugin.map.feature, &host.parent}));
}

namespace {

// The child: a host with the UI open; the UI's connection loses its server.
// Exit status 0 when everything held; Xlib's exit gives 1.
int RunUIHost(const PrivateXServer& server)
{
    const Window parent = server.HostWindow();
    if (!parent)
        return 10;
    Instance plugin;
    UIHost host(plugin, parent);
    if (!plugin.Ready() || !host.descriptor || !host.Instantiate({&plugin.map.feature, &host.parent, &host.access}))
        return 11;
    plugin.controls[kPortPolyphony] = 1;
    plugin.Queue(0, Bytes(0x90, 60, 100));
    if (plugin.Run().size() != 1u || host.Idle() != 0)
        return 12;

    server.Kill();
    // The host idles the UI until it says it is closed.
    bool closed = false;
    for (int i = 0; i < 200 && !closed; ++i) {
        closed = host.Idle() != 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!closed)
        return 13;
    plugin.Queue(0, Bytes(0x90, 64, 100));  // beyond the limit: dropped
    plugin.Queue(5, Bytes(0x80, 60, 0));
    if (plugin.Run() != std::vector<Timed>{{5, Bytes(0x80, 60, 0)}})
        return 14;
    return 0;
}

}  // namespace

TEST(LV2EditorWithoutItsServer, TheHostLivesAndIsToldTheUIClosed)
{
    PrivateXServer server;
    ASSERT_GT(server.pid, 0) << "Xvfb did not start (run scripts/setup.sh)";
    EXPECT_EQ(server.RunChild(RunUIHost), 0) << "1: Xlib ended the host; -1: it hung or crashed; 10-11: no host set "
                                                "up; 12: no limit before the loss; 13: the UI stayed open; 14: no "
                                                "limit after the loss";
}
