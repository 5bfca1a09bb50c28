// The prompts of find text and goto percentage on the bottom line.
#pragma once

// Puts a typed text first in the words list.
void FindTextFirst();
// Puts a typed text last in the words list.
void FindTextLast();
// Selects the first line that begins after a typed percentage of the log.
void GotoPercentage();
