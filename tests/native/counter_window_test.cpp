// The counter window's pure logic: layout formulas, the pop-up's and the
// message box's runs, row colours and the alert rule, the row book and held
// records (under ASan: a record freed too early or twice is caught), and the
// mode buttons' colour states.
#include <gtest/gtest.h>

#include "ui/controls/button_colours.h"
#include "core/test_barcodes.h"
#include "ui/main/main_layout.h"
#include "ui/main/result_rules.h"
#include "ui/main/results_book.h"

namespace {

// Dialog-unit sizes of the template at 96 dpi with the dialog font, roughly.
const LayoutSize kSettings{75, 23}, kLogo{236, 62}, kModeButton{83, 33};

TEST(MainLayout, FollowsTheFormulasAtTheMinimumAndALargeSize)
{
    struct Case {
        int cx, cy;
        int xR, statusWidth, xM, bannerWidth, resultsTop;
    };
    // m = 11; xR = cx - 93; status width = cx - 33 - 93 - 236; xM = (cx - 183) / 2;
    // y: 11 + 74 = 85 (mode buttons), 85 + 39 = 124 (banner), 124 + 39 = 163 (list).
    const Case cases[] = {{684, 361, 591, 322, 250, 438, 163}, {1904, 1001, 1811, 1542, 860, 1658, 163}};
    for (const Case& c : cases) {
        MainLayout l = ComputeMainLayout(c.cx, c.cy, kSettings, kLogo, kModeButton);
        SCOPED_TRACE(c.cx);
        EXPECT_EQ(l.settings.x, c.xR);
        EXPECT_EQ(l.settings.y, 11);
        EXPECT_EQ(l.contact.y, 44);
        EXPECT_EQ(l.update.y, 77);
        EXPECT_EQ(l.logo.x, 11);
        EXPECT_EQ(l.status.x, 236 + 22);
        EXPECT_EQ(l.status.width, c.statusWidth);
        EXPECT_EQ(l.status.height, 62);
        EXPECT_EQ(l.verify.x, c.xM);
        EXPECT_EQ(l.decommission.x, c.xM - 124);
        EXPECT_EQ(l.recommission.x, c.xM + 124);
        EXPECT_EQ(l.verify.y, 85);
        EXPECT_EQ(l.banner.x, 83);
        EXPECT_EQ(l.banner.y, 124);
        EXPECT_EQ(l.banner.width, c.bannerWidth);
        EXPECT_EQ(l.results.y, c.resultsTop);
        EXPECT_EQ(l.results.width, c.cx);
        EXPECT_EQ(l.results.height, c.cy - c.resultsTop);
    }
}

TEST(MainLayout, MinimisedAndTinyWindowsGiveNoNegativeSizes)
{
    for (LayoutSize client : {LayoutSize{0, 0}, LayoutSize{1, 1}, LayoutSize{50, 20}}) {
        MainLayout l = ComputeMainLayout(client.width, client.height, kSettings, kLogo, kModeButton);
        for (const LayoutRect& r : {l.status, l.banner, l.results}) {
            EXPECT_GE(r.width, 0) << client.width;
            EXPECT_GE(r.height, 0) << client.width;
        }
        EXPECT_EQ(l.results.height, 0);
    }
}

ScanResult Result(int32_t kind, int32_t mode, const std::string& status, const std::string& key = "1")
{
    ScanResult r;
    r.kind = kind;
    r.mode = mode;
    r.status = status;
    r.key = key;
    return r;
}

TEST(ResultRules, AlertOnlyWhereTheRuleAsks)
{
    using K = ScanResultKind;
    struct Case {
        int32_t kind, mode;
        const char* status;
        bool alert;
    };
    const Case cases[] = {
        {K::Scanned, Verify, "", false},       {K::Failed, Decommission, "", true},
        {K::Failed, Decommission, "3", false}, {K::Error, Decommission, "2", true},
        {K::Success, Decommission, "1", false}, {K::Success, Verify, "1", true},
        {K::Success, Recommission, "1", true}, {K::Warning, Decommission, "1", false},
        {K::Warning, Verify, "1", true},       {K::Success, Verify, "3", false},
        {K::Log, Verify, "", false},           {K::Success, 7, "1", false},
        {K::Waiting, Decommission, "", false}, {K::Waiting, Verify, kOutageAlertStatus, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NeedsAlert(Result(c.kind, c.mode, c.status)), c.alert)
            << "kind " << c.kind << " mode " << c.mode << " status " << c.status;
}

// A change found made after its answer was lost, or held back by the check
// that went first: the pharmacist looks at the pack in every mode.
TEST(ResultRules, ADoneBeforeOrCheckedFirstWarningAlertsInEveryMode)
{
    for (int32_t mode : {Verify, Decommission, Recommission}) {
        ScanResult doneBefore = Result(ScanResultKind::Warning, mode, "2");
        doneBefore.statusText = "Done before";
        EXPECT_TRUE(NeedsAlert(doneBefore)) << mode;
        ScanResult checked = Result(ScanResultKind::Warning, mode, "2");
        checked.messageHeading = "Checked first: NMVS_NC_PCK_22 Pack is inactive (Destroyed)";
        EXPECT_TRUE(NeedsAlert(checked)) << mode;
    }
    ScanResult guarded = Result(ScanResultKind::Success, Decommission, "");
    guarded.statusText = "Done before";  // the guard's: nothing was sent
    EXPECT_FALSE(NeedsAlert(guarded));
}

TEST(ResultRules, RowColoursByKind)
{
    const std::pair<int32_t, RunColour> cases[] = {{ScanResultKind::Scanned, {255, 255, 255}},
                                                   {ScanResultKind::Failed, {255, 240, 240}},
                                                   {ScanResultKind::Success, {240, 255, 240}},
                                                   {ScanResultKind::Warning, {255, 255, 240}},
                                                   {ScanResultKind::Error, {255, 240, 240}},
                                                   {ScanResultKind::Waiting, {255, 255, 240}}};
    for (const auto& [kind, expected] : cases) {
        RunColour colour;
        ASSERT_TRUE(RowBackground(kind, colour)) << kind;
        EXPECT_EQ(colour, expected) << kind;
    }
    RunColour unchanged{1, 2, 3};
    EXPECT_FALSE(RowBackground(ScanResultKind::Log, unchanged));
    EXPECT_EQ(RowTime("2026-12-07 01:02:03.004"), "2026-12-07 01:02:03");
}

std::string Joined(const std::vector<TextRun>& runs)
{
    std::string text;
    for (const TextRun& run : runs) text += run.text;
    return text;
}

TEST(ProductRuns, ResultWithAPackTable)
{
    ScanResult r = Result(ScanResultKind::Success, Verify, "1");
    r.statusText = "Success";
    r.messageHeading = "Pack is active";
    r.messageBody = "Supply allowed";
    r.gtin = "04150123456782";
    r.lot = "LOT24A";
    r.exp = "291231";
    r.sn = "DEMO0001";
    std::vector<TextRun> runs = ProductRuns(r, "2026-12-07 10:11:12.345");
    EXPECT_EQ(ProductTitle(r), "Product Verify result");
    EXPECT_EQ(Joined(runs), "Product Verify result\nScanned 2026-12-07 10:11:12\n\nSuccess, 1, Pack is active\n"
                            "Supply allowed\n\nGTIN\t: 04150123456782\nLot No\t: LOT24A\nExpiry\t: 291231\n"
                            "Serial\t: DEMO0001\n");
    const TextRun& title = runs[0];
    EXPECT_TRUE(title.bold && title.underline && !title.italic);
    EXPECT_EQ(title.face, "Lucida Sans Unicode");
    EXPECT_EQ(title.size, 20);
    const RunColour green{0, 100, 0}, black{0, 0, 0};
    EXPECT_EQ(runs[3].colour, green);   // status word
    EXPECT_EQ(runs[4].colour, black);   // ", "
    EXPECT_EQ(runs[5].colour, green);   // status value
    EXPECT_EQ(runs[7].colour, green);   // heading
    EXPECT_EQ(runs[9].colour, green);   // body
    EXPECT_TRUE(runs[11].bold && runs[11].underline);    // "GTIN"
    EXPECT_TRUE(runs[12].bold && !runs[12].underline);   // "\t: "
    EXPECT_FALSE(runs[13].bold || runs[13].underline);   // the value
}

TEST(ProductRuns, WhatToDoFollowsAfterOneBlankLine)
{
    ScanResult r = Result(ScanResultKind::Error, Decommission, "0");
    r.statusText = "Error";
    r.messageHeading = "NMVS_NC_PC_02 Unknown serial number";
    r.barcode = "0104150123456782";
    std::vector<TextRun> runs = ProductRuns(r, "12");
    AppendWhatToDo(runs, r);
    std::string text = Joined(runs);
    EXPECT_NE(text.find("0104150123456782\n\nWhat to do\nAlert: do not supply\nThe national system does not know "
                        "this serial number"),
              std::string::npos)
        << text;
    const TextRun& verdict = runs[runs.size() - 3];
    EXPECT_EQ(verdict.text, "Alert: do not supply\n");
    EXPECT_TRUE(verdict.bold && !verdict.underline);
    EXPECT_FALSE(runs.back().bold);
    r.gtin = "04150123456782";  // the pack table ends its own line
    runs = ProductRuns(r, "12");
    AppendWhatToDo(runs, r);
    EXPECT_NE(Joined(runs).find("Serial\t: \n\nWhat to do\n"), std::string::npos) << Joined(runs);
    ScanResult log = Result(ScanResultKind::Log, 3, "");
    runs.clear();
    AppendWhatToDo(runs, log);
    EXPECT_TRUE(runs.empty()) << "a log row has nothing to explain";
}

TEST(ProductRuns, ResultsWithoutAGtin)
{
    struct Case {
        const char* statusText;
        const char* heading;
        const char* body;
        RunColour colour;
        const char* text;
    };
    const Case cases[] = {
        {"Invalid", "", "", {0, 0, 0}, "Product BadWolf result\nScanned 12\n\nInvalid\n\n0104150123456782"},
        {"Failed", "Request failed due to COULDNT CONNECT", "", {100, 0, 0},
         "Product BadWolf result\nScanned 12\n\nFailed\n\nRequest failed due to COULDNT CONNECT\n0104150123456782"},
        {"ERROR", "Heading", "Body", {100, 0, 0},
         "Product BadWolf result\nScanned 12\n\nERROR\n\nHeading\nBody\n\n0104150123456782"},
        {"warning", "", "", {100, 100, 0}, "Product BadWolf result\nScanned 12\n\nwarning\n\n0104150123456782"},
    };
    for (const Case& c : cases) {
        ScanResult r = Result(ScanResultKind::Failed, 7, "");
        r.statusText = c.statusText;
        r.messageHeading = c.heading;
        r.messageBody = c.body;
        r.barcode = "0104150123456782";
        std::vector<TextRun> runs = ProductRuns(r, "12");
        EXPECT_EQ(Joined(runs), c.text);
        EXPECT_EQ(runs[3].colour, c.colour) << c.statusText;
        EXPECT_EQ(runs.back().colour, (RunColour{0, 0, 0})) << c.statusText;
    }
}

TEST(MessageRuns, CaptionLineOnlyWhenGiven)
{
    std::vector<TextRun> plain = MessageRuns("Are you sure?", "");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_FALSE(plain[0].bold || plain[0].underline || plain[0].size || !plain[0].face.empty());
    std::vector<TextRun> captioned = MessageRuns("Download failed please try again", "QuorvixFMD Pellwick");
    ASSERT_EQ(captioned.size(), 2u);
    EXPECT_EQ(captioned[0].text, "QuorvixFMD Pellwick\n\n");
    EXPECT_TRUE(captioned[0].bold && captioned[0].underline);
    EXPECT_EQ(captioned[0].size, 15);
}

ScanResult* NewRecord(const std::string& key)
{
    auto* r = new ScanResult;
    r->key = key;
    return r;
}

TEST(ResultsBook, FindsKeysByRowAndTracksTheWidestCells)
{
    ResultsBook book;
    HeldRecords held;
    book.AddTop(NewRecord("a"), {10, 20, 30, 40});
    book.AddTop(nullptr, {11, 0, 0, 90});  // a log row
    book.AddTop(NewRecord("b"), {12, 25, 30, 45});
    EXPECT_EQ(book.FindKey("b"), 0);
    EXPECT_EQ(book.FindKey("a"), 2);
    EXPECT_EQ(book.FindKey("c"), -1);
    EXPECT_EQ(book.WidestCell(3), 90);

    held.Destroy(book.Update(2, NewRecord("a"), {10, 60, 30, 40}));  // same key again
    EXPECT_EQ(book.FindKey("a"), 2);
    EXPECT_EQ(book.WidestCell(1), 60);

    held.Destroy(book.RemoveBottom());  // "a" goes with its row
    EXPECT_EQ(book.FindKey("a"), -1);
    EXPECT_EQ(book.WidestCell(1), 25);
    EXPECT_EQ(book.RemoveBottom(), nullptr);  // the log row
    EXPECT_EQ(book.WidestCell(3), 45);
    held.Destroy(book.RemoveBottom());
    EXPECT_EQ(book.RowCount(), 0);
    EXPECT_EQ(book.WidestCell(0), 0);
    EXPECT_EQ(LiveRecordCounter::Live(), 0);
}

TEST(ResultsBook, IndexesStayRightOverManyAddsAndTrims)
{
    ResultsBook book;
    HeldRecords held;
    for (int i = 0; i < 25000; ++i) {
        book.AddTop(NewRecord(std::to_string(i)), {i % 7, 0, 0, 0});
        while (book.RowCount() > 10000) held.Destroy(book.RemoveBottom());
    }
    EXPECT_EQ(book.FindKey("24999"), 0);
    EXPECT_EQ(book.FindKey("15000"), 9999);
    EXPECT_EQ(book.FindKey("14999"), -1);
    EXPECT_EQ(book.RecordAt(9999)->key, "15000");
    EXPECT_EQ(LiveRecordCounter::Live(), 10000);
    while (book.RowCount() > 0) held.Destroy(book.RemoveBottom());
    EXPECT_EQ(LiveRecordCounter::Live(), 0);
}

TEST(HeldRecords, DestructionWaitsForTheLastHold)
{
    HeldRecords held;
    ScanResult* shown = NewRecord("k");
    held.Hold(shown);
    held.Hold(shown);  // a double-click pop-up on top of the automatic one
    held.Destroy(shown);
    EXPECT_EQ(LiveRecordCounter::Live(), 1);
    held.Release(shown);
    EXPECT_EQ(LiveRecordCounter::Live(), 1);
    EXPECT_EQ(shown->key, "k");  // still readable (ASan would object otherwise)
    held.Release(shown);
    EXPECT_EQ(LiveRecordCounter::Live(), 0);

    ScanResult* kept = NewRecord("kept");
    held.Hold(kept);
    held.Release(kept);  // released without a destroy: the list still owns it
    EXPECT_EQ(LiveRecordCounter::Live(), 1);
    held.Destroy(kept);
    EXPECT_EQ(LiveRecordCounter::Live(), 0);
}

// Each step is one operation: m mouse moves over, l mouse leaves, d left
// button down, u up, H Highlight(200,230,200), U Unhighlight, F Flash(255,220,
// 220,800), t the flash timer fires, S StopFlash. The fill is what is painted.
void Apply(ButtonColours& c, char step)
{
    switch (step) {
    case 'm': c.MouseMove(); break;
    case 'l': c.MouseLeave(); break;
    case 'd': c.ButtonDown(); break;
    case 'u': c.ButtonUp(); break;
    case 'H': c.Highlight(200, 230, 200); break;
    case 'U': c.Unhighlight(); break;
    case 'F': c.Flash(255, 220, 220, 800); break;
    case 't': EXPECT_EQ(c.FlashTick(), 800u); break;
    case 'S': c.StopFlash(); break;
    default: FAIL() << "unknown step " << step;
    }
}

TEST(ButtonColours, FillAfterEachSequence)
{
    const struct {
        const char* steps;
        RunColour fill;
    } cases[] = {
        {"", {255, 255, 255}},           {"m", {229, 229, 229}},        {"md", {199, 199, 199}},
        {"mdl", {199, 199, 199}},        {"mdlu", {255, 255, 255}},     {"mdu", {229, 229, 229}},
        {"ml", {255, 255, 255}},         {"mm", {229, 229, 229}},       {"H", {200, 230, 200}},
        {"Hm", {179, 206, 179}},         {"Hmd", {156, 179, 156}},      {"HU", {255, 255, 255}},
        {"HUU", {255, 255, 255}},        {"U", {255, 255, 255}},        {"S", {255, 255, 255}},
        {"F", {255, 255, 255}},          {"Ft", {255, 220, 220}},       {"Ftm", {229, 197, 197}},
        {"Ftmd", {199, 171, 171}},       {"Ftt", {255, 255, 255}},      {"Fttt", {255, 220, 220}},
        {"FtS", {255, 255, 255}},        {"FtSS", {255, 255, 255}},     {"HF", {255, 255, 255}},
        {"HFt", {255, 220, 220}},        {"HFtt", {255, 255, 255}},     {"FtH", {200, 230, 200}},
        {"FtHU", {255, 255, 255}},       {"FtF", {255, 220, 220}},      {"FtFt", {255, 255, 255}},
        {"FtFtt", {255, 220, 220}},      {"FtSFt", {255, 220, 220}},    {"FtSFtt", {255, 255, 255}},
    };
    for (const auto& c : cases) {
        ButtonColours colours;
        for (const char* step = c.steps; *step; ++step) Apply(colours, *step);
        EXPECT_EQ(colours.FillColour(), c.fill) << "steps \"" << c.steps << "\"";
    }
}

TEST(ButtonColours, LeaveTrackingStartsOncePerVisit)
{
    ButtonColours c;
    EXPECT_TRUE(c.MouseMove());
    EXPECT_FALSE(c.MouseMove()) << "already over the button";
    c.MouseLeave();
    EXPECT_TRUE(c.MouseMove());
    EXPECT_FALSE(c.StopFlash()) << "never flashed: no timer to stop";
}

}  // namespace

namespace {

// The bench's barcodes byte for byte: a hex escape in a literal swallows
// the digits and the letters A-F that follow it, so the bytes around each
// separator are checked one by one. (B01 is checked on the wire.)
TEST(TestBarcodes, EscapesStandAloneAndOnlyBenchCommandsHaveBarcodes)
{
    EXPECT_EQ(TestBarcodeFor(1052), nullptr);
    EXPECT_EQ(TestBarcodeFor(1070), nullptr);
    for (int command = 1053; command <= 1069; ++command) EXPECT_NE(TestBarcodeFor(command), nullptr) << command;

    const std::string b09 = TestBarcodeFor(1061);
    const std::string fields[] = {"[)>", "\x1E", "06", "\x1D", "9N110375286414", "\x1D", "1T00001", "\x1D",
                                  "D201200", "\x1D", "S0000000055", "\x1E", "\x04", "\r"};
    std::string expected;
    for (const std::string& field : fields) expected += field;
    EXPECT_EQ(b09, expected);
    EXPECT_NE(std::string(TestBarcodeFor(1068)).find(std::string("\x1D") + "1T00099" + "\x1D"), std::string::npos);
    EXPECT_EQ(std::string(TestBarcodeFor(1069)), std::string("010035914801113421100000000001") + "\x1D" +
                                                     "1715082210AB100613\r");
    EXPECT_EQ(std::string(TestBarcodeFor(1054)), "MY\r\nPRESC\n\rRIPTION\r");
}

}  // namespace
