// The per-line step of every long scan (hit search, report run, tally
// gathering, history scans). The scans live in the curses-free core; the
// screen layer installs the step that polls the keyboard and draws the
// progress line, and tests install a stub.
#pragma once

#include <cstdint>

// Second (time()) at which a progress line was last drawn, shared by all
// scans; the tally times its once-a-second sort against it too.
extern int64_t iLastProgress;

// Called once before a scan.
void BeginScan();
// Called after every line. True means stop now: the user pressed 's'.
// part / whole is the position shown on the progress line, which the
// installed step draws as "<percent> <label> | <s> to stop" at most once a
// wall-clock second. Without a hook installed a scan never stops.
bool ScanStep(const char* label, int64_t part, int64_t whole);
// Installs the scan's implementation; null for either restores doing nothing.
void SetScanHook(void (*begin)(), bool (*step)(const char* label, int64_t part, int64_t whole));
