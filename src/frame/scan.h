// The per-line step of every long scan, kept free of curses: the screen
// layer installs the real keyboard poll and progress line, tests a stub.
#pragma once

#include <cstdint>

// Called once before a scan.
void BeginScan();
// Called after every line; true means stop now. part and whole feed the
// progress line.
bool ScanStep(const char* label, int64_t part, int64_t whole);
// Installs the implementation; with none installed a scan never stops.
void SetScanHook(void (*begin)(), bool (*step)(const char* label, int64_t part, int64_t whole));
