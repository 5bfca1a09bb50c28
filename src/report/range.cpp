#include "report/range.h"

int64_t iRepStart = 0;
int64_t iRepFinish = 0;
