#include "browse/browsewin.h"

#include <curses.h>

#include <string>

#include "browse/browsetext.h"
#include "browse/logreader.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "entries/words.h"
#include "frame/message.h"
#include "frame/screen.h"
#include "frame/settings.h"

void DrawBrowseWindow()
{
    int width = COLS - 1 > 0 ? COLS - 1 : 0;
    iCursorOffset = 0;
    std::string timeText;
    static std::string row;
    char marks[5] = "    ";
    int64_t a = iTopOffset;
    for (int i = 0; i < iPageRows; ++i) {
        move(i, 0);
        int64_t d = NextLine(a);
        if (d > a) {
            if (i == iCursorRow) {
                attron(A_REVERSE);
                iCursorOffset = a;
                timeText = TimeText(GetTime(sCurrentLine));
            } else {
                attroff(A_REVERSE);
            }
            MatchWords(sCurrentLine, marks);
            BuildBrowseRow(sCurrentLine, marks, width, row);
            AddText(row);
        } else {
            attroff(A_REVERSE);
            row.assign(static_cast<size_t>(width), ' ');
            AddText(row);
            d = a;
        }
        a = d;
    }
    std::string status = BrowseStatusText(iCursorOffset, iLastLineStart, timeText,
                                          iMonitorMode != 0, sCurrentLogName, width);
    PrepareBottomLine();
    attron(A_REVERSE);
    if (!sStatusMessage.empty()) {
        AddText(sStatusMessage.substr(0, static_cast<size_t>(width)));
        refresh();
        sStatusMessage.clear();
    } else {
        AddText(status);
        refresh();
    }
    refresh();
}

bool RefreshView()
{
    bool resized = RefreshLogState(COLS, LINES);
    if (resized)
        erase();
    return resized;
}
