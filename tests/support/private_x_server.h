// A private X server for tests that take an X server away from a host: an
// Xvfb on the first free display from :50 on (below the numbers the test
// scripts' own servers take). The host runs in a child process, so that an
// exit in Xlib ends only the child.
#pragma once

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

struct PrivateXServer {
    pid_t pid = -1;
    std::string name;

    PrivateXServer()
    {
        for (int n = 50; n < 90 && pid < 0; ++n) {
            const std::string number = std::to_string(n);
            if (access(("/tmp/.X" + number + "-lock").c_str(), F_OK) == 0 ||
                access(("/tmp/.X11-unix/X" + number).c_str(), F_OK) == 0)
                continue;
            name = ":" + number;
            // -noreset: the server does not reset (and turn connections away
            // meanwhile) when the probe below disconnects.
            std::vector<std::string> args{"Xvfb", name, "-screen", "0", "640x480x24", "-nolisten", "tcp", "-noreset"};
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            posix_spawn_file_actions_t quiet;
            posix_spawn_file_actions_init(&quiet);
            posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
            if (posix_spawnp(&pid, "Xvfb", &quiet, nullptr, argv.data(), environ) != 0)
                pid = -1;
            posix_spawn_file_actions_destroy(&quiet);
            if (pid > 0 && !Answers())
                Stop();
        }
    }
    ~PrivateXServer() { Stop(); }

    // Runs host(*this) in a child process, at most 30 seconds; returns its
    // exit status, or -1 when it died of a signal.
    int RunChild(int (*host)(const PrivateXServer&))
    {
        const pid_t child = fork();
        if (child == 0) {
            alarm(30);  // a hang fails the test instead of stalling it
            _exit(host(*this));
        }
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }

    // In the child: points DISPLAY at the server and makes the host's window
    // there (0 on failure). The host survives the loss of its own
    // connection: its process-wide I/O error handler returns, and so does
    // the exit handler of its connection. (Xlib's default process-wide
    // handler exits, and no plug-in may replace it.)
    Window HostWindow() const
    {
        setenv("DISPLAY", name.c_str(), 1);
        XSetIOErrorHandler([](Display*) { return 0; });
        Display* host = XOpenDisplay(nullptr);
        if (!host)
            return 0;
        XSetIOErrorExitHandler(host, [](Display*, void*) {}, nullptr);
        Window window = XCreateSimpleWindow(host, DefaultRootWindow(host), 0, 0, 300, 200, 0, 0, 0);
        XMapWindow(host, window);
        XSync(host, False);
        return window;
    }
    // In the child: ends the server as if it had been stopped.
    void Kill() const { kill(pid, SIGTERM); }

    bool Answers()
    {
        for (int i = 0; i < 100; ++i) {
            if (Display* d = XOpenDisplay(name.c_str())) {
                XCloseDisplay(d);
                return true;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid) {
                pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void Stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }
};
