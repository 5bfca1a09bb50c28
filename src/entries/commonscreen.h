// Key 'c' of the main loop: URL shortening, the address of a "-" user,
// aliases and the width of the user column.
#pragma once

void CommonOptions();
