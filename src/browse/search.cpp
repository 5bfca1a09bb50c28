#include "browse/search.h"

#include <cstdlib>
#include <string>

#include "browse/logreader.h"
#include "browse/status.h"
#include "entries/words.h"
#include "frame/scan.h"
#include "frame/screen.h"

namespace {

bool LineIsHit()
{
    char marks[4];
    MatchWords(sCurrentLine, marks);
    return IsHit(marks);
}

} // namespace

void SearchHits(int direction)
{
    bool down = direction > 0;
    if (!down && iTopOffset == 0 && iCursorRow == 0)
        return;
    if (down && iTopOffset >= iEndTop && iCursorRow == iMaxRow)
        return;
    BeginScan();
    int64_t a = iCursorOffset;
    if (down)
        a = NextLine(a);
    for (;;) {
        int64_t b = down ? NextLine(a) : PrevLine(a);
        if (LineIsHit()) {
            ShowOffset(down ? a : b);
            return;
        }
        if (!down && b < 1) {
            iTopOffset = 0;
            iCursorRow = 0;
            return;
        }
        if (down && (b == 0 || b == a)) {
            iTopOffset = iEndTop;
            iCursorRow = iMaxRow;
            return;
        }
        if (ScanStep("Searching...", b, iEndTop))
            return;
        a = b;
    }
}

void FindTextFirst()
{
    std::string text;
    PromptLine("find text: ", text);
    if (text.empty())
        return;
    sWords = text + "\n" + sWords;
    sStatusMessage = "Now press <- or ->";
}

void FindTextLast()
{
    std::string text;
    PromptLine("Find text: ", text);
    if (text.empty())
        return;
    sWords += text + "\n";
    sStatusMessage = "Now press <- or ->";
}

void GotoPercentage()
{
    std::string answer;
    PromptLine("Goto percentage: ", answer);
    if (answer.empty())
        return;
    double v = strtod(answer.c_str(), nullptr);
    if (!(v >= 0 && v <= 100))
        return;
    int64_t p = NextLine(static_cast<int64_t>(v * static_cast<double>(iLastLineStart) / 100.0));
    ShowOffset(p);
}
