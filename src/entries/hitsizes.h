// The hit sizes list as the hit sizes screen edits it: its screen text and
// the commands typed at its prompt.
#pragma once

#include <string>

// What a typed line asks of the hit sizes screen.
enum eHitSizesResult {
    eHitSizesLeave,   // an empty line: leave the screen
    eHitSizesRedraw,  // the command ran (or changed nothing): draw again
    eHitSizesNoRoom,  // an insert was refused: the list is full
};

// Most entries the screen keeps in the list.
constexpr int kMaxHitSizes = 9;

// The whole screen up to and including "Enter choice: ".
std::string HitSizesText();
// Runs one typed line against sSizeHits, iSizeHitGrade and iSizeHitBytes.
eHitSizesResult HitSizesCommand(const std::string& line);
// Inserts a size; false (nothing changed) when the list is already full.
bool InsertHitSize(int64_t size);
// Deletes entry k (from 1) and finds the chosen grade again by its bytes.
void DeleteHitSize(int k);
