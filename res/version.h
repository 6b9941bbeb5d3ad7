// The program's version, the one place it is written: the code that logs,
// sends and compares it, the window title and the version resource all take
// it from here. The tests' newer build names another on the command line, as
// a bare token (-DPELLWICK_VERSION_TOKEN=1.190417): the resource compiler
// loses the quotes of a string given there.
#pragma once
#ifdef PELLWICK_VERSION_TOKEN
#define PELLWICK_VERSION_TEXT(token) #token
#define PELLWICK_VERSION_OF(token) PELLWICK_VERSION_TEXT(token)
#define PELLWICK_VERSION PELLWICK_VERSION_OF(PELLWICK_VERSION_TOKEN)
#else
#define PELLWICK_VERSION "1.190416"
#endif
