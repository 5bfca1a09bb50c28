// Start-up, the main loop with its key dispatch, and the ways out.
#pragma once

// Runs the program; returns only through exit().
int FerntrackMain();
// SIGINT: end curses and leave without saving.
void OnInterrupt(int signal);
// SIGSEGV: end curses, reset the terminal and say what was under way.
void OnFault(int signal);
