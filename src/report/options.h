// The report options screen's text and what its keys change, apart from
// curses so that both can be tested.
#pragma once

#include <cstdint>
#include <string>

// The whole screen: the fourteen options with their values, then the
// question "Press <enter> to go or q to quit:".
std::string ReportOptionsText();
// The domain totals dialogue, offering the focus user and the user of the
// selected line.
std::string DomainDialogText(const std::string& focusUser, const std::string& currentUser);

// 'a' and 'b': a set mark goes back to 0, an unset one takes the selected line.
void ToggleRangeMark(int64_t& mark);
// 'f' and 'i': 0, 1, 2, 0 ...; a value above the range becomes 0.
int StepOfThree(int value);
// 'h': 0 and 1 alternate; a value above 1 becomes 0.
int StepOfTwo(int value);
// Takes the typed line's leading number into setting when it lies in
// low..high; otherwise the setting stays. True when it was taken.
bool TakeNumber(const std::string& typed, int low, int high, int& setting);
// A typed line cut to the longest the report prompts take.
std::string CutTyped(std::string typed);

// sRepFocus when the focus is on, else empty.
std::string FocusUserText();
// Domain totals for one user only; false (nothing changed) for an empty user.
bool ChooseDomainUser(const std::string& user);
