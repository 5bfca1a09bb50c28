#include "harness.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vterm.h>

#include <cerrno>
#include <cmath>
#include <chrono>
#include <stdexcept>

namespace e2e {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void AppendUtf8(std::string& out, uint32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Answers the emulator gives to queries go back to the program, as a real
// terminal's would.
void ForwardReply(const char* bytes, size_t len, void* user)
{
    int fd = *static_cast<int*>(user);
    while (len > 0) {
        ssize_t n = ::write(fd, bytes, len);
        if (n <= 0)
            return;
        bytes += n;
        len -= static_cast<size_t>(n);
    }
}

}  // namespace

// ---- Terminal ----

Terminal::Terminal(const std::vector<std::string>& argv, const Env& env, int rows, int cols)
    : rows_(rows), cols_(cols)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    struct winsize ws = {};
    ws.ws_row = static_cast<unsigned short>(rows);
    ws.ws_col = static_cast<unsigned short>(cols);
    pid_ = ::forkpty(&master_, nullptr, nullptr, &ws);
    if (pid_ < 0)
        throw std::runtime_error("forkpty failed");
    if (pid_ == 0) {
        ::execve(args[0], args.data(), envp.data());
        const char msg[] = "exec failed\n";
        ssize_t ignored = ::write(2, msg, sizeof msg - 1);
        (void)ignored;
        ::_exit(127);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);

    vt_ = vterm_new(rows, cols);
    vterm_set_utf8(vt_, 1);
    vterm_output_set_callback(vt_, ForwardReply, &master_);
    screen_ = vterm_obtain_screen(vt_);
    vterm_screen_enable_altscreen(screen_, 1);
    vterm_screen_reset(screen_, 1);
}

Terminal::~Terminal()
{
    if (!reaped_) {
        ::kill(pid_, SIGKILL);
        Reap(true);
    }
    if (master_ >= 0)
        ::close(master_);
    if (vt_)
        vterm_free(vt_);
}

void Terminal::Send(const std::string& bytes)
{
    size_t done = 0;
    auto start = Clock::now();
    while (done < bytes.size() && SecondsSince(start) < 5.0) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR)
            return;
        else
            Pump(0.01);
    }
}

std::string Terminal::Row(int row)
{
    std::string text;
    for (int col = 0; col < cols_; ++col) {
        VTermScreenCell cell;
        VTermPos pos = {row, col};
        if (!vterm_screen_get_cell(screen_, pos, &cell) || cell.chars[0] == 0) {
            text += ' ';
            continue;
        }
        for (int i = 0; i < VTERM_MAX_CHARS_PER_CELL && cell.chars[i]; ++i)
            AppendUtf8(text, cell.chars[i]);
    }
    return text;
}

std::string Terminal::Screen()
{
    std::string text;
    for (int row = 0; row < rows_; ++row)
        text += Row(row) + "\n";
    return text;
}

bool Terminal::Reverse(int row, int col)
{
    VTermScreenCell cell;
    VTermPos pos = {row, col};
    return vterm_screen_get_cell(screen_, pos, &cell) && cell.attrs.reverse;
}

void Terminal::ReadAvailable()
{
    char buf[8192];
    for (;;) {
        ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) {
            output_.append(buf, static_cast<size_t>(n));
            vterm_input_write(vt_, buf, static_cast<size_t>(n));
            continue;
        }
        // EIO: every holder of the terminal's other side has closed it.
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            eof_ = true;
        break;
    }
    vterm_screen_flush_damage(screen_);
}

void Terminal::Pump(double seconds)
{
    auto start = Clock::now();
    do {
        if (eof_) {
            Reap(false);
            if (reaped_)
                return;
            ::usleep(10000);
            continue;
        }
        // Rounded up: a wait cut down to 0 ms would spin on poll for the
        // last millisecond of every pump and take a core from the program.
        int wait = static_cast<int>(std::ceil((seconds - SecondsSince(start)) * 1000));
        struct pollfd p = {master_, POLLIN, 0};
        if (::poll(&p, 1, wait < 0 ? 0 : wait) > 0)
            ReadAvailable();
        Reap(false);
    } while (SecondsSince(start) < seconds);
}

bool Terminal::WaitUntil(const std::function<bool()>& condition, double seconds)
{
    auto start = Clock::now();
    for (;;) {
        if (condition())
            return true;
        if (SecondsSince(start) >= seconds)
            return false;
        Pump(0.05);
    }
}

bool Terminal::WaitFor(const std::string& text, double seconds)
{
    return WaitUntil([&] { return Screen().find(text) != std::string::npos; }, seconds);
}

bool Terminal::WaitForRow(int row, const std::string& text, double seconds)
{
    return WaitUntil([&] { return Row(row).find(text) != std::string::npos; }, seconds);
}

void Terminal::Reap(bool block)
{
    if (reaped_)
        return;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, block ? 0 : WNOHANG);
    if (r != pid_)
        return;
    reaped_ = true;
    if (WIFEXITED(status))
        status_ = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        status_ = 128 + WTERMSIG(status);
}

int Terminal::WaitExit(double seconds)
{
    auto start = Clock::now();
    while (!reaped_ && SecondsSince(start) < seconds)
        Pump(0.05);
    if (!reaped_)
        return -1;
    // Output written just before the end may still be in the terminal.
    auto drain = Clock::now();
    while (!eof_ && SecondsSince(drain) < 1.0) {
        struct pollfd p = {master_, POLLIN, 0};
        if (::poll(&p, 1, 50) > 0)
            ReadAvailable();
    }
    return status_;
}

bool Terminal::Running()
{
    Reap(false);
    return !reaped_;
}

void Terminal::Resize(int rows, int cols)
{
    rows_ = rows;
    cols_ = cols;
    vterm_set_size(vt_, rows, cols);
    struct winsize ws = {};
    ws.ws_row = static_cast<unsigned short>(rows);
    ws.ws_col = static_cast<unsigned short>(cols);
    ::ioctl(master_, TIOCSWINSZ, &ws);
}

void Terminal::Hangup()
{
    if (master_ < 0)
        return;
    ::close(master_);
    master_ = -1;
    eof_ = true;
}

void Terminal::Kill(int signal)
{
    if (!reaped_)
        ::kill(pid_, signal);
}

}  // namespace e2e
