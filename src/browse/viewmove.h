// The browse window's movement keys as plain operations on the view state
// of the log reader, with their guards at both ends of the log.
#pragma once

#include "frame/listpage.h"

// End, Down, PgDn, Home, Up and PgUp move the view; Left, Right and None
// (the search keys and the rest) leave it alone.
void MoveView(eMove move);
