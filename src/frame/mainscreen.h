// Start-up, the main loop with its key dispatch, and the ways out.
#pragma once

// Runs the program; returns only through exit().
int FerntrackMain();
// The signal exits, all handled here: SIGINT ends curses and leaves with
// status 2; SIGTERM, SIGHUP, SIGQUIT and SIGPIPE with 128 + the signal
// number (a signal ignored at start stays ignored); nothing is saved and a
// half-written settings file is removed. SIGXFSZ is ignored, so that a
// write past a file size limit fails instead.
void InstallSignalHandlers();
// SIGINT: end curses and leave without saving.
void OnInterrupt(int signal);
// SIGSEGV: end curses, reset the terminal and say what was under way.
void OnFault(int signal);
