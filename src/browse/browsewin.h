// The browse window: one request per row and the status line.
#pragma once

// Draws the page at iTopOffset and records the selected line in iCursorOffset.
void DrawBrowseWindow();
// Re-measures log and screen; clears the screen after a change of its size.
bool RefreshView();
