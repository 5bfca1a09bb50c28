#include "report/reportscreen.h"

#include <curses.h>

#include <algorithm>
#include <ctime>

#include "browse/logreader.h"
#include "frame/message.h"
#include "frame/screen.h"
#include "frame/settings.h"
#include "report/generate.h"
#include "report/output.h"

namespace {

// The echoed lines reach the terminal at most this often; the screen
// shows the same in the end and a run with many hits is not slowed down.
constexpr int64_t kEchoRefreshMillis = 30;

int64_t lastEchoRefresh = 0;
bool scrolling = false;

int64_t NowMillis()
{
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Each line of the report text scrolls up from just above the status line.
void EchoReportText(const std::string& text)
{
    if (iPageRows < 1)
        return;
    if (!scrolling) {
        setscrreg(0, iPageRows - 1);
        scrollok(stdscr, TRUE);
        scrolling = true;
    }
    std::string shown = EchoText(text);
    attroff(A_REVERSE);
    size_t start = 0;
    while (start < shown.size()) {
        size_t lf = shown.find('\n', start);
        size_t end = lf == std::string::npos ? shown.size() : lf;
        // One column short of the width: a full row would wrap and scroll twice.
        int width = std::min(static_cast<int>(end - start), COLS - 1);
        scrl(1);
        if (width > 0)
            mvaddnstr(iPageRows - 1, 0, shown.c_str() + start, width);
        start = end + 1;
    }
    int64_t now = NowMillis();
    if (now - lastEchoRefresh >= kEchoRefreshMillis) {
        lastEchoRefresh = now;
        refresh();
    }
}

void EndEcho()
{
    if (scrolling) {
        scrollok(stdscr, FALSE);
        setscrreg(0, LINES - 1);
        scrolling = false;
    }
    ClearScreen();
}

void OfferView(const std::string& summary)
{
    int key = AskKey(ViewQuestionText(sRepFileName, summary));
    if (key == 'y')
        RunCommand(ViewCommand(sRepFileName));
    sStatusMessage = AfterViewText(sRepFileName);
}

} // namespace

void RunReport(GenerateReport& report)
{
    report.pEchoHook = EchoReportText;
    report.pStatusHook = ShowStatus;
    report.pClearHook = EndEcho;
    report.Run();
    if (report.bOfferView)
        OfferView(report.sSummary);
}
