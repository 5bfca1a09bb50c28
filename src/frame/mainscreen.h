// Start-up, the main loop with its key dispatch, and the ways out.
#pragma once

// Runs the program; returns only through exit().
int FerntrackMain();
// Writes the settings, ends curses, closes the log and exits with status 0:
// ctrl-x, a mode that asks to quit, or a terminal that is gone.
[[noreturn]] void CleanExit();
// SIGINT: end curses and leave without saving.
void OnInterrupt(int signal);
// SIGSEGV: end curses, reset the terminal and say what was under way.
void OnFault(int signal);
