#include "frame/mainloop.h"

#include <curses.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "browse/browsewin.h"
#include "browse/logreader.h"
#include "browse/monitor.h"
#include "browse/search.h"
#include "browse/status.h"
#include "browse/verbose.h"
#include "entries/aliases.h"
#include "entries/words.h"
#include "frame/config.h"
#include "frame/help.h"
#include "frame/privatedir.h"
#include "frame/screen.h"
#include "frame/screentext.h"
#include "frame/settings.h"

namespace {

// Set by ctrl-x or by a mode that asks to quit.
bool quitRequested = false;

ConfigFile* theConfig = nullptr;

// Key reads that failed in a row, and how many mean the terminal is gone.
int failedReads = 0;
constexpr int kFailedReadsToQuit = 1000;

void KeyEnd()
{
    iTopOffset = iEndTop;
    iCursorRow = iMaxRow;
}

void KeyDown()
{
    if (iCursorRow < iMaxRow)
        ++iCursorRow;
    else if (iTopOffset < iEndTop)
        iTopOffset = NextLine(iTopOffset);
}

void KeyPageDown()
{
    bool pastEnd = false;
    for (int i = 0; i < iPageRows && !pastEnd; ++i) {
        int64_t next = NextLine(iTopOffset);
        // NextLine gives 0 past the end (a log that shrank): stop there
        // instead of wrapping round to the top.
        pastEnd = next == 0;
        if (!pastEnd)
            iTopOffset = next;
    }
    if (pastEnd || iTopOffset >= iEndTop) {
        iTopOffset = iEndTop;
        iCursorRow = iMaxRow;
    }
}

void KeyHome()
{
    iTopOffset = 0;
    iCursorRow = 0;
}

void KeyUp()
{
    if (iCursorRow > 0)
        --iCursorRow;
    else
        iTopOffset = PrevLine(iTopOffset);
}

void KeyPageUp()
{
    for (int i = 0; i < iPageRows; ++i)
        iTopOffset = PrevLine(iTopOffset);
    if (iTopOffset == 0)
        iCursorRow = 0;
}

void KeyRedraw()
{
    ClearScreen();
    DrawBrowseWindow();
}

void KeyDebug()
{
    ClearScreen();
    AddText(sDebugText);
    refresh();
    wgetch(stdscr);
}

// The search opens the key poll window itself before it scans.
void KeySearchUp() { SearchHits(-1); }
void KeySearchDown() { SearchHits(+1); }

void KeyMonitor() { iMonitorMode = iMonitorMode == 0 ? 1 : 0; }
void KeyPrimary() { SwitchLog(1); }
void KeySecondary() { SwitchLog(2); }
void KeyTertiary() { SwitchLog(3); }
void KeyQuit() { quitRequested = true; }
void KeyVerbose() { VerboseView(iCursorOffset); }

struct KeyAction {
    int key;
    void (*action)();
};

// The digits act like a numeric keypad, for terminals that send digits.
const KeyAction keyTable[] = {
    {24, KeyQuit},          {' ', KeyRedraw},       {'1', KeyEnd},
    {KEY_END, KeyEnd},      {'2', KeyDown},         {KEY_DOWN, KeyDown},
    {'3', KeyPageDown},     {KEY_NPAGE, KeyPageDown}, {'7', KeyHome},
    {KEY_HOME, KeyHome},    {'8', KeyUp},           {KEY_UP, KeyUp},
    {'9', KeyPageUp},       {KEY_PPAGE, KeyPageUp}, {'d', KeyDebug},
    {'m', KeyMonitor},      {'p', KeyPrimary},      {'s', KeySecondary},
    {'t', KeyTertiary},     {'4', KeySearchUp},     {KEY_LEFT, KeySearchUp},
    {'6', KeySearchDown},   {KEY_RIGHT, KeySearchDown}, {'f', FindTextFirst},
    {'F', FindTextLast},    {'g', GotoPercentage},  {'v', KeyVerbose},
    {'h', ShowHelp},        {'r', ShowHowto},
};

void Dispatch(int key)
{
    for (const KeyAction& entry : keyTable) {
        if (entry.key == key) {
            entry.action();
            return;
        }
    }
}

int ReadKey()
{
    if (iMonitorMode != 0) {
        int key = MonitorWait(iLogSize);
        return key == 0 ? KEY_END : key;
    }
    int key;
    do {
        key = wgetch(stdscr);
    } while (key == 0);
    return key;
}

void StartCurses()
{
    initscr();
    keypad(stdscr, TRUE);
    nonl();
    cbreak();
    noecho();
    curs_set(0);
}

[[noreturn]] void CleanExit()
{
    if (theConfig != nullptr)
        theConfig->Write();
    endwin();
    CloseLog();
    exit(0);
}

} // namespace

void OnInterrupt(int signal)
{
    endwin();
    CloseLog();
    exit(signal);
}

void OnFault(int signal)
{
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

int FerntrackMain()
{
    SetUpPrivateDirectory();
    signal(SIGINT, OnInterrupt);
    signal(SIGSEGV, OnFault);
    StartCurses();
    InstallCursesScan();
    iLogSize = 0;
    static ConfigFile config;
    theConfig = &config;
    config.Read();
    // A slot outside 1 to 3 would leave no log current: take the primary.
    if (iCurrentLog < 1 || iCurrentLog > 3)
        iCurrentLog = 1;
    SwitchLog(iCurrentLog);
    sStatusMessage.clear();
    LoadWords();
    LoadAliases();
    RefreshView();
    for (;;) {
        if (KeyPoll != nullptr)
            nodelay(KeyPoll, FALSE);
        RefreshView();
        DrawBrowseWindow();
        int key = ReadKey();
        RefreshView();
        Dispatch(key);
        // A blocking read that keeps failing at once means the terminal is
        // gone (a hang-up under nohup): leave cleanly instead of spinning.
        failedReads = key == ERR ? failedReads + 1 : 0;
        if (failedReads >= kFailedReadsToQuit)
            quitRequested = true;
        if (quitRequested)
            CleanExit();
    }
}
