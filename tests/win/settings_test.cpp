// The settings sheet against the stand-in service and the real registry:
// what Save and Cancel send, store, keep in memory and ask of the main window.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "core/settings_store.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/modal_run.h"
#include "support/scan_fixture.h"
#include "ui/settings/settings_dialog.h"
#include "ui/update/update_rules.h"

namespace {

class SheetOwner : public SettingsSheetOwner {
public:
    std::string ScanFolder() const override { return folder.Path(); }
    void HideToTrayAfter(unsigned milliseconds) override { hideAfter = milliseconds; }
    void DownloadAndRun(const std::string& fileName) override
    {
        std::lock_guard<std::mutex> hold(lock);
        drivers.push_back(fileName);
    }
    std::vector<std::string> Drivers()
    {
        std::lock_guard<std::mutex> hold(lock);
        return drivers;
    }

    TempFolder folder;
    std::atomic<unsigned> hideAfter{0};
    std::mutex lock;
    std::vector<std::string> drivers;
};

std::string StoredSetting(const char* name)
{
    char value[1025] = "";
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "<none>";
    return value;
}

// The sheet on its own thread, over a registry holding `username` and
// `password` (none when empty) and the test's stand-in as the service.
class SettingsSheet : public testing::Test {
protected:
    void Open(const std::string& username, const std::string& password)
    {
        ASSERT_TRUE(standin.Available());
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        SetProgramSetting("Username", username);
        SetProgramSetting("Password", password);
        SetProgramSetting("ServiceHost", standin.Host());
        sheet = std::make_unique<CSettingsDialog>(owner);
        run = std::make_unique<ModalRun<CSettingsDialog>>(*sheet);
        ASSERT_TRUE(Window());
    }
    void TearDown() override
    {
        run.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    }
    HWND Window() const { return sheet->GetSafeHwnd(); }
    void Type(const std::string& username, const std::string& password, const std::string& proxy = "")
    {
        SetDlgItemTextA(Window(), IDC_USERNAME, username.c_str());
        SetDlgItemTextA(Window(), IDC_PASSWORD, password.c_str());
        SetDlgItemTextA(Window(), IDC_PROXY, proxy.c_str());
    }
    void Press(int id) { PostMessageA(Window(), WM_COMMAND, id, 0); }
    // Waits for the refusal, closes it, and tells whether it came.
    bool RefusalShownAndClosed()
    {
        HWND box = WaitForMessageBox(GetCurrentProcessId(), "Credentials are invalid, please correct", 10000);
        return box && CloseWindowWith(box, IDC_BOX_FIRST);
    }

    StandinClient standin;
    SheetOwner owner;
    std::unique_ptr<CSettingsDialog> sheet;
    std::unique_ptr<ModalRun<CSettingsDialog>> run;
};

TEST_F(SettingsSheet, SaveWithAnEmptyFieldIsRefusedWithoutAskingTheService)
{
    Open("PHARM01", "s3cret");
    EXPECT_TRUE(GetWindowLongPtrA(GetDlgItem(Window(), IDC_PASSWORD), GWL_STYLE) & ES_PASSWORD);
    const std::pair<const char*, const char*> cases[] = {{"", "s3cret"}, {"PHARM01", ""}};
    for (const auto& [username, password] : cases) {
        Type(username, password);
        Press(IDOK);
        EXPECT_TRUE(RefusalShownAndClosed()) << "FMD ID \"" << username << "\", password \"" << password << "\"";
        EXPECT_TRUE(IsWindowVisible(Window())) << "the sheet stays open";
    }
    EXPECT_TRUE(standin.Requests().empty());
    EXPECT_EQ(StoredSetting("Password"), "s3cret");
}

TEST_F(SettingsSheet, RefusedCredentialsAreUsedButNotStoredUntilCancelRestoresThem)
{
    Open("PHARM01", "s3cret");
    Type("PHARM01", "wrong");
    Press(IDOK);
    ASSERT_TRUE(RefusalShownAndClosed());
    ASSERT_EQ(standin.Requests().size(), 1u);
    EXPECT_NE(standin.Requests()[0].find("API.Login.Request"), std::string::npos);
    EXPECT_EQ(StoredSetting("Password"), "s3cret");
    EXPECT_EQ(sheet->Snapshot().Password, "wrong") << "the worker sends with what was typed";

    Press(IDCANCEL);
    EXPECT_EQ(run->Wait(), IDCANCEL);
    EXPECT_EQ(sheet->Snapshot().Password, "s3cret");
    EXPECT_EQ(standin.Requests().size(), 2u) << "Cancel checks the stored credentials";
    EXPECT_EQ(owner.hideAfter, 0u) << "accepted credentials never hide the window";
}

TEST_F(SettingsSheet, AcceptedCredentialsAreStoredAndCloseTheSheet)
{
    Open("", "");
    Type("PHARM01", "s3cret");
    Press(IDOK);
    EXPECT_EQ(run->Wait(), IDOK);
    EXPECT_EQ(StoredSetting("Username"), "PHARM01");
    EXPECT_EQ(StoredSetting("Password"), "s3cret");
    EXPECT_EQ(standin.Requests().size(), 1u);
}

TEST_F(SettingsSheet, DriverButtonsAskTheOwnerForThisMachinesInstallersAndStayOpen)
{
    Open("PHARM01", "s3cret");
    Press(IDC_INSTALL_CIPHERLAB);
    Press(IDC_INSTALL_SYMBOL);
    ASSERT_TRUE(WaitFor([&] { return owner.Drivers().size() == 2; }, 5000));
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);
    EXPECT_EQ(owner.Drivers(), (std::vector<std::string>{DriverInstallerName(ScannerDriver::CipherLab, folder),
                                                         DriverInstallerName(ScannerDriver::Symbol, folder)}));
    EXPECT_TRUE(IsWindowVisible(Window()));
}

}  // namespace
