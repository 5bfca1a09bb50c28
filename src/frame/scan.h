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
// Called once when a scan ends, however it ends. The keys typed while it
// ran were meant for it and are dropped, so that they do not act on the
// screen after it; true when one of them was 's': a scan that ended by
// itself then ends as if stopped, however short it was. Without a hook
// installed it is false.
bool EndScan();
// Installs the scan's implementation; null for any of them restores doing
// nothing.
void SetScanHook(void (*begin)(), bool (*step)(const char* label, int64_t part, int64_t whole),
                 bool (*end)() = nullptr);
