// The search options screen's keys: KEY(code, name, help, action), as in
// entries/commonkeys.h; the actions are in entries/searchoptscreen.cpp.
KEY('n', "n", nullptr, NullWords)
KEY('r', "r", nullptr, ReloadWords)
KEY('s', "s", nullptr, StoreWords)
KEY('c', "c", nullptr, ChangeHitSizes)
KEY('f', "f", nullptr, FocusScreen)
