#include "frame/shell.h"

#include "entries/texts.h"
#include "frame/settings.h"

std::string ShellQuote(const std::string& text)
{
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    out += '\'';
    return out;
}

std::string ViewerCommand()
{
    return IsBlank(sViewer.c_str()) ? "less" : sViewer;
}
