#include "report/range.h"

#include "browse/logreader.h"

int64_t iRepStart = 0;
int64_t iRepFinish = 0;

namespace {

// A range marked on one log means nothing on another.
[[maybe_unused]] const bool bClearedOnSwitch = (AddLogSwitchHook([] { iRepStart = iRepFinish = 0; }), true);

} // namespace
