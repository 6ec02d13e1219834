#include "tools/tessaro-host/editorhost.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "tools/tessaro-host/embeddededitor.h"
#include "tools/tessaro-host/lv2editor.h"
#include "tools/tessaro-host/lv2host.h"
#include "tools/tessaro-host/midirun.h"
#include "tools/tessaro-host/png.h"
#include "tools/tessaro-host/smf.h"
#include "tools/tessaro-host/vsteditor.h"

namespace tessaro {
namespace host {

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;

constexpr Milliseconds kIdlePeriod(40);
constexpr int kFallbackWidth = 320;   // for editors that report no size
constexpr int kFallbackHeight = 200;

std::atomic<bool> g_stop{false};

void OnSignal(int)
{
    g_stop = true;
}

// Windows vanish while their events are still queued; asking for their
// properties then fails harmlessly, and must not end the host.
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

int ChannelShift(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int ChannelValue(unsigned long pixel, unsigned long mask)
{
    if (!mask)
        return 0;
    const unsigned long max = mask >> ChannelShift(mask);
    return static_cast<int>(((pixel & mask) >> ChannelShift(mask)) * 255 / max);
}

bool Screenshot(Display* display, Window window, const std::string& path, std::string& error)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) {
        error = path + ": cannot read the window's size for the screenshot";
        return false;
    }
    XImage* image = XGetImage(display, window, 0, 0, unsigned(attributes.width), unsigned(attributes.height),
                              AllPlanes, ZPixmap);
    if (!image) {
        error = path + ": cannot read the window's pixels for the screenshot";
        return false;
    }
    std::vector<uint8_t> rgb;
    rgb.reserve(size_t(attributes.width) * size_t(attributes.height) * 3);
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            rgb.push_back(uint8_t(ChannelValue(pixel, image->red_mask)));
            rgb.push_back(uint8_t(ChannelValue(pixel, image->green_mask)));
            rgb.push_back(uint8_t(ChannelValue(pixel, image->blue_mask)));
        }
    XDestroyImage(image);
    return WritePngFile(path, attributes.width, attributes.height, rgb, error);
}

// Feeds the messages in real time, block by block, then keeps the audio
// running with empty blocks until told to stop.
void Play(MidiPlugin* host, const std::vector<TimedMessage>* messages, std::atomic<bool>* stop)
{
    FeedState state;
    const Clock::time_point start = Clock::now();
    const double rate = host->SampleRate();
    while (!*stop) {
        FeedBlock(*host, *messages, state, INT64_MAX);
        const auto due = start + std::chrono::duration_cast<Clock::duration>(
                                     std::chrono::duration<double>(double(state.pos) / rate));
        std::this_thread::sleep_until(due);
    }
}

// One line per report of the plug-in since the last call, in order.
void PrintAutomation(MidiPlugin& plugin)
{
    for (const MidiPlugin::Automation& a : plugin.TakeAutomation()) {
        const std::string what = a.port ? std::string("port ") + a.port : "parameter " + std::to_string(a.index);
        switch (a.kind) {
        case MidiPlugin::Automation::Change:
            std::printf("automate: %s = %.6g\n", what.c_str(), static_cast<double>(a.value));
            break;
        case MidiPlugin::Automation::BeginEdit:
            std::printf("begin edit: %s\n", what.c_str());
            break;
        case MidiPlugin::Automation::EndEdit:
            std::printf("end edit: %s\n", what.c_str());
            break;
        }
    }
    std::fflush(stdout);
}

}  // namespace

int RunEditor(const EditOptions& o)
{
    auto fail = [](const std::string& message) {
        std::fprintf(stderr, "tessaro-host: %s\n", message.c_str());
        return 1;
    };
    std::string error;

    SmfFile piece;
    std::vector<TimedMessage> messages;
    if (!o.playPath.empty()) {
        if (!ReadSmfFile(o.playPath, piece, error))
            return fail(error);
        messages = PlaceMessages(piece, TempoMap(piece, static_cast<uint32_t>(o.sampleRate))).messages;
    }

    // The plug-in draws from its own threads on the display we pass it.
    XInitThreads();
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        const char* name = std::getenv("DISPLAY");
        return fail(std::string("cannot open the X display ") + (name ? name : "(DISPLAY is not set)"));
    }
    XSetErrorHandler(IgnoreXError);

    int status = 0;
    {
        std::unique_ptr<EmbeddedEditor> editor;
        if (Lv2Host::IsBundlePath(o.pluginPath))
            editor.reset(new Lv2Editor);
        else
            editor.reset(new VstEditor);
        if (!editor->Load(o, error)) {
            XCloseDisplay(display);
            return fail(error);
        }
        MidiPlugin& plugin = editor->Plugin();

        int width = 0, height = 0;
        const bool sized = editor->SizeBeforeOpening(width, height);
        if (!sized) {
            width = kFallbackWidth;
            height = kFallbackHeight;
        }

        const int screen = DefaultScreen(display);
        const Window window =
            XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width), unsigned(height), 0,
                                BlackPixel(display, screen), BlackPixel(display, screen));
        const std::string title = "tessaro-host: " + editor->Title();
        XStoreName(display, window, title.c_str());
        Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display, window, &deleteWindow, 1);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        for (XEvent ev;;) {
            XNextEvent(display, &ev);
            if (ev.type == MapNotify && ev.xmap.window == window)
                break;
        }

        std::atomic<bool> stopAudio{false};
        std::thread audio;
        bool quit = false;
        if (o.startAudio) {
            if (!o.startAudio(plugin, error)) {
                std::fprintf(stderr, "tessaro-host: %s\n", error.c_str());
                status = 1;
                quit = true;
            }
        } else {
            plugin.Start(o.sampleRate, o.blockSize);
            audio = std::thread(Play, &plugin, &messages, &stopAudio);
        }

        auto resize = [display, window](int w, int h) {
            if (w <= 0 || h <= 0)
                return false;
            XResizeWindow(display, window, unsigned(w), unsigned(h));
            XFlush(display);
            return true;
        };
        if (!quit && !editor->Open(display, window, resize, error)) {
            quit = true;
            std::fprintf(stderr, "tessaro-host: %s\n", error.c_str());
            status = 1;
        }
        int openedWidth = 0, openedHeight = 0;
        if (!quit && editor->SizeAfterOpening(display, openedWidth, openedHeight) &&
            (openedWidth != width || openedHeight != height))
            XResizeWindow(display, window, unsigned(openedWidth), unsigned(openedHeight));
        else if (!quit && !sized)
            std::fprintf(stderr, "tessaro-host: the editor reports no size; using %d x %d\n", kFallbackWidth,
                         kFallbackHeight);
        XFlush(display);

        struct sigaction action = {};
        action.sa_handler = OnSignal;
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);

        const Clock::time_point opened = Clock::now();
        const Clock::time_point shootAt = opened + Milliseconds(o.screenshotAfterMs);
        Clock::time_point nextIdle = opened;
        while (!quit && !g_stop) {
            while (XPending(display)) {
                XEvent ev;
                XNextEvent(display, &ev);
                if (ev.type == ClientMessage && ev.xclient.window == window &&
                    static_cast<Atom>(ev.xclient.data.l[0]) == deleteWindow) {
                    quit = true;
                    continue;
                }
                if (ev.type == DestroyNotify && ev.xdestroywindow.window == window) {
                    quit = true;  // destroyed from outside, for example by a script
                    continue;
                }
                if (ev.xany.window == window || ev.xany.window == None)
                    continue;
                editor->Dispatch(display, ev);
            }
            PrintAutomation(plugin);
            if (o.tick && !o.tick())
                quit = true;

            const Clock::time_point now = Clock::now();
            if (now >= nextIdle) {
                if (!editor->Idle())
                    quit = true;  // the editor asked to be closed
                nextIdle = now + kIdlePeriod;
            }
            if (!o.screenshotPath.empty() && now >= shootAt) {
                XSync(display, False);
                if (!Screenshot(display, window, o.screenshotPath, error)) {
                    std::fprintf(stderr, "tessaro-host: %s\n", error.c_str());
                    status = 1;
                }
                break;
            }
            Clock::time_point wake = nextIdle;
            if (!o.screenshotPath.empty() && shootAt < wake)
                wake = shootAt;
            const auto wait = std::chrono::duration_cast<Milliseconds>(wake - Clock::now()).count();
            pollfd fd = {ConnectionNumber(display), POLLIN, 0};
            if (!XPending(display))
                poll(&fd, 1, static_cast<int>(std::max<long long>(wait, 0) + 1));
        }

        if (o.stopAudio)
            o.stopAudio();
        stopAudio = true;
        if (audio.joinable())
            audio.join();
        editor->Close();
        XSync(display, False);
        PrintAutomation(plugin);
        if (o.beforeUnload && !o.beforeUnload(plugin, error)) {
            std::fprintf(stderr, "tessaro-host: %s\n", error.c_str());
            status = 1;
        }
        // The plug-in may still hold resources on our display: unload it
        // before the display goes away.
        editor->Unload();
        XDestroyWindow(display, window);
    }
    XCloseDisplay(display);
    return status;
}

}  // namespace host
}  // namespace tessaro
