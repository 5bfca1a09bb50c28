// The bottom-line helpers every screen shares: prompts, questions, status
// and progress lines, shell commands, and the stop protocol of long scans.
#pragma once

#include <curses.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/listpage.h"

// One-cell window in no-delay mode through which long scans look for keys.
extern WINDOW* KeyPoll;

// Clears the bottom row (below the page) and puts the cursor at its start,
// plain video.
void PrepareBottomLine();
// Reads one line typed on the bottom row after the prompt.
void PromptLine(const std::string& prompt, std::string& out);
// Asks on the bottom row and returns the key pressed. A resize answers
// nothing: the question, built for the width it may take, is asked again on
// the new bottom row.
int AskKey(const std::function<std::string(int width)>& question);
int AskKey(const std::string& question);
// Shows a text in reverse video on the bottom row.
void ShowStatus(const std::string& text);
// Shows "<percent> <label> | <s> to stop" on the bottom row.
void ShowProgress(const std::string& label, int64_t part, int64_t whole);
// Runs a shell command with the terminal handed back to it.
void RunCommand(const std::string& command);
// (Re)makes the KeyPoll window.
void OpenKeyPoll();
// Clears the screen and puts the cursor at the top left.
void ClearScreen();
// Writes a number at the cursor.
void AddNumber(int n);
// Reads a file name at the cursor; empty when refused (ok then false).
void PromptFileName(std::string& out, bool* ok = nullptr);
// Writes a text of arbitrary bytes, each shown in one column.
void AddText(const std::string& text);
// Draws a list screen's rows from the top: the heading (row 0) and the row
// selectedRow in reverse video, the others plain.
void DrawListRows(const std::vector<std::string>& rows, int selectedRow);
// Milliseconds of a coarse monotonic clock, cheap enough to read often.
int64_t CoarseMillis();
// Writes a text at the cursor; each line feed starts a new row.
void AddLines(const std::string& text);
// Reads one line typed at the cursor, with the cursor shown and the input
// echoed, cut to the prompts' bound.
void ReadTypedLine(std::string& out);

// Starts curses the way every screen expects it (keypad, no echo, no
// cursor), installs the keyboard-polling step of long scans, and keeps
// cleanExit: how the program ends, settings saved, when the terminal is gone.
void StartScreen(void (*cleanExit)());

// One blocking key read for every wait and question; never 0, ERR or
// KEY_RESIZE: a resize draws the screen again and goes on waiting. When the
// terminal is gone (reads keep failing, the line hung up) it ends the
// program cleanly, settings saved, instead of spinning.
int GetKey();
// The same for a screen loop that draws itself again for the new size: a
// resize is handed back as KEY_RESIZE.
int GetKeyOrResize();
