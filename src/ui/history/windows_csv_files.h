// The Windows side of the history's CSV export: the code page of the system
// and files replaced in one step (the History window and the command line).
#pragma once
#include "history/csv_file_system.h"

const CsvFileSystem& WindowsCsvFiles();
