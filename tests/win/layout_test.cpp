// Every dialog in every language, at 96 and 144 dots per inch: each static
// text's, button's and frame's words measured as the program draws them (its
// caption font, a tenth larger than the dialog's) against the control's
// rectangle. A cut names the dialog, the language and the control.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/text_catalog.h"
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
    {IDD_LANGUAGE, "Language"},         {IDD_DELIVERY, "Check a delivery"},
    {IDD_ACTIVITY, "Activity report"},
};

// Texts the program puts into a dialog's controls as it runs.
struct RunTimeText {
    int dialog;
    int control;
    TextId text;
};

const RunTimeText kRunTimeTexts[] = {
    {IDD_MAIN, IDC_UPDATE, TextId::ButtonUpdateNow},
    {IDD_COUNTER_SAFETY, IDC_SAFETY_HOLD, TextId::SwitchOn},
    {IDD_COUNTER_SAFETY, IDC_SAFETY_HOLD, TextId::SwitchOff},
    {IDD_HISTORY, IDC_HISTORY_ACTION, TextId::HistoryMarkHandled},
    {IDD_HISTORY, IDC_HISTORY_ACTION, TextId::HistoryNotHandled},
    {IDD_HISTORY, IDC_HISTORY_ACTION, TextId::ModeRecommission},
    {IDD_MESSAGE_BOX, IDC_BOX_FIRST, TextId::ButtonYes},
    {IDD_MESSAGE_BOX, IDC_BOX_SECOND, TextId::ButtonNo},
    {IDD_MESSAGE_BOX, IDC_BOX_FIRST, TextId::ButtonSendAnyway},
    {IDD_MESSAGE_BOX, IDC_BOX_SECOND, TextId::ButtonDoNotSend},
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

enum class Shape { None, Wrapped, Lines, Frame };

// How the program draws a control's words: static texts wrap at words
// (CTextLabel); buttons break lines only where their text does (CColorButton);
// frames keep their title on one line (CFramePanel).
Shape ShapeOf(HWND control, const std::string& className)
{
    LONG style = GetWindowLongA(control, GWL_STYLE);
    if (className == "Static") {
        LONG type = style & SS_TYPEMASK;
        return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_LEFTNOWORDWRAP ? Shape::Wrapped
                                                                                                     : Shape::None;
    }
    if (className != "Button") return Shape::None;
    LONG type = style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) return Shape::Frame;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW ? Shape::Lines : Shape::None;
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

// The dialog's font at `dpi`; the caption font the program draws with is a
// tenth larger, its frames' titles at weight 900.
HFONT FontAt(const LOGFONTA& dialog, int dpi, int screenDpi, bool caption, bool heavy)
{
    LOGFONTA font = dialog;
    font.lfHeight = MulDiv(font.lfHeight, dpi, screenDpi);
    if (caption) font.lfHeight += font.lfHeight / 10;
    if (heavy) font.lfWeight = 900;
    return CreateFontIndirectA(&font);
}

RECT Needed(HDC dc, HFONT font, const std::string& text, const RECT& room, UINT format)
{
    HGDIOBJ old = SelectObject(dc, font);
    RECT need = room;
    DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_EXPANDTABS | format);
    SelectObject(dc, old);
    return need;
}

// An empty text when the words fit; else what is cut and by how much.
std::string Cut(HDC dc, const Control& control, std::string text, Shape shape, const LOGFONTA& dialogFont,
                const Scale& scale)
{
    int width = scale.Px(control.rect.right - control.rect.left, true);
    int height = scale.Px(control.rect.bottom - control.rect.top, false);
    // A button keeps 4 pixels each side; a frame's title runs 6 pixels in.
    int across = shape == Shape::Frame ? 12 : shape == Shape::Lines ? 8 : 0;
    if (shape == Shape::Frame) text = " " + text + " ";
    RECT room{0, 0, width - across, height};
    UINT format = shape == Shape::Wrapped ? DT_WORDBREAK : shape == Shape::Frame ? DT_SINGLELINE : 0;
    HFONT caption = FontAt(dialogFont, scale.dpi, scale.screenDpi, true, shape == Shape::Frame);
    RECT need = Needed(dc, caption, text, room, format);
    DeleteObject(caption);
    if (shape == Shape::Lines && need.right > room.right) {  // the button falls back to the dialog's font
        HFONT own = FontAt(dialogFont, scale.dpi, scale.screenDpi, false, false);
        need = Needed(dc, own, text, room, format);
        DeleteObject(own);
    }
    // Slack for a glyph's overhang and a descender's last pixels: a cut
    // character or a lost line is far more.
    bool cut = need.right > room.right + 2 || (shape != Shape::Frame && need.bottom > room.bottom + 4);
    if (!cut) return "";
    return "needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) + " px, has " +
           std::to_string(room.right) + "x" + std::to_string(room.bottom);
}

// Every cut in one dialog of one language at one dots-per-inch.
std::vector<std::string> CutsIn(const NamedDialog& named, int dpi)
{
    HWND dialog = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), UiDialogTemplate(named.id), nullptr,
                                             &QuietDialog, 0);
    if (!dialog) return {std::string(named.name) + ": not created"};
    std::vector<std::string> cuts;
    HDC dc = GetDC(nullptr);
    LOGFONTA dialogFont{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof dialogFont, &dialogFont);
    Scale scale{dpi, GetDeviceCaps(dc, LOGPIXELSY), {}, {}};
    HFONT screenFont = FontAt(dialogFont, scale.screenDpi, scale.screenDpi, false, false);
    HFONT dpiFont = FontAt(dialogFont, dpi, scale.screenDpi, false, false);
    scale.screenUnits = BaseUnits(dc, screenFont);
    scale.units = BaseUnits(dc, dpiFont);
    DeleteObject(screenFont);
    DeleteObject(dpiFont);
    for (const Control& control : ControlsOf(dialog)) {
        char className[32] = "", text[1024] = "";
        GetClassNameA(control.window, className, sizeof className);
        GetWindowTextA(control.window, text, sizeof text);
        Shape shape = ShapeOf(control.window, className);
        int id = GetDlgCtrlID(control.window);
        // The test bench's hidden buttons are for developers only.
        if (shape == Shape::None || !*text || (id >= IDC_TEST_FIRST && id <= IDC_TEST_LAST)) continue;
        std::vector<std::string> texts{text};
        for (const RunTimeText& shown : kRunTimeTexts)
            if (shown.dialog == named.id && shown.control == id) texts.push_back(Text(shown.text));
        for (const std::string& words : texts) {
            std::string cut = Cut(dc, control, words, shape, dialogFont, scale);
            if (!cut.empty())
                cuts.push_back(std::string(named.name) + ", control " + std::to_string(id) + " \"" + words +
                               "\": " + cut);
        }
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
