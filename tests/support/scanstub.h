// A scan step for unit tests in place of the keyboard-polling one of the
// screen layer: it records every call and can ask the scan to stop, as the
// user pressing 's' would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "frame/scan.h"

// One call of the scan step, as the progress line would show it.
struct ScanCall {
    std::string label;
    int64_t part;
    int64_t whole;
};

struct ScanStubState {
    int stopAt = 0; // the call that answers "stop"; 0 never
    int begins = 0;
    std::vector<ScanCall> steps;
};

inline ScanStubState& ScanStub()
{
    static ScanStubState state;
    return state;
}

inline void StubBeginScan()
{
    ++ScanStub().begins;
}

inline bool StubScanStep(const char* label, int64_t part, int64_t whole)
{
    ScanStubState& state = ScanStub();
    state.steps.push_back({label, part, whole});
    return state.stopAt > 0 && static_cast<int>(state.steps.size()) >= state.stopAt;
}

// Installs the stub with nothing seen yet: the steps-th step from now on
// answers "stop" (and so does every later one); with steps 0 or less no
// scan is ever stopped.
inline void InstallStopAfter(int steps)
{
    ScanStub() = ScanStubState();
    ScanStub().stopAt = steps > 0 ? steps : 0;
    SetScanHook(StubBeginScan, StubScanStep);
}

// Every step seen since the stub was installed.
inline const std::vector<ScanCall>& ScanStepsSeen()
{
    return ScanStub().steps;
}

// How many scans began since the stub was installed.
inline int ScanBeginsSeen()
{
    return ScanStub().begins;
}

// Puts back the state of a program without a screen: scans never stop.
inline void RemoveScanStub()
{
    SetScanHook(nullptr, nullptr);
}
