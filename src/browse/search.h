// Moving the view to hits, to a typed text and to a percentage of the log.
#pragma once

// Moves to the next hit down (+1) or up (-1, or 0), or to the end reached.
void SearchHits(int direction);
// Puts a typed text first in the words list.
void FindTextFirst();
// Puts a typed text last in the words list.
void FindTextLast();
// Selects the first line that begins after a typed percentage of the log.
void GotoPercentage();
