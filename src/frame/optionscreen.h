// The loop every option screen runs on: its text comes from a builder (a
// pure function of the settings, kept in the core and unit-tested) and its
// keys from a table of actions.
#pragma once

#include <string>

// A key of an option screen and what it does. The action returns true to
// leave the screen (Enter, where the screen says so).
struct OptionKey {
    int key;
    bool (*action)();
};

// A table entry with this key runs for every key the table does not list.
constexpr int kOtherKeys = -1;

// Clears the screen and draws text(); then reads a key, runs the action the
// table gives it (keys not in the table do nothing) and draws again, until
// 'q' or an action that returns true. Leaves the screen cleared.
void RunOptionScreen(std::string (*text)(), const OptionKey* keys, int count);

// Writes an action's answer below the screen's prompt, two rows down.
void BelowPrompt(const std::string& text);
// Writes text and "\nPress any key." at the cursor and waits for a key.
// False, so that an action can return it: the screen stays.
bool MessageAndKey(const std::string& text);
