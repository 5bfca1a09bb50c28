// Key 'n' of the main loop: the report files.
#pragma once

void MiscLogOptions();
