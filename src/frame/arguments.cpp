#include "frame/arguments.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "frame/helptext.h"

std::string sCommandLineLog;

namespace {

// The absolute form of path, so that every later message and the slot
// listing name the same file whatever the working directory was.
std::string Absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char buf[4096];
    if (getcwd(buf, sizeof buf) == nullptr)
        return path;
    std::string dir(buf);
    return dir == "/" ? "/" + path : dir + "/" + path;
}

// Prints an answer on standard output; a write that failed (a full disk,
// an unwritable descriptor) is an error, never a success. Written past the
// stream's buffer, so that nothing of a failed answer is tried again at
// exit.
int PrintAnswer(const std::string& text)
{
    fflush(stdout);
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(1, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fprintf(stderr, "ferntrack: write error: %s\n", strerror(n < 0 ? errno : EIO));
            return 1;
        }
        done += static_cast<size_t>(n);
    }
    return 0;
}

} // namespace

ParsedArguments ParseArguments(int argc, const char* const* argv)
{
    ParsedArguments parsed;
    int files = 0;
    bool optionsOver = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] == nullptr ? std::string() : argv[i];
        bool option = !optionsOver && arg.size() > 1 && arg[0] == '-';
        if (!option) {
            ++files;
            parsed.sFile = arg;
        } else if (arg == "--") {
            optionsOver = true;
        } else if (arg == "-h" || arg == "--help") {
            if (parsed.action == eArgRun)
                parsed.action = eArgHelp;
        } else if (arg == "-V" || arg == "--version") {
            if (parsed.action == eArgRun)
                parsed.action = eArgVersion;
        } else {
            parsed.action = eArgUsage;
            break;
        }
    }
    // Only one log can be browsed at a time.
    if (files > 1)
        parsed.action = eArgUsage;
    parsed.bFile = files == 1 && parsed.action == eArgRun;
    if (!parsed.bFile)
        parsed.sFile.clear();
    return parsed;
}

std::string HelpText()
{
    return VersionText() +
           " - browse, follow, search and report on a Squid access.log\n"
           "\n"
           "Usage: ferntrack [FILE]\n"
           "       ferntrack --help | --version\n"
           "\n"
           "Without FILE, ferntrack browses the log that ~/.ferntrack/log1 links to\n"
           "(made on the first run). With FILE, it browses FILE as the primary log for\n"
           "this run and leaves the link as it is.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "  -V, --version  show the version and exit\n"
           "\n"
           "Settings, search words, aliases and reports live in ~/.ferntrack/.\n"
           "Press h in the program for its keys; man ferntrack tells the rest.\n";
}

std::string UsageLine() { return "usage: ferntrack [--help] [--version] [FILE]\n"; }

std::string LogFileProblem(const std::string& path)
{
    // Non-blocking, so that a FIFO or a device cannot hang the start.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return strerror(errno);
    struct stat st;
    std::string problem;
    if (fstat(fd, &st) != 0)
        problem = strerror(errno);
    else if (S_ISDIR(st.st_mode))
        problem = strerror(EISDIR);
    else if (!S_ISREG(st.st_mode))
        problem = "not a regular file";
    close(fd);
    return problem;
}

int HandleArguments(int argc, const char* const* argv)
{
    ParsedArguments parsed = ParseArguments(argc, argv);
    switch (parsed.action) {
    case eArgHelp:
        return PrintAnswer(HelpText());
    case eArgVersion:
        return PrintAnswer(VersionText() + "\n");
    case eArgUsage:
        fputs(UsageLine().c_str(), stderr);
        return 2;
    case eArgRun:
        break;
    }
    if (!parsed.bFile)
        return -1;
    std::string problem = LogFileProblem(parsed.sFile);
    if (!problem.empty()) {
        fprintf(stderr, "ferntrack: cannot read %s: %s\n", parsed.sFile.c_str(), problem.c_str());
        return 1;
    }
    sCommandLineLog = Absolute(parsed.sFile);
    return -1;
}
