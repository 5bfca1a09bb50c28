#include "frame/screen.h"

#include <ctime>

#include "browse/logreader.h"
#include "browse/status.h"
#include "entries/fields.h"
#include "frame/scan.h"
#include "frame/screentext.h"

WINDOW* KeyPoll = nullptr;
int64_t iLastProgress = 0;

namespace {

// Longest line a prompt takes.
constexpr int kPromptMax = 87;
// Keys are looked at this often during a scan.
constexpr int64_t kPollMillis = 40;
// Lines between two looks at the clock.
constexpr int kClockStride = 256;

int scanCounter = 0;
int64_t lastPollMillis = 0;

int64_t NowMillis()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void PrepareBottomLine()
{
    move(iPageRows, 0);
    attroff(A_REVERSE);
    clrtoeol();
    move(iPageRows, 0);
}

void ReadLine(std::string& out, int limit)
{
    char buf[kPromptMax + 1];
    curs_set(1);
    echo();
    if (wgetnstr(stdscr, buf, limit) == ERR)
        buf[0] = '\0';
    curs_set(0);
    noecho();
    out = buf;
}

} // namespace

void AddText(const std::string& text)
{
    // Bytes the terminal cannot show as one column (control bytes, and
    // bytes above 0x7E, since no locale is set) become '?', so a row never
    // spills over into the next.
    std::string shown(text);
    for (char& c : shown) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u > 0x7E)
            c = '?';
    }
    addnstr(shown.c_str(), static_cast<int>(shown.size()));
}

void PromptLine(const std::string& prompt, std::string& out)
{
    PrepareBottomLine();
    attroff(A_REVERSE);
    AddText(prompt);
    ReadLine(out, kPromptMax);
    PrepareBottomLine();
}

int AskKey(const std::string& question)
{
    PrepareBottomLine();
    attroff(A_REVERSE);
    AddText(question);
    int key = wgetch(stdscr);
    PrepareBottomLine();
    return key;
}

void ShowStatus(const std::string& text)
{
    PrepareBottomLine();
    attron(A_REVERSE);
    AddText(text);
    refresh();
}

void ShowProgress(const std::string& label, int64_t part, int64_t whole)
{
    ShowStatus(PercentText(part, whole) + " " + label + " | <s> to stop");
}

void ClearScreen()
{
    attroff(A_REVERSE);
    clear();
    refresh();
    move(0, 0);
}

void RunCommand(const std::string& command)
{
    ClearScreen();
    curs_set(1);
    echo();
    nocbreak();
    endwin();
    int status = system(command.c_str());
    if (status != 0)
        sStatusMessage = "Error running command: " + command;
    keypad(stdscr, TRUE);
    curs_set(0);
    noecho();
    cbreak();
    ClearScreen();
}

void OpenKeyPoll()
{
    if (KeyPoll != nullptr)
        delwin(KeyPoll);
    KeyPoll = newwin(1, 1, LINES - 1, COLS - 1);
    if (KeyPoll == nullptr)
        return;
    wrefresh(KeyPoll);
    nodelay(KeyPoll, TRUE);
}

void AddNumber(int n)
{
    addstr(NumToStr(static_cast<uint64_t>(static_cast<int64_t>(n))).c_str());
}

void PromptFileName(std::string& out, bool* ok)
{
    if (ok != nullptr)
        *ok = true;
    ReadLine(out, kPromptMax);
    if (out.empty())
        return;
    std::string problem = FileNameCheck(out);
    if (!problem.empty()) {
        AddText("Problem: " + problem + " Press any key.");
        wgetch(stdscr);
        addstr("\n");
        out.clear();
        if (ok != nullptr)
            *ok = false;
        return;
    }
    out += ".txt";
}

namespace {

// Starts a long scan: opens KeyPoll and resets the throttle.
void CursesBeginScan()
{
    OpenKeyPoll();
    scanCounter = 0;
    lastPollMillis = NowMillis();
}

// Looks at the keyboard only every few milliseconds (no system call per
// line); true when 's' was pressed. Draws a progress line at most once a
// second.
bool CursesScanStep(const char* label, int64_t part, int64_t whole)
{
    if (++scanCounter < kClockStride)
        return false;
    scanCounter = 0;
    int64_t now = NowMillis();
    if (now - lastPollMillis < kPollMillis)
        return false;
    lastPollMillis = now;
    bool stop = false;
    if (KeyPoll != nullptr) {
        // Every pending key is taken: 's' stops, the rest are dropped.
        for (int key = wgetch(KeyPoll); key != ERR; key = wgetch(KeyPoll))
            if (key == 's')
                stop = true;
    }
    if (stop)
        return true;
    int64_t second = static_cast<int64_t>(time(nullptr));
    if (second != iLastProgress) {
        iLastProgress = second;
        ShowProgress(label, part, whole);
    }
    return false;
}

} // namespace

void InstallCursesScan() { SetScanHook(CursesBeginScan, CursesScanStep); }
