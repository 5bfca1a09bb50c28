#include "frame/arguments.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <algorithm>

#include "browse/opensource.h"
#include "browse/setsource.h"
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

bool IsDirectory(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
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

bool OperandsMakeSet(const std::vector<std::string>& operands)
{
    return operands.size() > 1 || (operands.size() == 1 && IsDirectory(operands[0]));
}

std::string NameSetOperands(const std::vector<std::string>& operands, std::string& log)
{
    std::vector<std::string> files;
    std::string named;
    for (const std::string& f : operands) {
        std::string path = Absolute(f);
        if (std::find(files.begin(), files.end(), path) == files.end())
            files.push_back(path);
        named += (named.empty() ? "" : " ") + f;
    }
    log.clear();
    if (files.empty())
        return "no log given";
    if (files.size() > 1)
        NameFileSet(files.front(), files);
    if (!LogHasFiles(files.front()))
        return "no log in " + named;
    log = files.front();
    return "";
}

ParsedArguments ParseArguments(int argc, const char* const* argv)
{
    ParsedArguments parsed;
    int files = 0;
    bool optionsOver = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i] == nullptr ? std::string() : argv[i];
        bool option = !optionsOver && arg.size() > 1 && arg[0] == '-';
        if (!option) {
            if (files++ == 0)
                parsed.sFile = arg;
            parsed.vFiles.push_back(arg);
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
    parsed.bFile = files >= 1 && parsed.action == eArgRun;
    if (!parsed.bFile) {
        parsed.sFile.clear();
        parsed.vFiles.clear();
    }
    return parsed;
}

std::string HelpText()
{
    return VersionText() +
           " - browse, follow, search and report on a Squid access.log\n"
           "\n"
           "Usage: ferntrack [FILE...|DIRECTORY]\n"
           "       ferntrack --help | --version\n"
           "       ferntrack report [OPTIONS] [LOG...]   (a report without the screen;\n"
           "                                            ferntrack report --help)\n"
           "\n"
           "Without FILE, ferntrack browses the log that ~/.ferntrack/log1 links to\n"
           "(made on the first run). With FILE, it browses FILE as the primary log for\n"
           "this run and leaves the link as it is. Several files (access.log*) or a\n"
           "DIRECTORY of rotated logs are browsed as one log, oldest first.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "  -V, --version  show the version and exit\n"
           "\n"
           "Settings, search words, aliases and reports live in ~/.ferntrack/.\n"
           "Press h in the program for its keys; man ferntrack tells the rest.\n";
}

std::string UsageLine() { return "usage: ferntrack [--help] [--version] [FILE...|DIRECTORY]\n"; }

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
    if (OperandsMakeSet(parsed.vFiles)) {
        // Told before the terminal is taken when nothing in them is a log.
        std::string problem = NameSetOperands(parsed.vFiles, sCommandLineLog);
        if (problem.empty())
            return -1;
        fprintf(stderr, "ferntrack: %s\n", problem.c_str());
        return 1;
    }
    std::string problem = LogFileProblem(parsed.sFile);
    if (!problem.empty()) {
        fprintf(stderr, "ferntrack: cannot read %s: %s\n", parsed.sFile.c_str(), problem.c_str());
        return 1;
    }
    sCommandLineLog = Absolute(parsed.sFile);
    return -1;
}
