// Keys 'j' and 'J': the first request of the next or previous date with a
// typed day of the month.
#pragma once

void JumpForward();
void JumpBackward();
