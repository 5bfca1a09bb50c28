#include "browse/searchscreen.h"

#include <cstdlib>
#include <string>

#include "browse/logreader.h"
#include "browse/search.h"
#include "entries/words.h"
#include "frame/message.h"
#include "frame/screen.h"

void FindTextFirst()
{
    std::string text;
    PromptLine("find text: ", text);
    if (text.empty())
        return;
    sWords = text + "\n" + sWords;
    sStatusMessage = "Now press <- or ->";
}

void FindTextLast()
{
    std::string text;
    PromptLine("Find text: ", text);
    if (text.empty())
        return;
    sWords += text + "\n";
    sStatusMessage = "Now press <- or ->";
}

void GotoPercentage()
{
    std::string answer;
    PromptLine("Goto percentage: ", answer);
    if (answer.empty())
        return;
    int64_t p = GotoOffset(strtod(answer.c_str(), nullptr));
    if (p >= 0)
        ShowOffset(p);
}
