#include "frame/privatedir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "frame/buildinfo.h"

std::string sHomeDir;
std::string sPrivateDir;
std::string sLogPath1;
std::string sLogPath2;
std::string sLogPath3;
std::string sWordsPath;
std::string sUsersPath;
std::string sAliasesPath;
std::string sConfigPath;
std::string sHowtoPath;

// Follows the install prefix: /usr/local/share/ferntrack by default.
const char* const sHowtoDir = FERNTRACK_DATA_DIR;
const char* const sHowtoName = "HOWTO";

namespace {

const char* const defaultLogs[2] = {"/var/log/squid/access.log",
                                    "/usr/local/squid/var/logs/access.log"};

int FirstRun(bool needLog1)
{
    puts("Making .ferntrack directory and links...");
    const char* target = defaultLogs[0];
    for (const char* candidate : defaultLogs) {
        if (access(candidate, F_OK) == 0) {
            target = candidate;
            break;
        }
    }
    std::string howto = std::string(sHowtoDir) + "/" + sHowtoName;
    bool ok = mkdir(sPrivateDir.c_str(), 0755) == 0 && symlink(target, sLogPath1.c_str()) == 0 &&
              symlink("log1", sLogPath2.c_str()) == 0 && symlink("log1", sLogPath3.c_str()) == 0 &&
              symlink(howto.c_str(), sHowtoPath.c_str()) == 0;
    if (!ok) {
        puts("~/.ferntrack/ setup errors. Exiting.");
        return 1;
    }
    if (!needLog1 || access(sLogPath1.c_str(), R_OK) == 0)
        return 0;
    int failure = errno;
    puts("The squid log file cannot be accessed at pre-programmed locations.");
    fflush(stdout);
    errno = failure;
    perror("The error was");
    puts("You may need to manually adjust the symlinks in ~/.ferntrack/");
    puts("You may need to give user permissions to log files, or add to a group (logout.)");
    puts("Or, after admin adjustments delete ~/.ferntrack/ and re-run ferntrack.");
    return 1;
}

} // namespace

void SetPaths(const std::string& home)
{
    sHomeDir = home;
    sPrivateDir = home + "/" + ".ferntrack";
    sLogPath1 = sPrivateDir + "/" + "log1";
    sLogPath2 = sPrivateDir + "/" + "log2";
    sLogPath3 = sPrivateDir + "/" + "log3";
    sWordsPath = sPrivateDir + "/" + "words";
    sUsersPath = sPrivateDir + "/" + "users";
    sAliasesPath = sPrivateDir + "/" + "aliases";
    sConfigPath = sPrivateDir + "/ferntrack.conf";
    sHowtoPath = sPrivateDir + "/" + sHowtoName;
}

int PreparePrivateDirectory(const std::string& commandLineLog)
{
    const char* home = getenv("HOME");
    // An empty HOME names no home: the private directory would land in /.
    if (home == nullptr || home[0] == '\0') {
        puts("ferntrack: can't get your home directory, exiting.");
        return 1;
    }
    SetPaths(home);
    bool needLog1 = commandLineLog.empty();
    int status;
    if (access(sPrivateDir.c_str(), F_OK) == 0) {
        status = !needLog1 || access(sLogPath1.c_str(), R_OK) == 0 ? 0 : 1;
        if (status != 0)
            puts("The squid log file cannot be read.");
    } else {
        status = FirstRun(needLog1);
    }
    // Slot 1 reads the named log instead of the link for this run; the
    // link itself stays as it is.
    if (status == 0 && !needLog1)
        sLogPath1 = commandLineLog;
    return status;
}

void SetUpPrivateDirectory(const std::string& commandLineLog)
{
    if (PreparePrivateDirectory(commandLineLog) != 0) {
        fflush(stdout);
        exit(1);
    }
}
