// The common options screen's keys: KEY(code, name, help, action). name is
// the key as the manual page names it (nullptr: not a typed key); the
// screen's own text is its help, so help is nullptr; action is the key's
// function in entries/commonscreen.cpp (true leaves the screen). 'q' leaves
// every option screen. No include guard: each includer defines KEY first.
KEY('e', "e", nullptr, ToggleKeepExt)
KEY('n', "n", nullptr, ToggleLookupIp)
KEY('a', "a", nullptr, ToggleAliases)
KEY('w', "w", nullptr, AskWidth)
KEY(kOtherKeys, nullptr, nullptr, BadOption)
