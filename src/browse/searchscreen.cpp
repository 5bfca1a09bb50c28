#include "browse/searchscreen.h"

#include <cstdlib>
#include <string>

#include "browse/logreader.h"
#include "browse/search.h"
#include "entries/words.h"
#include "frame/message.h"
#include "frame/numbers.h"
#include "frame/screen.h"

namespace {

// Asks for a text and puts it first or last in the words list.
void FindText(const char* prompt, bool first)
{
    std::string text;
    PromptLine(prompt, text);
    if (text.empty())
        return;
    if (first)
        sWords = text + "\n" + sWords;
    else
        sWords += text + "\n";
    sStatusMessage = "Now press <- or ->";
}

} // namespace

void FindTextFirst()
{
    FindText("find text: ", true);
}

void FindTextLast()
{
    FindText("Find text: ", false);
}

void GotoPercentage()
{
    std::string answer;
    PromptLine("Goto percentage: ", answer);
    if (answer.empty())
        return;
    int64_t p = GotoOffset(LeadingDecimal(answer));
    if (p >= 0)
        ShowOffset(p);
}
