#include "frame/screen.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "browse/logreader.h"
#include "entries/texts.h"
#include "frame/message.h"
#include "frame/scan.h"
#include "frame/screentext.h"
#include "frame/terminal.h"

WINDOW* KeyPoll = nullptr;

namespace {

// Longest line a prompt takes.
constexpr int kPromptMax = 87;
// Keys are looked at this often during a scan.
constexpr int64_t kPollMillis = 40;
// Lines between two looks at the clock.
constexpr int kClockStride = 256;

// Blocking key reads that failed in a row, and how many mean the terminal
// is gone even when the line does not say it hung up.
constexpr int kFailedReadsToQuit = 1000;

// How the program ends cleanly; set by StartScreen.
void (*endProgram)() = nullptr;

int scanCounter = 0;
int64_t lastPollMillis = 0;

// The terminal is gone: end as ctrl-x would (or at least end).
[[noreturn]] void LeaveCleanly()
{
    if (endProgram != nullptr)
        endProgram();
    endwin();
    exit(0);
}

void ScreenBeginScan()
{
    OpenKeyPoll();
    scanCounter = 0;
    lastPollMillis = CoarseMillis();
}

// Takes every key typed since the last look: true when one was 's'; the
// rest are dropped. A scan nobody can stop or watch any more leaves as
// ctrl-x would.
bool TakeScanKeys()
{
    if (InputGone(0))
        LeaveCleanly();
    bool stop = false;
    if (KeyPoll != nullptr) {
        for (int key = wgetch(KeyPoll); key != ERR; key = wgetch(KeyPoll))
            if (key == 's')
                stop = true;
    }
    return stop;
}

// Looks at the keyboard only every few milliseconds, so a scan makes no
// system call per line.
bool ScreenScanStep(const char* label, int64_t part, int64_t whole)
{
    if (++scanCounter < kClockStride)
        return false;
    scanCounter = 0;
    int64_t now = CoarseMillis();
    if (now - lastPollMillis < kPollMillis)
        return false;
    lastPollMillis = now;
    if (TakeScanKeys())
        return true;
    int64_t second = static_cast<int64_t>(time(nullptr));
    if (second != iLastProgress) {
        iLastProgress = second;
        ShowProgress(label, part, whole);
    }
    return false;
}

// The last look, however short the scan was: an 's' typed before the
// first poll still stops it, and nothing typed during it is left over.
bool ScreenEndScan()
{
    return TakeScanKeys();
}

// Cells the library takes to show a byte: one, or more for a control
// byte (^X) or one with the high bit set.
int EchoWidth(char ch)
{
    return static_cast<int>(strlen(unctrl(static_cast<unsigned char>(ch))));
}

// Draws the answer in its field of room cells from (y0, x0): the whole of
// it when it fits, else its end, so that the bytes just typed are always
// in view and erasing one erases what is seen. shown is the width drawn
// last time, blanked where the new text is shorter.
void DrawAnswer(int y0, int x0, int room, const std::string& out, int& shown)
{
    size_t first = out.size();
    int width = 0;
    while (first > 0 && width + EchoWidth(out[first - 1]) <= room)
        width += EchoWidth(out[--first]);
    std::string echo;
    for (size_t i = first; i < out.size(); ++i)
        echo += unctrl(static_cast<unsigned char>(out[i]));
    move(y0, x0);
    addstr(echo.c_str());
    int y, x;
    getyx(stdscr, y, x);
    for (int i = width; i < shown; ++i)
        addch(' ');
    move(y, x);
    shown = width;
}

// The prompts' line editor. The library's own line reader turns the
// terminal's signal keys off while it reads, which made ctrl-c typed at a
// prompt a byte of the answer instead of the interrupt it is everywhere
// else; reading key by key in cbreak mode keeps it the interrupt. Every
// prompt takes up to limit bytes, however little room is left on its row:
// the echo then shows the end of the answer.
void ReadLine(std::string& out, int limit)
{
    out.clear();
    const int eraseKey = erasechar();
    const int killKey = killchar();
    // The answer never runs past the bottom-right cell, which would scroll.
    int y0, x0;
    getyx(stdscr, y0, x0);
    const int room = std::max((LINES - y0) * COLS - x0 - 1, 0);
    int shown = 0;
    curs_set(1);
    for (;;) {
        int ch = wgetch(stdscr);
        // A failed read (the terminal gone) answers nothing, as the
        // library's reader did; the next key read ends the program.
        if (ch == ERR) {
            out.clear();
            break;
        }
        if (ch == '\n' || ch == '\r' || ch == KEY_ENTER || ch == KEY_DOWN)
            break;
        if (ch == KEY_BACKSPACE || ch == KEY_LEFT || ch == eraseKey || ch == 127 || ch == 8) {
            if (!out.empty())
                out.pop_back();
        } else if (ch == killKey) {
            out.clear();
        } else if (ch >= 0 && ch <= 255 && static_cast<int>(out.size()) < limit) {
            out += static_cast<char>(ch);
        } else {
            if (ch != KEY_RESIZE)
                beep();
            continue;
        }
        DrawAnswer(y0, x0, room, out, shown);
    }
    // Like the library's reader: what follows starts on the next row.
    int y = getcury(stdscr);
    move(y < LINES - 1 ? y + 1 : y, 0);
    curs_set(0);
}

} // namespace

namespace {

void PrepareRow(int row)
{
    move(row, 0);
    attroff(A_REVERSE);
    clrtoeol();
    move(row, 0);
}

} // namespace

void PrepareBottomLine()
{
    PrepareRow(iPageRows);
}

void AddText(const std::string& text)
{
    // A row never spills over into the next.
    std::string shown = ShowableText(text);
    addnstr(shown.c_str(), static_cast<int>(shown.size()));
}

void DrawListRows(const std::vector<std::string>& rows, int selectedRow)
{
    for (size_t r = 0; r < rows.size(); ++r) {
        move(static_cast<int>(r), 0);
        if (r == 0 || static_cast<int>(r) == selectedRow)
            attron(A_REVERSE);
        else
            attroff(A_REVERSE);
        AddText(rows[r]);
    }
}

int64_t CoarseMillis()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void AddLines(const std::string& text)
{
    size_t start = 0;
    for (;;) {
        size_t lf = text.find('\n', start);
        AddText(text.substr(start, lf == std::string::npos ? std::string::npos : lf - start));
        if (lf == std::string::npos)
            break;
        // A line feed on the bottom row moves the screen up a row, so a
        // question below a long menu stays readable on a small terminal.
        if (getcury(stdscr) >= LINES - 1) {
            scrollok(stdscr, TRUE);
            scroll(stdscr);
            scrollok(stdscr, FALSE);
            move(LINES - 1, 0);
        } else {
            addch('\n');
        }
        start = lf + 1;
    }
    refresh();
}

void ReadTypedLine(std::string& out)
{
    ReadLine(out, kPromptMax);
}

void PromptLine(const std::string& prompt, std::string& out)
{
    PrepareBottomLine();
    attroff(A_REVERSE);
    AddText(prompt);
    ReadLine(out, kPromptMax);
    PrepareBottomLine();
}

int AskKey(const std::function<std::string(int width)>& question)
{
    int row = iPageRows;
    for (;;) {
        PrepareRow(row);
        AddText(question(std::max(COLS - 1, 0)));
        int key = GetKeyOrResize();
        if (key != KEY_RESIZE) {
            PrepareRow(row);
            return key;
        }
        // A resize is no answer: the question is asked again on the new
        // bottom row, fitted to the new width; the old row may now lie in
        // the middle of the screen.
        if (row < LINES)
            PrepareRow(row);
        row = std::max(LINES - 1, 0);
        clearok(curscr, TRUE);
    }
}

int AskKey(const std::string& question)
{
    return AskKey([&question](int) { return question; });
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
        GetKey();
        addstr("\n");
        out.clear();
        if (ok != nullptr)
            *ok = false;
        return;
    }
    out += ".txt";
}

void StartScreen(void (*cleanExit)())
{
    endProgram = cleanExit;
    initscr();
    keypad(stdscr, TRUE);
    nonl();
    cbreak();
    noecho();
    curs_set(0);
    SetScanHook(ScreenBeginScan, ScreenScanStep, ScreenEndScan);
}

int GetKey()
{
    for (;;) {
        int key = GetKeyOrResize();
        if (key != KEY_RESIZE)
            return key;
        // The library has already fitted its picture of the screen to the
        // new size; drawing it afresh keeps what was asked in view.
        clearok(curscr, TRUE);
        refresh();
    }
}

int GetKeyOrResize()
{
    int failed = 0;
    for (;;) {
        int key = wgetch(stdscr);
        if (key != ERR && key != 0)
            return key;
        // A blocking read that fails at once means the terminal is gone (a
        // hang-up under nohup): leave cleanly instead of spinning.
        if (key == ERR && (++failed >= kFailedReadsToQuit || InputGone(0)))
            LeaveCleanly();
    }
}

static_assert(kKeyDown == KEY_DOWN && kKeyUp == KEY_UP && kKeyLeft == KEY_LEFT && kKeyRight == KEY_RIGHT &&
                  kKeyHome == KEY_HOME && kKeyEnter == KEY_ENTER && kKeyNextPage == KEY_NPAGE &&
                  kKeyPrevPage == KEY_PPAGE && kKeyEnd == KEY_END,
              "the core's key codes are curses' codes");
