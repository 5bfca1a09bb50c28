#include "report/range.h"

#include "browse/logreader.h"

int64_t iRepStart = 0;
int64_t iRepFinish = 0;

namespace {

// A range marked on one log means nothing on another.
[[maybe_unused]] const bool bClearedOnSwitch = (AddLogSwitchHook([] { iRepStart = iRepFinish = 0; }), true);

// The marks stay on the requests they were on when the log's text moves (a
// set of files found again after a rotation); an unset mark, 0, stays unset.
[[maybe_unused]] const int iFollowing = FollowLogOffsets([](const std::function<int64_t(int64_t)>& move) {
    for (int64_t* mark : {&iRepStart, &iRepFinish})
        if (*mark != 0)
            *mark = move(*mark);
});

} // namespace
