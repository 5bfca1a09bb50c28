// The browse window's one-shot status message, which any subsystem may set
// to tell the user about a result or an error without knowing the window.
#pragma once

#include <string>

// One-shot message shown on the browse window's status line.
extern std::string sStatusMessage;
