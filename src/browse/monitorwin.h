// Monitor mode: wait for a key while watching the log grow.
#pragma once

#include <cstdint>

// A key code when a key arrived (KEY_RESIZE for a resize, so the caller
// draws again), or 0 once the log's size differs from known.
int MonitorWait(int64_t known);
