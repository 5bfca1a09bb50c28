// Monitor mode: wait for a key while watching the log grow.
#pragma once

#include <cstdint>

// A key code when a key arrived, or 0 once the log's size differs from known.
int MonitorWait(int64_t known);
