#include "frame/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "browse/indexcache.h"
#include "browse/logreader.h"
#include "browse/opensource.h"
#include "browse/setsource.h"
#include "entries/aliases.h"
#include "entries/words.h"
#include "frame/arguments.h"
#include "frame/config.h"
#include "frame/message.h"
#include "frame/privatedir.h"
#include "frame/settings.h"

namespace {

// The batch run's view of the private directory: its paths, and nothing
// made. A log named on the command line takes slot 1 as it does on screen.
int BatchPaths(const std::string& commandLineLog, StartState& state)
{
    const char* home = getenv("HOME");
    if (home == nullptr || home[0] == '\0') {
        state.sProblem = "HOME: can't get your home directory";
        return 1;
    }
    SetPaths(home);
    if (!commandLineLog.empty())
        sLogPath1 = commandLineLog;
    return 0;
}

// Why the log at path cannot be reported on; empty when it can. Several
// files, or a directory, named on the command line have been looked into
// by their caller; a slot link may lead to a directory.
std::string BatchLogProblem(const std::string& path, bool fromSlot)
{
    struct stat st;
    bool set = FileSetNamed(path) != nullptr || (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    if (set)
        return !fromSlot || LogHasFiles(path) ? "" : "no log in " + path;
    std::string problem = LogFileProblem(path);
    return problem.empty() ? "" : path + ": " + problem;
}

const std::string& SlotPath(int slot)
{
    return slot == 2 ? sLogPath2 : slot == 3 ? sLogPath3 : sLogPath1;
}

} // namespace

int StartCore(ConfigFile& config, const std::string& commandLineLog, eStartMode mode, StartState& state)
{
    state = StartState();
    int status = mode == eStartScreen ? PreparePrivateDirectory(commandLineLog)
                                      : BatchPaths(commandLineLog, state);
    if (status != 0)
        return status;
    iLogSize = 0;
    config.Read();
    // A slot outside 1 to 3 would leave no log current: take the primary.
    if (iCurrentLog < 1 || iCurrentLog > 3)
        iCurrentLog = 1;
    // A one-off look at a named file does not change where a plain start
    // begins.
    if (!commandLineLog.empty()) {
        state.iConfiguredSlot = iCurrentLog;
        iCurrentLog = 1;
    }
    if (mode == eStartBatch) {
        // Kept indexes of compressed logs are read, never made or trimmed.
        bIndexCacheReadOnly = true;
        state.sProblem = BatchLogProblem(SlotPath(iCurrentLog), commandLineLog.empty());
        if (!state.sProblem.empty())
            return 1;
    }
    SwitchLog(iCurrentLog);
    sStatusMessage.clear();
    LoadWords();
    LoadAliases();
    return 0;
}
