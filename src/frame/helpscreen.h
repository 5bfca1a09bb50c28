// The help screen with the main loop's keys, and the howto file shown
// through the pager.
#pragma once

// Name and version and the list of keys; 'r' there opens the howto.
void ShowHelp();
// Shows the howto in the pager, or explains where its link should point.
void ShowHowto();
