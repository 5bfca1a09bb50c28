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
    // A scan nobody can stop or watch any more: leave as ctrl-x would.
    if (InputGone(0))
        LeaveCleanly();
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

// Takes back the echo of the last byte typed: one cell, or two for a
// control byte shown as ^X; the echo may have wrapped onto the next row.
// Returns the cells freed.
int EraseLast(std::string& out)
{
    int width = static_cast<int>(strlen(unctrl(static_cast<unsigned char>(out.back()))));
    out.pop_back();
    int y, x;
    getyx(stdscr, y, x);
    x -= width;
    if (x < 0 && y > 0) {
        --y;
        x += COLS;
    }
    move(y, std::max(x, 0));
    clrtoeol();
    return width;
}

// The prompts' line editor. The library's own line reader turns the
// terminal's signal keys off while it reads, which made ctrl-c typed at a
// prompt a byte of the answer instead of the interrupt it is everywhere
// else; reading key by key in cbreak mode keeps it the interrupt.
void ReadLine(std::string& out, int limit)
{
    out.clear();
    const int eraseKey = erasechar();
    const int killKey = killchar();
    // What is typed must stay on the screen, so that erasing it erases
    // what is seen: the answer never runs past the bottom-right cell.
    const int room = (LINES - getcury(stdscr)) * COLS - getcurx(stdscr) - 1;
    int used = 0;
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
                used -= EraseLast(out);
        } else if (ch == killKey) {
            while (!out.empty())
                used -= EraseLast(out);
        } else if (ch >= 0 && ch <= 255 && static_cast<int>(out.size()) < limit &&
                   used + static_cast<int>(strlen(unctrl(static_cast<chtype>(ch)))) <= room) {
            out += static_cast<char>(ch);
            used += static_cast<int>(strlen(unctrl(static_cast<chtype>(ch))));
            addstr(unctrl(static_cast<chtype>(ch)));
        } else if (ch != KEY_RESIZE) {
            beep();
        }
    }
    // Like the library's reader: what follows starts on the next row.
    int y = getcury(stdscr);
    move(y < LINES - 1 ? y + 1 : y, 0);
    curs_set(0);
}

} // namespace

void PrepareBottomLine()
{
    move(iPageRows, 0);
    attroff(A_REVERSE);
    clrtoeol();
    move(iPageRows, 0);
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

int AskKey(const std::string& question)
{
    PrepareBottomLine();
    attroff(A_REVERSE);
    AddText(question);
    int key = GetKey();
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
    SetScanHook(ScreenBeginScan, ScreenScanStep);
}

int GetKey()
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

eMove KeypadMove(int key)
{
    switch (key) {
    case KEY_END: case '1': return eMoveEnd;
    case KEY_DOWN: case '2': return eMoveDown;
    case KEY_NPAGE: case '3': return eMovePageDown;
    case KEY_HOME: case '7': return eMoveHome;
    case KEY_UP: case '8': return eMoveUp;
    case KEY_PPAGE: case '9': return eMovePageUp;
    case KEY_LEFT: case '4': return eMoveLeft;
    case KEY_RIGHT: case '6': return eMoveRight;
    default: return eMoveNone;
    }
}
