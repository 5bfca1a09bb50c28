#include "frame/scan.h"

int64_t iLastProgress = 0;

namespace {

void (*beginHook)() = nullptr;
bool (*stepHook)(const char*, int64_t, int64_t) = nullptr;

} // namespace

void BeginScan()
{
    if (beginHook != nullptr)
        beginHook();
}

bool ScanStep(const char* label, int64_t part, int64_t whole)
{
    return stepHook != nullptr && stepHook(label, part, whole);
}

void SetScanHook(void (*begin)(), bool (*step)(const char* label, int64_t part, int64_t whole))
{
    beginHook = begin;
    stepHook = step;
}
