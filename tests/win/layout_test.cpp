// Every dialog in every language, at 96 and 144 dots per inch: each static
// text's, button's and frame's words measured with the dialog's font against
// the control's rectangle. A cut names the dialog, the language and the control.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/ui_language.h"
#include "res/resource.h"

namespace {

struct NamedDialog {
    int id;
    const char* name;
};

const NamedDialog kDialogs[] = {
    {IDD_MAIN, "main window"},          {IDD_PRODUCT_SCAN, "pop-up"},
    {IDD_MESSAGE_BOX, "message box"},   {IDD_ABOUTBOX, "About"},
    {IDD_SETTINGS, "Settings"},         {IDD_RESET_SCANNER, "Reset Scanner"},
    {IDD_COUNTER_SAFETY, "Counter safety"}, {IDD_SCANNER_TEST, "Scanner test"},
    {IDD_HISTORY, "Scan history"},      {IDD_ALERT_CASE, "Alert case"},
    {IDD_LANGUAGE, "Language"},
};

const int kDpis[] = {96, 144};

INT_PTR CALLBACK QuietDialog(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Dialog base units of a font, as the dialog manager reckons them.
SIZE BaseUnits(HDC dc, HFONT font)
{
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SIZE alphabet{};
    const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    GetTextExtentPoint32A(dc, kAlphabet, 52, &alphabet);
    SelectObject(dc, old);
    return {(alphabet.cx / 26 + 1) / 2, metrics.tmHeight};
}

struct Control {
    HWND window;
    RECT rect;  // in the dialog's client area, at the screen's dots per inch
};

std::vector<Control> ControlsOf(HWND dialog)
{
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT rect;
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
        controls.push_back({child, rect});
    }
    return controls;
}

enum class Shape { None, Wrapped, Line, Frame };

// How a control lays out its words.
Shape ShapeOf(HWND control, const std::string& className)
{
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (className == "Static") {
        LONG type = style & SS_TYPEMASK;
        if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) return Shape::Wrapped;
        return type == SS_LEFTNOWORDWRAP ? Shape::Line : Shape::None;
    }
    if (className != "Button") return Shape::None;
    LONG type = style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) return Shape::Frame;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW) return Shape::None;
    return (style & BS_MULTILINE) ? Shape::Wrapped : Shape::Line;
}

struct Scale {
    int dpi;
    int screenDpi;
    SIZE screenUnits;
    SIZE units;
    int Px(int screenPx, bool across) const
    {
        return across ? MulDiv(screenPx, units.cx, screenUnits.cx) : MulDiv(screenPx, units.cy, screenUnits.cy);
    }
};

// An empty text when the words fit; else what is cut and by how much.
std::string Cut(HDC dc, const Control& control, const std::string& text, Shape shape, bool button,
                const Scale& scale)
{
    int width = scale.Px(control.rect.right - control.rect.left, true);
    int height = scale.Px(control.rect.bottom - control.rect.top, false);
    // A button draws its words inside its 2-pixel edge; a frame's title
    // starts 8 pixels in and must end before the frame's right edge.
    int across = !button ? 0 : shape == Shape::Frame ? 10 : 4;
    int down = button && shape != Shape::Frame ? 4 : 0;
    RECT room{0, 0, width - across, height - down};
    RECT need = room;
    UINT format = DT_CALCRECT | DT_EXPANDTABS | (shape == Shape::Wrapped ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, text.c_str(), -1, &need, format);
    bool cut = need.right > room.right || (shape != Shape::Frame && need.bottom > room.bottom);
    if (!cut) return "";
    return "needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) + " px, has " +
           std::to_string(room.right) + "x" + std::to_string(room.bottom);
}

// Every cut in one dialog of one language at one dots-per-inch.
std::vector<std::string> CutsIn(const NamedDialog& named, int dpi)
{
    std::vector<std::string> cuts;
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), UiDialogTemplate(named.id), nullptr,
                                             &QuietDialog, 0);
    if (!dialog) return {std::string(named.name) + ": not created"};
    HDC dc = GetDC(nullptr);
    Scale scale{dpi, GetDeviceCaps(dc, LOGPIXELSY), {}, {}};
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    scale.screenUnits = BaseUnits(dc, dialogFont);
    for (const Control& control : ControlsOf(dialog)) {
        char className[32] = "", text[1024] = "";
        GetClassNameA(control.window, className, sizeof className);
        GetWindowTextA(control.window, text, sizeof text);
        Shape shape = ShapeOf(control.window, className);
        int id = GetDlgCtrlID(control.window);
        // The test bench's hidden buttons are for developers only.
        if (shape == Shape::None || !*text || (id >= IDC_TEST_FIRST && id <= IDC_TEST_LAST)) continue;
        LOGFONTA font{};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(control.window, WM_GETFONT, 0, 0)), sizeof font, &font);
        font.lfHeight = MulDiv(font.lfHeight, dpi, scale.screenDpi);
        HFONT scaled = CreateFontIndirectA(&font);
        LOGFONTA dialogLog{};
        GetObjectA(dialogFont, sizeof dialogLog, &dialogLog);
        dialogLog.lfHeight = MulDiv(dialogLog.lfHeight, dpi, scale.screenDpi);
        HFONT scaledDialog = CreateFontIndirectA(&dialogLog);
        scale.units = BaseUnits(dc, scaledDialog);
        HGDIOBJ old = SelectObject(dc, scaled);
        std::string cut = Cut(dc, control, text, shape, std::string(className) == "Button", scale);
        SelectObject(dc, old);
        DeleteObject(scaled);
        DeleteObject(scaledDialog);
        if (!cut.empty())
            cuts.push_back(std::string(named.name) + ", control " + std::to_string(id) +
                           " \"" + text + "\": " + cut);
    }
    ReleaseDC(nullptr, dc);
    DestroyWindow(dialog);
    return cuts;
}

class LayoutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadLibraryA("riched20.dll");
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void TearDown() override { ApplyUiLanguage("en"); }
};

TEST_F(LayoutTest, EveryDialogFitsItsWordsInEveryLanguageAt96And144Dpi)
{
    size_t measured = 0;
    for (size_t i = 0; i < UiLanguageCount(); ++i) {
        const UiLanguage& language = UiLanguages()[i];
        ASSERT_TRUE(ApplyUiLanguage(language.code));
        for (const NamedDialog& dialog : kDialogs)
            for (int dpi : kDpis) {
                for (const std::string& cut : CutsIn(dialog, dpi))
                    ADD_FAILURE() << language.code << " at " << dpi << " dpi: " << cut;
                ++measured;
            }
    }
    EXPECT_EQ(measured, UiLanguageCount() * std::size(kDialogs) * std::size(kDpis));
}

}  // namespace
