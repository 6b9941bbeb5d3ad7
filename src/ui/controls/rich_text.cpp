// Rich-edit text areas and run appending.
#include "ui/controls/rich_text.h"

#include <cstring>

#include "framework/system_library.h"

namespace {

constexpr size_t kMaxFaceChars = 30;
constexpr LONG kTwipsPerSizeUnit = 21;

CHARRANGE SelectionOf(HWND richEdit)
{
    CHARRANGE range{};
    SendMessageA(richEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

void Select(HWND richEdit, LONG from, LONG to)
{
    CHARRANGE range{from, to};
    SendMessageA(richEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

CHARFORMAT2A FormatOf(const TextRun& run)
{
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR;
    format.crTextColor = RGB(run.colour.r, run.colour.g, run.colour.b);
    const std::pair<bool, DWORD> switches[] = {{run.bold, CFM_BOLD}, {run.italic, CFM_ITALIC}, {run.underline, CFM_UNDERLINE}};
    for (const auto& [on, flag] : switches) {
        if (!on) continue;
        format.dwMask |= flag;
        format.dwEffects |= flag;  // the CFE_ bits equal the CFM_ bits
    }
    if (run.bold) {
        format.dwMask |= CFM_WEIGHT;
        format.wWeight = FW_BOLD;
    }
    if (!run.face.empty()) {
        format.dwMask |= CFM_FACE;
        std::strncpy(format.szFaceName, run.face.c_str(), kMaxFaceChars);
    }
    if (run.size != 0) {
        format.dwMask |= CFM_SIZE;
        format.yHeight = run.size * kTwipsPerSizeUnit;
    }
    return format;
}

}  // namespace

bool RichTextArea::Create(HWND dialog, const RECT& rect)
{
    // The class comes with the library; start-up has usually loaded it.
    static const HMODULE library = LoadSystemLibrary("riched20.dll");
    (void)library;
    m_hWnd = CreateWindowExA(0, "RichEdit20A", "", WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL, rect.left,
                             rect.top, rect.right - rect.left, rect.bottom - rect.top, dialog, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (!m_hWnd) return false;
    SendMessageA(m_hWnd, EM_SETREADONLY, TRUE, 0);
    m_base.cbSize = sizeof m_base;
    SendMessageA(m_hWnd, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&m_base));
    m_base.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_WEIGHT | CFM_FACE | CFM_SIZE | CFM_CHARSET;
    m_base.dwEffects &= ~(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE);
    m_base.wWeight = FW_NORMAL;
    return true;
}

void RichTextArea::Destroy()
{
    if (m_hWnd) DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
}

void RichTextArea::Append(const TextRun& run)
{
    if (!m_hWnd) return;
    Select(m_hWnd, -1, -1);
    const LONG start = SelectionOf(m_hWnd).cpMin;
    SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&m_base));
    SendMessageA(m_hWnd, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(run.text.c_str()));

    const LONG end = SelectionOf(m_hWnd).cpMax;
    Select(m_hWnd, start, end);
    CHARFORMAT2A format = FormatOf(run);
    SendMessageA(m_hWnd, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    Select(m_hWnd, end, end);
}
