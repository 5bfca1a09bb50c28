#include "frame/mainscreen.h"

#include <curses.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "browse/browsetext.h"
#include "browse/browsewin.h"
#include "browse/jumpscreen.h"
#include "browse/logreader.h"
#include "browse/monitorwin.h"
#include "browse/search.h"
#include "browse/searchscreen.h"
#include "browse/verbosescreen.h"
#include "browse/viewmove.h"
#include "entries/commonscreen.h"
#include "entries/fields.h"
#include "entries/searchoptscreen.h"
#include "frame/arguments.h"
#include "frame/config.h"
#include "frame/helpscreen.h"
#include "frame/message.h"
#include "frame/safefile.h"
#include "frame/screen.h"
#include "frame/screentext.h"
#include "frame/settings.h"
#include "frame/startup.h"
#include "report/generate.h"
#include "report/optionsscreen.h"
#include "report/reportscreen.h"
#include "reportfiles/misclogscreen.h"
#include "history/history.h"
#include "tally/tally.h"

namespace {

// Set by ctrl-x or by a mode that asks to quit.
bool quitRequested = false;

ConfigFile* theConfig = nullptr;

// The configured start slot while a log named on the command line is
// browsed in slot 1; 0 otherwise. A one-off look at a file does not change
// where a plain start begins.
int configuredSlot = 0;

// Space shows the bytes on disk, whatever the read-ahead holds.
void KeyRedraw()
{
    DropReadAhead();
    ClearScreen();
    DrawBrowseWindow();
}

void KeyDebug()
{
    ClearScreen();
    AddText(sDebugText);
    refresh();
    GetKey();
}

void KeyMonitor() { iMonitorMode = iMonitorMode == 0 ? 1 : 0; }
void KeyQuit() { quitRequested = true; }

// The report generator lives as long as the program.
GenerateReport reportGenerator;

void KeyReport()
{
    if (ReportOptions())
        RunReport(reportGenerator);
}

void KeyTally()
{
    if (SharedTally().Run())
        quitRequested = true;
}

void KeyHistory()
{
    UserHistory history;
    if (history.Run(SelectedLineUser()))
        quitRequested = true;
}

// The movement keys; Left and Right search, and the search opens the key
// poll window itself.
void MoveKey(int key)
{
    eMove move = KeypadMove(key);
    if (move == eMoveLeft)
        SearchHits(-1);
    else if (move == eMoveRight)
        SearchHits(+1);
    else
        MoveView(move);
}

// The browse window's key table (browse/browsekeys.h).
void Dispatch(int key)
{
    switch (key) {
#include "frame/keycase.h"
#include "browse/browsekeys.h"
#undef KEY
    default:
        break;
    }
}

int ReadKey()
{
    if (iMonitorMode != 0) {
        int key = MonitorWait(iLogSize);
        return key == 0 ? kKeyEnd : key;
    }
    // A resize is handed on: the next turn draws the window at the new size.
    return GetKeyOrResize();
}

// Writes the settings, ends curses, closes the log and exits with status 0:
// ctrl-x, a mode that asks to quit, or a terminal that is gone.
[[noreturn]] void CleanExit()
{
    if (configuredSlot != 0)
        iCurrentLog = configuredSlot;
    if (theConfig != nullptr)
        theConfig->Write();
    endwin();
    CloseLog();
    // Said after curses has ended, so that it stays on the terminal.
    if (theConfig != nullptr)
        fputs(theConfig->NotSavedLine().c_str(), stderr);
    exit(0);
}

// Every signal exit ends here: the terminal back in its normal mode, no
// temporary file of a save under way left behind, nothing saved. Only
// _exit: exit's library clean-up is not safe inside a signal handler.
[[noreturn]] void LeaveOnSignal(int status)
{
    RemoveTempFileNow();
    endwin();
    // _exit closes the log's descriptors; freeing the reader's memory here
    // would not be safe.
    CloseLogOnSignal();
    _exit(status);
}

// SIGTERM, SIGHUP, SIGQUIT, SIGPIPE: leave with the status a shell shows
// for a process the signal ended.
void OnTerminate(int signal)
{
    LeaveOnSignal(128 + signal);
}

void Catch(int signo, void (*handler)(int), bool keepIgnored)
{
    struct sigaction action = {};
    if (keepIgnored && sigaction(signo, nullptr, &action) == 0 && action.sa_handler == SIG_IGN)
        return;  // ignored by whoever started us (nohup): stay so
    action = {};
    action.sa_handler = handler;
    sigfillset(&action.sa_mask);  // one exit at a time
    sigaction(signo, &action, nullptr);
}

} // namespace

void OnInterrupt(int signal)
{
    LeaveOnSignal(signal);
}

void OnFault(int signal)
{
    RemoveTempFileNow();
    endwin();
    // The reset runs straight through the shell: going back into curses
    // first would leave the terminal in full-screen mode after the message.
    if (system("reset -Q ; clear") != 0) {
        // The message below matters more than a clean screen.
    }
    std::string message = FaultMessage(iFaultCode);
    fputs(message.c_str(), stdout);
    fflush(stdout);
    _exit(signal);
}

void InstallSignalHandlers()
{
    Catch(SIGINT, OnInterrupt, false);
    Catch(SIGSEGV, OnFault, false);
    for (int signo : {SIGTERM, SIGHUP, SIGQUIT, SIGPIPE})
        Catch(signo, OnTerminate, true);
    // Past a file size limit a write then fails, and the save or report
    // says so, instead of the signal killing the program mid-write.
    signal(SIGXFSZ, SIG_IGN);
}

int FerntrackMain()
{
    static ConfigFile config;
    StartState start;
    if (StartCore(config, sCommandLineLog, eStartScreen, start) != 0) {
        fflush(stdout);
        exit(1);
    }
    theConfig = &config;
    configuredSlot = start.iConfiguredSlot;
    InstallSignalHandlers();
    StartScreen(CleanExit);
    RefreshView();
    for (;;) {
        if (KeyPoll != nullptr)
            nodelay(KeyPoll, FALSE);
        RefreshView();
        DrawBrowseWindow();
        int key = ReadKey();
        RefreshView();
        Dispatch(key);
        if (quitRequested)
            CleanExit();
    }
}
