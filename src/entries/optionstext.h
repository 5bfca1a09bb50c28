// Texts of the common options, search options and focus screens, built from
// the settings, and the settings changes their typed answers make.
#pragma once

#include <string>

// The common options screen up to and including "Your choice: ".
std::string CommonOptionsText();
// Applies an answer to "New width: "; false (nothing changed) unless it
// reads as a width from 1 to 64.
bool SetUserNameWidth(const std::string& answer);

// The search options screen up to and including "Your choice: ".
std::string SearchOptionsText();
// "focus on user <name>", "no focus" or "<error>".
std::string FocusText();
// The focus screen; offers the user of the selected line when there is one.
std::string FocusScreenText(const std::string& lineUser);
// Applies a typed focus user: empty turns focus off, anything else focuses
// on it lower-cased.
void SetFocusUser(const std::string& typed);
