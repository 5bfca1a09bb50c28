#include "report/reportscreen.h"

#include <curses.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "browse/logreader.h"
#include "frame/message.h"
#include "frame/screen.h"
#include "frame/settings.h"
#include "report/generate.h"
#include "report/output.h"

namespace {

// The echoed lines reach the screen at most this often: the screen shows
// the newest lines in the end anyway, and a run with many hits is not
// slowed down by drawing lines nobody could read.
constexpr int64_t kEchoDrawMillis = 30;
// More lines than any screen has rows.
constexpr size_t kEchoKept = 512;

// The newest echoed lines, oldest first from vEchoLines[iEchoNext].
std::vector<std::string> vEchoLines;
size_t iEchoNext = 0;
size_t iEchoCount = 0;
int64_t iLastEchoDraw = 0;

// The newest lines fill the rows above the status line, the newest at the
// bottom, as if each had scrolled up from there.
void DrawEchoLines()
{
    int rows = static_cast<int>(std::min<size_t>(iEchoCount, static_cast<size_t>(std::max(iPageRows, 0))));
    attroff(A_REVERSE);
    for (int row = 0; row < iPageRows; ++row) {
        move(row, 0);
        clrtoeol();
        int age = iPageRows - row;  // 1 for the newest line
        if (age > rows)
            continue;
        const std::string& line = vEchoLines[(iEchoNext + kEchoKept - static_cast<size_t>(age)) % kEchoKept];
        // One column short of the width: a full row would wrap.
        AddText(line.substr(0, static_cast<size_t>(std::max(COLS - 1, 0))));
    }
    refresh();
}

void EchoReportText(const std::string& text)
{
    if (vEchoLines.size() != kEchoKept)
        vEchoLines.resize(kEchoKept);
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        size_t end = lf == std::string::npos ? text.size() : lf;
        vEchoLines[iEchoNext].assign(text, start, end - start);
        iEchoNext = (iEchoNext + 1) % kEchoKept;
        ++iEchoCount;
        start = end + 1;
    }
    int64_t now = CoarseMillis();
    if (now - iLastEchoDraw >= kEchoDrawMillis) {
        iLastEchoDraw = now;
        DrawEchoLines();
    }
}

void EndEcho()
{
    iEchoCount = 0;
    ClearScreen();
}

void OfferView(const std::string& summary)
{
    // Keys typed while the run went on were meant for it (the scan drops
    // them as it polls); the last few would otherwise answer this question.
    flushinp();
    int key = AskKey([&summary](int width) { return ViewQuestionText(sRepFileName, summary, width); });
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
