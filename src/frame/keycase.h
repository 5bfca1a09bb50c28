// Makes each KEY(code, name, help, action) of a key table that follows a
// case of a switch on key: the action runs, then the switch ends. No
// include guard: a screen includes this, then its key table, inside the
// switch, and undefines KEY after the table.
#define KEY(code, name, help, ...) \
    case code:                     \
        __VA_ARGS__;               \
        break;
