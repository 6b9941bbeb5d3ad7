// The code-page path converted to UTF-8.
#include "framework/sqlite_name.h"

#include "framework/code_page_text.h"

std::string SqliteFileName(const std::string& ansiPath) { return CodePageToUtf8(ansiPath); }
