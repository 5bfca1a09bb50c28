// The movement keys of a scrolling list (the tally, a history), for the
// list's key table to include: KEY(code, name, help, action) as there, the
// action MoveList(key), which the list's screen provides. The manual page
// names the digits only in passing.
KEY(kKeyUp, "Up", nullptr, MoveList(key))
KEY(kKeyDown, "Down", nullptr, MoveList(key))
KEY(kKeyPrevPage, "PgUp", nullptr, MoveList(key))
KEY(kKeyNextPage, "PgDn", nullptr, MoveList(key))
KEY(kKeyHome, "Home", nullptr, MoveList(key))
KEY(kKeyEnd, "End", nullptr, MoveList(key))
KEY('1', nullptr, nullptr, MoveList(key))
KEY('2', nullptr, nullptr, MoveList(key))
KEY('3', nullptr, nullptr, MoveList(key))
KEY('7', nullptr, nullptr, MoveList(key))
KEY('8', nullptr, nullptr, MoveList(key))
KEY('9', nullptr, nullptr, MoveList(key))
