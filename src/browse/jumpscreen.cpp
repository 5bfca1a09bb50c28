#include "browse/jumpscreen.h"

#include <string>

#include "browse/jump.h"
#include "frame/screen.h"

namespace {

void ShowJumpStatus(const char* text) { ShowStatus(text); }

void JumpToDay(bool forward)
{
    int64_t t = 0;
    if (!JumpStartTime(t))
        return;
    std::string answer;
    PromptLine(forward ? "Jump forward to day of month: " : "Jump backward to day of month: ", answer);
    int day = JumpDayAnswer(answer);
    if (day == 0)
        return;
    JumpToDate(t, day, forward, ShowJumpStatus);
}

} // namespace

void JumpForward() { JumpToDay(true); }

void JumpBackward() { JumpToDay(false); }
