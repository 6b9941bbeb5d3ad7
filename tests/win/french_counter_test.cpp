// A scan answered at a counter that speaks French: the real main window and
// the stand-in service; the row's status word, the pop-up's title, verdict
// and next step come in French, and the trace log stays English.
#include <gtest/gtest.h>

#include <regex>

#include "framework/ui_language.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"

namespace {

constexpr DWORD kAnswerWaitMs = 30000;
// A pack the stand-in knows as supplied already: a Verify raises the alert.
const std::string kSuppliedPack = "0104150123456782" "17291231" "10LOT24A\x1D" "21DEMO0004";

std::string Lines(const std::string& text) { return std::regex_replace(text, std::regex("\r\n?"), "\n"); }

std::string PopUpText(HWND popUp)
{
    HWND area = FindWindowExA(popUp, nullptr, "RichEdit20A", nullptr);
    char text[8192] = "";
    GetWindowTextA(area, text, sizeof text);
    return Lines(text);
}

class FrenchCounter : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ApplyUiLanguage("fr")); }
    void TearDown() override { ApplyUiLanguage("en"); }
};

TEST_F(FrenchCounter, AnAlertComesWithItsStatusWordVerdictAndNextStepInFrench)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    MainDialogFixture fixture;
    SetProgramSetting("ExplainAnswers", "1");
    fixture.Dialog().m_settings.ReloadSwitches();
    ASSERT_TRUE(fixture.Start());

    WriteBytes(fixture.AppFolder() + "\\Scanned\\100.dat", "0" + kSuppliedPack);  // Verify mode
    HWND popUp = WaitForTopWindow(GetCurrentProcessId(), "R\xE9sultat en mode V\xE9rifier", kAnswerWaitMs);
    ASSERT_NE(popUp, nullptr) << "the pop-up's title in French";
    std::string text = PopUpText(popUp);
    EXPECT_NE(text.find("\nQue faire\nNe pas d\xE9livrer\n"), std::string::npos) << text;
    EXPECT_NE(text.find("La bo\xEEte est inactive"), std::string::npos) << text;
    EXPECT_NE(text.find("mettez-la en quarantaine"), std::string::npos) << text;
    EXPECT_EQ(text.find("What to do"), std::string::npos) << text;
    EXPECT_TRUE(CloseWindowWith(popUp, IDC_POPUP_CLOSE));

    ASSERT_EQ(fixture.RowCount() > 0, true);
    EXPECT_EQ(fixture.Cell(0, 1), "Avertissement") << "the status word";
    EXPECT_EQ(fixture.Cell(0, 2), "V\xE9rifier") << "the mode";
    EXPECT_EQ(fixture.Trace().find("Avertissement"), std::string::npos) << "the trace log stays English";
}

}  // namespace
