// The verbose view: one log line shown whole, with its request size and the
// full name of its user, on a screen of its own.
#pragma once

#include <cstdint>

// Shows the line at the offset until 'q' is pressed; the caller redraws.
void VerboseView(int64_t offset);
