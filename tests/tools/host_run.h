// Running the built tessaro-host from a test, in a scratch folder of its own.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct HostResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ScratchFolder {
public:
    ScratchFolder()
    {
        char path[] = "/tmp/tessaro-tool-test-XXXXXX";
        path_ = mkdtemp(path) ? path : "/tmp";
    }
    ~ScratchFolder()
    {
        if (path_ != "/tmp")
            std::system(("rm -rf '" + path_ + "'").c_str());
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline bool Exists(const std::string& path)
{
    return access(path.c_str(), F_OK) == 0;
}

// A word quoted for the shell.
inline std::string ShellQuoted(const std::string& word)
{
    std::string quoted;
    for (char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return "'" + quoted + "'";
}

// The shell command that starts tessaro-host, under the emulator where the
// build's programs need one.
inline std::string HostCommand()
{
    const std::string runner = TESSARO_HOST_RUNNER;
    return (runner.empty() ? "" : ShellQuoted(runner) + " ") + ShellQuoted(TESSARO_HOST_PATH);
}

// Arguments are quoted for the shell; output goes through files in `scratch`.
inline HostResult RunHost(const ScratchFolder& scratch, const std::vector<std::string>& args,
                          const std::string& environment = "")
{
    std::string command = environment + " " + HostCommand();
    for (const std::string& a : args)
        command += " " + ShellQuoted(a);
    command += " >'" + (scratch / "stdout") + "' 2>'" + (scratch / "stderr") + "'";
    HostResult r;
    const int status = std::system(command.c_str());
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.out = ReadText(scratch / "stdout");
    r.err = ReadText(scratch / "stderr");
    return r;
}
