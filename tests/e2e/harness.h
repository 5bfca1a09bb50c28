// End-to-end harness: runs a program in a pseudo-terminal and reads its
// screen back through libvterm, so tests see what a user would see. The
// program's own world (homes, logs, rows, starting and ending it) is in
// fixture.h.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct VTerm;
struct VTermScreen;

namespace e2e {

// Environment entries, each "NAME=value".
using Env = std::vector<std::string>;

// Keys as an xterm sends them once the program has switched keypad
// transmit mode on (smkx), which curses does with keypad(stdscr, TRUE).
namespace key {
inline const std::string Up = "\x1bOA";
inline const std::string Down = "\x1bOB";
inline const std::string Right = "\x1bOC";
inline const std::string Left = "\x1bOD";
inline const std::string Home = "\x1bOH";
inline const std::string End = "\x1bOF";
inline const std::string PageUp = "\x1b[5~";
inline const std::string PageDown = "\x1b[6~";
inline const std::string CtrlC = "\x03";
inline const std::string CtrlX = "\x18";
}  // namespace key

// A process running in a pseudo-terminal of a fixed size, with a terminal
// emulator that follows everything the process writes.
class Terminal {
public:
    // Starts argv[0] (a path) with exactly the given environment.
    Terminal(const std::vector<std::string>& argv, const Env& env, int rows, int cols);
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    int Rows() const { return rows_; }
    int Cols() const { return cols_; }

    // Writes bytes to the program's keyboard.
    void Send(const std::string& bytes);

    // Text of one screen row, every column (blank cells as blanks).
    std::string Row(int row);
    // All rows, each ended by a line feed.
    std::string Screen();
    bool Reverse(int row, int col);

    // Reads the program's output for about the given time.
    void Pump(double seconds);
    // Pumps output until the condition holds; false after the timeout.
    bool WaitUntil(const std::function<bool()>& condition, double seconds = 8.0);
    // Waits for the text to appear anywhere on the screen.
    bool WaitFor(const std::string& text, double seconds = 8.0);
    // Waits for the text to appear in the given row.
    bool WaitForRow(int row, const std::string& text, double seconds = 8.0);

    // Waits for the process to end. The result is its exit status, 128 plus
    // the signal number when a signal ended it, or -1 on a timeout.
    int WaitExit(double seconds = 8.0);
    bool Running();
    // Process id of the program.
    pid_t Pid() const { return pid_; }
    // Every byte the program has written so far, as it came.
    const std::string& Output() const { return output_; }

    // Gives the terminal a new size; the kernel sends SIGWINCH.
    void Resize(int rows, int cols);
    // Closes the terminal's master side, as when the user's ssh session or
    // terminal window goes away; the program's reads then fail. Nothing more
    // can be sent or read afterwards, but WaitExit still works.
    void Hangup();
    void Kill(int signal = SIGKILL);

private:
    void ReadAvailable();
    void Reap(bool block);

    int rows_;
    int cols_;
    int master_ = -1;
    pid_t pid_ = -1;
    bool reaped_ = false;
    bool eof_ = false;
    int status_ = -1;
    std::string output_;
    VTerm* vt_ = nullptr;
    VTermScreen* screen_ = nullptr;
};

}  // namespace e2e
