// The product pop-up and the message box in real windows: the runs as the
// rich-edit control holds them (text, colour, bold, underline), titles,
// buttons and answers, layout and minimum size, and the main window's pinning,
// also for a box shown from another thread.
#include <gtest/gtest.h>

#include <richedit.h>

#include <thread>

#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/modal_run.h"
#include "support/scan_fixture.h"
#include "ui/controls/message_box.h"
#include "ui/controls/product_scan_dialog.h"

namespace {

struct Format {
    COLORREF colour;
    bool bold, underline;
    bool operator==(const Format& o) const { return colour == o.colour && bold == o.bold && underline == o.underline; }
};

// The format of the text area's characters [from, to).
Format FormatAt(HWND area, LONG from, LONG to)
{
    CHARRANGE range{from, to};
    SendMessageA(area, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    SendMessageA(area, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return {format.crTextColor, (format.dwEffects & CFE_BOLD) != 0, (format.dwEffects & CFE_UNDERLINE) != 0};
}

// Text with every line break as "\n".
std::string Lines(std::string text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i] == '\r' ? '\n' : text[i];
    }
    return out;
}

// Character position of `fragment` in the control (line breaks count one).
LONG PositionOf(HWND area, const std::string& fragment)
{
    char text[4096] = "";
    GetWindowTextA(area, text, sizeof text);
    return static_cast<LONG>(Lines(text).find(fragment));
}

Format FormatOf(HWND area, const std::string& fragment)
{
    LONG at = PositionOf(area, fragment);
    EXPECT_GE(at, 0) << fragment;
    return FormatAt(area, at, at + static_cast<LONG>(fragment.size()));
}

const COLORREF kBlack = RGB(0, 0, 0);

ScanResult PackResult()
{
    ScanResult r;
    r.kind = ScanResultKind::Success;
    r.mode = Verify;
    r.statusText = "Success";
    r.status = "1";
    r.messageHeading = "Pack is active";
    r.messageBody = "Supply allowed";
    r.gtin = "04150123456782";
    r.lot = "LOT24A";
    r.exp = "291231";
    r.sn = "DEMO0001";
    return r;
}

RECT ChildRect(HWND parent, int id)
{
    RECT rect;
    GetWindowRect(GetDlgItem(parent, id), &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

TEST(ProductPopUp, ResultWithAGtinShowsTheStatusLineAndThePackTable)
{
    ScanResult result = PackResult();
    CProductScanDialog popUp(nullptr);
    popUp.m_pResult = &result;
    popUp.m_strScanTime = "2026-12-07 10:11:12";
    ModalRun<CProductScanDialog> run(popUp);
    HWND window = popUp.GetSafeHwnd();
    ASSERT_NE(window, nullptr);
    char title[128] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Product Verify result");
    HWND area = popUp.TextArea();
    char text[4096] = "";
    GetWindowTextA(area, text, sizeof text);
    EXPECT_EQ(Lines(text), "Product Verify result\nScanned 2026-12-07 10:11:12\n\nSuccess, 1, Pack is active\n"
                           "Supply allowed\n\nGTIN\t: 04150123456782\nLot No\t: LOT24A\nExpiry\t: 291231\n"
                           "Serial\t: DEMO0001\n");
    const COLORREF green = RGB(0, 100, 0);
    EXPECT_EQ(FormatOf(area, "Product Verify result"), (Format{kBlack, true, true}));
    EXPECT_EQ(FormatOf(area, "Scanned 2026"), (Format{kBlack, false, false}));
    EXPECT_EQ(FormatOf(area, "Success"), (Format{green, false, false}));
    EXPECT_EQ(FormatOf(area, ", 1"), (Format{kBlack, false, false}));
    EXPECT_EQ(FormatOf(area, "Pack is active"), (Format{green, false, false}));
    EXPECT_EQ(FormatOf(area, "Supply allowed"), (Format{green, false, false}));
    EXPECT_EQ(FormatOf(area, "Lot No"), (Format{kBlack, true, true}));
    LONG separator = PositionOf(area, "Lot No") + 6;  // "\t: "
    EXPECT_EQ(FormatAt(area, separator, separator + 3), (Format{kBlack, true, false}));
    EXPECT_EQ(FormatOf(area, "LOT24A"), (Format{kBlack, false, false})) << "a value does not inherit the label's look";
}

TEST(ProductPopUp, ResultsWithoutAGtinEndWithTheBarcode)
{
    struct Case {
        const char* statusText;
        const char* heading;
        COLORREF colour;
        const char* text;
    };
    const Case cases[] = {
        {"Invalid", "", kBlack, "Product Decommission result\nScanned 2026-12-07 10:11:12\n\nInvalid\n\n0104150123456782"},
        {"Failed", "Request failed due to COULDNT CONNECT", RGB(100, 0, 0),
         "Product Decommission result\nScanned 2026-12-07 10:11:12\n\nFailed\n\nRequest failed due to COULDNT CONNECT\n"
         "0104150123456782"},
    };
    for (const Case& c : cases) {
        ScanResult result;
        result.mode = Decommission;
        result.statusText = c.statusText;
        result.messageHeading = c.heading;
        result.barcode = "0104150123456782";
        CProductScanDialog popUp(nullptr);
        popUp.m_pResult = &result;
        popUp.m_strScanTime = "2026-12-07 10:11:12.345";
        ModalRun<CProductScanDialog> run(popUp);
        char text[4096] = "";
        GetWindowTextA(popUp.TextArea(), text, sizeof text);
        EXPECT_EQ(Lines(text), c.text);
        EXPECT_EQ(FormatOf(popUp.TextArea(), c.statusText).colour, c.colour) << c.statusText;
        if (*c.heading) {
            EXPECT_EQ(FormatOf(popUp.TextArea(), c.heading).colour, kBlack);
        }
    }
}

TEST(ProductPopUp, WithoutARecordKeepsTheTemplateTitleAndLaysOutOnEveryResize)
{
    CProductScanDialog popUp(nullptr);
    ModalRun<CProductScanDialog> run(popUp);
    HWND window = popUp.GetSafeHwnd();
    char title[128] = "";
    GetWindowTextA(window, title, sizeof title);
    EXPECT_STREQ(title, "Product scan information");
    EXPECT_EQ(GetWindowTextLengthA(popUp.TextArea()), 0);

    // As first shown (no resize yet), then after two resizes.
    for (SIZE size : {SIZE{0, 0}, SIZE{300, 100}, SIZE{800, 600}}) {
        if (size.cx) SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
        RECT outer, client, button = ChildRect(window, IDC_POPUP_CLOSE), area;
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        EXPECT_GE(outer.right - outer.left, 500);
        EXPECT_GE(outer.bottom - outer.top, 200);
        int w = button.right - button.left, h = button.bottom - button.top;
        EXPECT_EQ(button.left, (client.right - w) / 2) << "centred";
        EXPECT_EQ(button.top, client.bottom - h / 2 - h);
        GetWindowRect(popUp.TextArea(), &area);
        EXPECT_EQ(area.right - area.left, client.right - 18);
        EXPECT_LT(ChildRect(window, 0).bottom, button.top) << "the text stays clear of the button";
    }
}

TEST(MessageBox, QuitQuestionAnswersAndPinning)
{
    struct Case {
        UINT message;
        WPARAM command;
        int expected;
    };
    const Case answers[] = {{WM_COMMAND, IDC_BOX_FIRST, 1}, {WM_COMMAND, IDC_BOX_SECOND, 0},
                            {WM_COMMAND, IDCANCEL, 0}, {WM_SYSCOMMAND, SC_CLOSE, 0}};
    TestScanHost host;
    SetWindowTextA(host.window.Get(), "QuorvixFMD Pellwick Version 1.190416");
    for (const Case& c : answers) {
        for (bool pinnedBefore : {false, true}) {
            host.pinned = pinnedBefore;
            int answer = -1;
            std::thread asker([&] {
                answer = ShowMessageBox("Are you sure you want to quit ?\r\n\r\nAny scanning will not be detected", "",
                                        MessageBoxButtons::YesNo);
            });
            HWND box = nullptr;
            ASSERT_TRUE(WaitFor([&] {
                box = FindTopWindow(GetCurrentProcessId(), "QuorvixFMD Pellwick Version 1.190416");
                return box && box != host.window.Get();
            }, 10000));
            EXPECT_TRUE(host.pinned) << "the main window is pinned while the box is open";
            EXPECT_EQ(Lines(MessageBoxText(box)), "Are you sure you want to quit ?\n\nAny scanning will not be detected");
            char yes[16] = "", no[16] = "";
            GetWindowTextA(GetDlgItem(box, IDC_BOX_FIRST), yes, sizeof yes);
            GetWindowTextA(GetDlgItem(box, IDC_BOX_SECOND), no, sizeof no);
            EXPECT_STREQ(yes, "&Yes");
            EXPECT_STREQ(no, "&No");
            RECT first = ChildRect(box, IDC_BOX_FIRST), second = ChildRect(box, IDC_BOX_SECOND);
            EXPECT_EQ(second.left - first.right, first.right - first.left) << "one button width apart";
            EXPECT_EQ(first.top, second.top);
            PostMessageA(box, c.message, c.command, 0);
            asker.join();
            EXPECT_EQ(answer, c.expected) << c.message << " " << c.command;
            EXPECT_EQ(host.pinned.load(), pinnedBefore) << "pinning restored or kept";
        }
    }
}

TEST(MessageBox, CaptionedNoticeFromAnotherThread)
{
    TestScanHost host;
    SetWindowTextA(host.window.Get(), "QuorvixFMD Pellwick Version 1.190416");
    int answer = -1;
    std::thread reader([&] { answer = ShowMessageBox("Download failed please try again", "QuorvixFMD Pellwick", MessageBoxButtons::Ok); });
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        return (box = FindTopWindow(GetCurrentProcessId(), "QuorvixFMD Pellwick - QuorvixFMD Pellwick Version 1.190416"));
    }, 10000));
    HWND area = GetDlgItem(box, 0);
    EXPECT_EQ(Lines(MessageBoxText(box)), "QuorvixFMD Pellwick\n\nDownload failed please try again");
    EXPECT_EQ(FormatOf(area, "QuorvixFMD Pellwick"), (Format{kBlack, true, true}));
    EXPECT_EQ(FormatOf(area, "Download failed"), (Format{kBlack, false, false}));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDC_BOX_SECOND)));
    RECT client, ok = ChildRect(box, IDC_BOX_FIRST);
    GetClientRect(box, &client);
    EXPECT_EQ(ok.left, (client.right - (ok.right - ok.left)) / 2) << "one centred button";
    SetWindowPos(box, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
    RECT outer;
    GetWindowRect(box, &outer);
    EXPECT_GE(outer.right - outer.left, 500);
    EXPECT_GE(outer.bottom - outer.top, 200);
    SendMessageA(box, WM_COMMAND, IDOK, 0);  // Enter does nothing
    EXPECT_TRUE(IsWindow(box));
    PostMessageA(box, WM_COMMAND, IDC_BOX_FIRST, 0);
    reader.join();
    EXPECT_EQ(answer, 1);
    EXPECT_FALSE(host.pinned);
}
