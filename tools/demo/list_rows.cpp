// For the scan proofs: prints every row of a running program's list view,
// one line a row, its columns separated by tabs. A list view's texts live in
// the program's memory, so the item and its text buffer are placed there.
// Usage: list_rows.exe "<window title>" <list id> [columns]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "framework/win_handle.h"

namespace {

constexpr SIZE_T kTextSize = 1024;

// A block of another process's memory, freed on every path.
class RemoteBlock {
public:
    RemoteBlock(HANDLE process, SIZE_T size)
        : m_process(process), m_address(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE))
    {
    }
    ~RemoteBlock()
    {
        if (m_address) VirtualFreeEx(m_process, m_address, 0, MEM_RELEASE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    char* Get() const { return static_cast<char*>(m_address); }

private:
    HANDLE m_process;
    void* m_address;
};

bool PrintRows(HWND list, HANDLE process, int columns)
{
    RemoteBlock block(process, sizeof(LVITEMA) + kTextSize);
    if (!block.Get()) return false;
    char* remoteText = block.Get() + sizeof(LVITEMA);
    int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = remoteText;
            item.cchTextMax = static_cast<int>(kTextSize);
            char text[kTextSize] = "";
            if (!WriteProcessMemory(process, block.Get(), &item, sizeof item, nullptr)) return false;
            SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(block.Get()));
            if (!ReadProcessMemory(process, remoteText, text, sizeof text - 1, nullptr)) return false;
            std::printf(column == 0 ? "%s" : "\t%s", text);
        }
        std::printf("\n");
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: list_rows \"<window title>\" <list id> [columns]\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    HWND list = window ? GetDlgItem(window, std::atoi(argv[2])) : nullptr;
    if (!list) {
        std::fprintf(stderr, "list_rows: no list %s in \"%s\"\n", argv[2], argv[1]);
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(list, &processId);
    KernelHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (!process) return 1;
    return PrintRows(list, process.Get(), argc == 4 ? std::atoi(argv[3]) : 4) ? 0 : 1;
}
