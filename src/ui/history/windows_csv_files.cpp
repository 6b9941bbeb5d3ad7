// The export's file operations and code-page conversion, as Windows does them.
#include "ui/history/windows_csv_files.h"

#include "framework/code_page_text.h"
#include "framework/replacing_file.h"

const CsvFileSystem& WindowsCsvFiles()
{
    static const CsvFileSystem files{CodePageToUtf8, CreateNewFile, FlushAndCloseFile, ReplaceFileInOneStep};
    return files;
}
