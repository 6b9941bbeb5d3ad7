// The product pop-up and the message box in real windows: the runs as the
// rich-edit control holds them (text, colour, bold, underline), titles,
// buttons and answers, layout and minimum size, and the main window's pinning,
// also for a box shown from another thread.
#include <gtest/gtest.h>

#include <richedit.h>

#include <regex>
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

// Text with every line break (CR LF, or a CR alone) as "\n".
std::string Lines(const std::string& text) { return std::regex_replace(text, std::regex("\r\n?"), "\n"); }

// The control shows exactly the runs, each in its colour, weight and
// underline (the runs' words and looks are checked natively).
void ExpectRunsShown(HWND area, const std::vector<TextRun>& runs)
{
    char text[4096] = "";
    GetWindowTextA(area, text, sizeof text);
    std::string joined;
    for (const TextRun& run : runs) joined += Lines(run.text);
    EXPECT_EQ(Lines(text), joined);
    LONG at = 0;
    for (const TextRun& run : runs) {
        LONG end = at + static_cast<LONG>(Lines(run.text).size());
        if (Lines(run.text).find('\n') == std::string::npos) {
            Format expected{RGB(run.colour.r, run.colour.g, run.colour.b), run.bold, run.underline};
            EXPECT_EQ(FormatAt(area, at, end), expected) << "run \"" << run.text << "\"";
        }
        at = end;
    }
}

const char kQuitQuestion[] = "Are you sure you want to quit ?\r\n\r\nAny scanning will not be detected";

RECT ChildRect(HWND parent, int id)
{
    RECT rect;
    GetWindowRect(GetDlgItem(parent, id), &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

TEST(ProductPopUp, ShowsTheRunsOfItsResultUnderItsTitle)
{
    ScanResult pack;
    pack.kind = ScanResultKind::Success;
    pack.mode = Verify;
    pack.statusText = "Success";
    pack.status = "1";
    pack.messageHeading = "Pack is active";
    pack.messageBody = "Supply allowed";
    pack.gtin = "04150123456782";
    pack.lot = "LOT24A";
    pack.exp = "291231";
    pack.sn = "DEMO0001";
    ScanResult failed;
    failed.mode = Decommission;
    failed.statusText = "Failed";
    failed.messageHeading = "Request failed due to COULDNT CONNECT";
    failed.barcode = "0104150123456782";
    for (const ScanResult& result : {pack, failed}) {
        CProductScanDialog popUp(nullptr);
        popUp.m_pResult = &result;
        popUp.m_strScanTime = "2026-12-07 10:11:12.345";
        ModalRun<CProductScanDialog> run(popUp);
        char title[128] = "";
        GetWindowTextA(popUp.GetSafeHwnd(), title, sizeof title);
        EXPECT_EQ(title, ProductTitle(result));
        ExpectRunsShown(popUp.TextArea(), ProductRuns(result, popUp.m_strScanTime));
    }
}

// With ExplainAnswers off the pop-up shows its text and nothing more; on, the
// same text and then "What to do" with the verdict in bold.
TEST(ProductPopUp, ExplainsTheAnswerOnlyWithItsSwitch)
{
    ScanResult alert;
    alert.kind = ScanResultKind::Error;
    alert.mode = Decommission;
    alert.statusText = "Error";
    alert.status = "0";
    alert.messageHeading = "NMVS_NC_PCK_22 Pack already inactive";
    alert.messageBody = "The pack has already been decommissioned as Supplied.";
    alert.gtin = "04150123456782";
    alert.lot = "LOT24A";
    alert.exp = "291231";
    alert.sn = "DEMO0004";
    ScanResult failed;
    failed.mode = Decommission;
    failed.statusText = "Failed";
    failed.messageHeading = "Request failed due to COULDNT CONNECT";
    failed.barcode = "0104150123456782";
    TestScanHost host;
    for (bool explain : {false, true}) {
        AppSettings settings = host.settings.Snapshot();
        settings.ExplainAnswers = explain;
        host.settings.Replace(settings);
        const std::pair<const ScanResult*, const char*> cases[] = {
            {&alert, "\nWhat to do\nAlert: do not supply\n"}, {&failed, "\nWhat to do\nCheck again\n"}};
        for (const auto& [shown, verdict] : cases) {
            const ScanResult& result = *shown;
            CProductScanDialog popUp(nullptr);
            popUp.m_pResult = &result;
            popUp.m_strScanTime = "2026-12-07 10:11:12.345";
            ModalRun<CProductScanDialog> run(popUp);
            std::vector<TextRun> runs = ProductRuns(result, popUp.m_strScanTime);
            size_t specified = runs.size();
            if (explain) AppendWhatToDo(runs, result);
            ASSERT_EQ(runs.size() > specified, explain);
            ExpectRunsShown(popUp.TextArea(), runs);
            char text[4096] = "";
            GetWindowTextA(popUp.TextArea(), text, sizeof text);
            EXPECT_EQ(Lines(text).find(verdict) != std::string::npos, explain) << text;
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
                answer = ShowMessageBox(kQuitQuestion, "", MessageBoxButtons::YesNo);
            });
            HWND box = nullptr;
            ASSERT_TRUE(WaitFor([&] {
                box = FindTopWindow(GetCurrentProcessId(), "QuorvixFMD Pellwick Version 1.190416");
                return box && box != host.window.Get();
            }, 10000));
            EXPECT_TRUE(host.pinned) << "the main window is pinned while the box is open";
            ExpectRunsShown(GetDlgItem(box, 0), MessageRuns(kQuitQuestion, ""));
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
    HWND box = WaitForTopWindow(GetCurrentProcessId(), "QuorvixFMD Pellwick - QuorvixFMD Pellwick Version 1.190416",
                                10000);
    ASSERT_TRUE(box);
    ExpectRunsShown(GetDlgItem(box, 0), MessageRuns("Download failed please try again", "QuorvixFMD Pellwick"));
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
