// CreateToolTip: a white tooltip that watches the control's mouse itself.
#include "ui/controls/tooltip.h"

#include <commctrl.h>

namespace {
constexpr int kMaxWidth = 300;
constexpr int kShownMs = 32767, kInitialMs = 200, kReshowMs = 200;
}  // namespace

HWND CreateToolTip(int controlId, HWND dialog, const char* title, const char* text)
{
    if (controlId == 0 || !dialog || !text) return nullptr;
    HWND control = GetDlgItem(dialog, controlId);
    HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!control || !tip) return nullptr;

    SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, kMaxWidth);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, kShownMs);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, kInitialMs);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_RESHOW, kReshowMs);
    SendMessageA(tip, TTM_SETTIPBKCOLOR, RGB(255, 255, 255), 0);
    SendMessageA(tip, TTM_SETTITLEA, TTI_INFO, reinterpret_cast<LPARAM>(title ? title : ""));
    RECT margins{0, 0, 0, 0};
    SendMessageA(tip, TTM_SETMARGIN, 0, reinterpret_cast<LPARAM>(&margins));
    return tip;
}
