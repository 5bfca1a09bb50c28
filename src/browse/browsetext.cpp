#include "browse/browsetext.h"

#include <algorithm>

#include "browse/logreader.h"
#include "entries/fields.h"
#include "entries/texts.h"
#include "frame/screentext.h"
#include "frame/settings.h"

void BuildBrowseRow(const char* line, const char* marks, int width, std::string& out)
{
    static std::string user;
    GetUser(line, true, user);
    // A user column wider than the row shows only blanks past the row's
    // end: the row never needs more than its width (the setting itself may
    // be as large as the file says).
    FitWidth(user, std::min(iUserNameLen, width));
    std::string_view url = StripSchemeView(FieldView(line, iUrlField));
    out.assign(user);
    out += ' ';
    out.append(marks, 4);
    out += ' ';
    out.append(url.data(), url.size());
    ShortenUrl(out, width);
    FitWidth(out, width);
}

std::string BrowseStatusText(int64_t cursorOffset, int64_t lastLineStart,
                             const std::string& timeText, bool monitor,
                             const char* logName, int width)
{
    std::string text = PercentText(cursorOffset, lastLineStart) + " " + timeText;
    FitWidth(text, width);
    std::string tail = std::string(monitor ? "Mon " : " ") + logName + " | h = help";
    if (tail.size() <= text.size())
        text.replace(text.size() - tail.size(), tail.size(), tail);
    return text;
}

std::string SelectedLineUser()
{
    if (iLogSize == 0)
        return {};
    NextLine(iCursorOffset);
    if (IsBlank(sCurrentLine))
        return {};
    return GetUser(sCurrentLine, false);
}
