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
    bool stopAtEnd = false; // the end of every scan answers "s was typed"
    int begins = 0;
    int ends = 0;
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

inline bool StubEndScan()
{
    ++ScanStub().ends;
    return ScanStub().stopAtEnd;
}

// Installs the stub with nothing seen yet: the steps-th step from now on
// answers "stop" (and so does every later one); with steps 0 or less no
// scan is ever stopped.
inline void InstallStopAfter(int steps)
{
    ScanStub() = ScanStubState();
    ScanStub().stopAt = steps > 0 ? steps : 0;
    SetScanHook(StubBeginScan, StubScanStep, StubEndScan);
}

// Installs the stub so that no step stops a scan but every scan's end
// finds an 's' typed during it, as for a scan too short to poll.
inline void InstallStopAtEnd()
{
    InstallStopAfter(0);
    ScanStub().stopAtEnd = true;
}

// Every step seen since the stub was installed.
inline const std::vector<ScanCall>& ScanStepsSeen()
{
    return ScanStub().steps;
}

// How many scans began, and ended, since the stub was installed.
inline int ScanBeginsSeen()
{
    return ScanStub().begins;
}

inline int ScanEndsSeen()
{
    return ScanStub().ends;
}

// Puts back the state of a program without a screen: scans never stop.
inline void RemoveScanStub()
{
    SetScanHook(nullptr, nullptr);
}
