#include "frame/scan.h"

int64_t iLastProgress = 0;

namespace {

void (*beginHook)() = nullptr;
bool (*stepHook)(const char*, int64_t, int64_t) = nullptr;
bool (*endHook)() = nullptr;

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

bool EndScan()
{
    return endHook != nullptr && endHook();
}

void SetScanHook(void (*begin)(), bool (*step)(const char* label, int64_t part, int64_t whole), bool (*end)())
{
    beginHook = begin;
    stepHook = step;
    endHook = end;
}
