// Key 'o' of the main loop: the words list, the hit sizes screen and the
// focus on one user.
#pragma once

void SearchOptions();
// The hit sizes screen; returns on an empty line.
void HitSizes();
