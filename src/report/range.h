// The range of the log a report covers.
#pragma once

#include <cstdint>

// Offset where the report range starts; 0 when unset.
extern int64_t iRepStart;
// Offset where the report range ends; 0 when unset.
extern int64_t iRepFinish;
