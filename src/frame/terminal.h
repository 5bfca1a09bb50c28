// Whether the terminal the keys come from is still there.
#pragma once

// True when the descriptor hung up, failed or is not open: no key will
// ever come from it. One poll, no waiting.
bool InputGone(int fd);
