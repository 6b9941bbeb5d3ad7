// Updates and driver installers against the stand-in update server, with the
// real curl.exe, the real installers of this build and of the next version,
// and real signatures of this build's key. A started installer shows its
// first page; the test ends it.
#include <gtest/gtest.h>

#include <regex>

#include "core/settings_store.h"
#include "res/resource.h"
#include "support/main_dialog_fixture.h"
#include "support/scan_fixture.h"
#include "ui/update/installer_fetch.h"
#include "verify/curl_exchange.h"

namespace {

std::string Fixture(const std::string& name) { return BinaryPath("update-fixtures\\" + name); }
const std::string kNewer = BinaryPath("package-next\\PellwickSetup-1.190417.exe");
const std::string kCurrent = BinaryPath("package\\PellwickSetup-1.190416.exe");
// The pages add their empty subcaption, a blank, to the caption.
const char kNewerSetupTitle[] = "QuorvixFMD Pellwick 1.190417 Setup ";
const char kDriver[] = "CP210xVCPInstaller_x86.exe";

std::string WithoutCarriageReturns(const std::string& text) { return std::regex_replace(text, std::regex("\r"), ""); }

class Updates : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standin.Available());
        for (const std::string& name : ListFolder(standin.UpdateFolder())) DeleteFileA(Served(name).c_str());
        ASSERT_TRUE(main.Start());
    }
    void TearDown() override
    {
        EndProcessesNamed("update.exe");
        EndProcessesNamed(kDriver);
    }
    std::string Served(const std::string& name) const { return standin.UpdateFolder() + "\\" + name; }
    void Serve(const std::string& name, const std::string& bytes) { WriteBytes(Served(name), bytes); }
    // The installer, its signature and the maker's offer (the newer installer's by default).
    void ServeUpdate(const std::string& installer, const std::string& signature,
                     const std::string& offer = ReadBytes(kNewer + ".offer"))
    {
        Serve("update.exe", installer);
        if (!signature.empty()) Serve("update.exe.sig", signature);
        if (!offer.empty()) Serve("check.txt.sig2", offer);
    }
    std::vector<std::string> Downloads() const { return ListFolder(main.AppFolder() + "\\Downloads"); }
    // Waits for the program's box whose text holds `fragment`, closes it and
    // returns its window title, or "" when none came.
    std::string CloseBox(const std::string& fragment)
    {
        HWND box = WaitForMessageBox(GetCurrentProcessId(), fragment, 30000);
        char title[256] = "";
        if (box) GetWindowTextA(box, title, sizeof title);
        if (box) CloseWindowWith(box, IDC_BOX_FIRST);
        return title;
    }
    std::string UpdateCaption() const
    {
        char caption[64] = "";
        GetDlgItemTextA(main.Window(), IDC_UPDATE, caption, sizeof caption);
        return caption;
    }
    void Check() { SendMessageA(main.Window(), TestMainDialog::WM_CHECK_FOR_UPDATE, 0, 0); }

    StandinClient standin;
    // A blank, an ampersand, braces and a bracket in the account name, as a pharmacy may type it.
    MainDialogFixture main{{"PH&RM{a,b}[ 01", "s3cret", "0", "", ""}};
};

}  // namespace

// Each check is answered by check.txt; the button keeps "&Update NOW!" once
// set, so it is put back before each case.
TEST_F(Updates, CheckShowsNotesAndTurnsTheButtonOnlyForANewerVersion)
{
    const std::string closing = "\n\nTo update simply click the Update button on the main window";
    struct Case {
        std::string reply;
        bool newer;
        std::string notes;  // the notes box's text; empty: no box
    } cases[] = {
        {"1.190416", false, ""},
        {"1.1", false, ""},
        {"<html><body>Proxy error</body></html>\n\n", false, ""},
        {"1.2", true, ""},
        {"1.190416\r\n", true, ""},
        {"1.2\nSpring release", true, ""},
        {"1.2\nSpring release\n", true, "Spring release\n" + closing},
        {"1.2\nSpring release\nFaster scans", true, "Spring release\nFaster scans" + closing},
        {"1.2\nSpring release\n" + std::string(65 << 10, 'x'), false, ""},  // past the check's cap: cut, unread
    };
    // The window's own first check, 5 s after its start, must not answer a case's check.
    ASSERT_TRUE(WaitFor([&] { return main.Trace().find("Checking for update") != std::string::npos; }, 15000));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.substr(0, 40));
        SetDlgItemTextA(main.Window(), IDC_UPDATE, "&Update Check");
        Serve("check.txt", c.reply);
        if (c.notes.empty()) {
            Check();  // returns when the check is over
        } else {
            PostMessageA(main.Window(), TestMainDialog::WM_CHECK_FOR_UPDATE, 0, 0);
            HWND box =
                WaitForTopWindow(GetCurrentProcessId(), "Spring release - QuorvixFMD Pellwick Version 1.190416", 15000);
            ASSERT_TRUE(box);
            EXPECT_EQ(WithoutCarriageReturns(MessageBoxText(box)), c.notes);
            PostMessageA(box, WM_COMMAND, IDC_BOX_FIRST, 0);
            EXPECT_TRUE(WaitFor([&] { return UpdateCaption() == "&Update NOW!"; }, 5000));
        }
        EXPECT_EQ(UpdateCaption(), c.newer ? "&Update NOW!" : "&Update Check");
        EXPECT_TRUE(Downloads().empty()) << "a check leaves no file";
    }
    EXPECT_NE(main.Trace().find(") Checking for update. Our version = 1.190416\r\n"), std::string::npos);
    EXPECT_NE(main.Trace().find(") Latest version = 1.2\r\n"), std::string::npos);
    EXPECT_NE(main.Trace().find(") download failed 63 - FILESIZE EXCEEDED\r\n"), std::string::npos);
    // The account name goes as typed, but for the blank (curl refuses a URL with one); braces and a bracket
    // are no glob to curl: one request per check, name intact.
    EXPECT_GE(standin.UpdateRequests().size(), std::size(cases));
    for (const std::string& request : standin.UpdateRequests())
        EXPECT_EQ(request, "/QuorvixFMDPellwickUpdate.php?chk=1&acc=PH&RM{a,b}[%2001&ver=1.190416");
}

TEST_F(Updates, ASignedNewerInstallerIsStartedOnce)
{
    ServeUpdate(ReadBytes(kNewer), ReadBytes(kNewer + ".sig"));
    SendMessageA(main.Window(), WM_COMMAND, IDC_UPDATE, 0);
    EXPECT_NE(WaitForTopWindow(0, kNewerSetupTitle, 30000), nullptr) << main.Trace();
    std::string target = main.AppFolder() + "\\Downloads\\update.exe";
    EXPECT_NE(main.Trace().find(") Downloading update. Our version = 1.190416\r\n"), std::string::npos);
    EXPECT_NE(main.Trace().find(") Running \"" + target + "\"\r\n"), std::string::npos);
    EXPECT_EQ(FindMessageBox(GetCurrentProcessId(), "No update available"), nullptr);
    Sleep(500);
    EXPECT_EQ(ProcessesNamed("update.exe").size(), 1u) << "started through the launcher only";

    // The running installer's file cannot be replaced: nothing starts, and the box says why.
    PostMessageA(main.Window(), WM_COMMAND, IDC_UPDATE, 0);
    EXPECT_EQ(CloseBox("could not be started"), "QuorvixFMD Pellwick Version 1.190416");
    EXPECT_NE(main.Trace().find(") Update not started: cannot replace \"" + target + "\""), std::string::npos);
    EXPECT_EQ(ProcessesNamed("update.exe").size(), 1u) << "the old file is not started again";
}

// Whatever is not a program signed by the maker for this use and newer than
// this one is never started, is deleted, and ends in the Part's message.
TEST_F(Updates, NothingElseIsEverStarted)
{
    const std::string installer = ReadBytes(kNewer);
    const std::string signature = ReadBytes(kNewer + ".sig");
    std::string tampered = installer, flippedSignature = signature, flippedOffer = ReadBytes(kNewer + ".offer");
    tampered[0x4E] ^= 1;
    // Another hex digit, so that the text still parses ("a" ^ 1 would not be one).
    auto flipDigit = [](std::string& text) {
        char& digit = text[text.find("signature=") + 20];
        digit = digit == '0' ? '1' : '0';
    };
    flipDigit(flippedSignature);
    flipDigit(flippedOffer);
    struct Case {
        const char* what;
        std::string installer, signature;
        const char* logged;  // the reason in "Update rejected: signature ..."; null: none logged
        std::string offer = ReadBytes(kNewer + ".offer");
    } cases[] = {
        {"an HTML page", "<html><body>Not here</body></html>", signature, nullptr},
        {"a text", "1.2\nnot an installer", signature, nullptr},
        {"an unsigned installer", installer, "", "malformed"},
        {"a tampered installer", tampered, signature, "does not match the file"},
        {"a tampered signature", installer, flippedSignature, "not made by the maker's key"},
        {"another key's signature", installer, ReadBytes(Fixture("other-key.sig")), "not made by the maker's key"},
        {"a driver's signature", installer, ReadBytes(Fixture("as-driver.sig")), "names another file"},
        {"this version's signed installer", ReadBytes(kCurrent), ReadBytes(kCurrent + ".sig"),
         "names a version that is not newer (1.190416)"},
        {"no offer (a 404 page)", installer, signature, "has a malformed offer", ""},
        {"an unsigned offer", installer, signature, "has an offer not made by the maker's key", flippedOffer},
        {"an older genuine installer than offered", installer, signature,
         "names another version than offered (9.999999)", ReadBytes(Fixture("later.offer"))},
        // Genuine offers of the very installer, but in the older undated form, or replayed from long ago
        // after this run has seen the build's own offer.
        {"an undated offer", installer, signature, "has an offer without an issue date", ReadBytes(Fixture("undated.offer"))},
        {"an offer issued long ago", installer, signature,
         "has an offer older than one seen before (issued 2020-01-01T00:00:00Z)", ReadBytes(Fixture("long-ago.offer"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileA(Served("update.exe.sig").c_str());
        DeleteFileA(Served("check.txt.sig2").c_str());
        ServeUpdate(c.installer, c.signature, c.offer);
        size_t rejections = CountOf(main.Trace(), "Update rejected: signature ");
        PostMessageA(main.Window(), WM_COMMAND, IDC_UPDATE, 0);
        EXPECT_EQ(CloseBox("No update available."), "QuorvixFMD Pellwick Version 1.190416");
        EXPECT_TRUE(Downloads().empty());
        std::string trace = main.Trace();
        EXPECT_EQ(CountOf(trace, "Update rejected: signature ") - rejections, c.logged ? 1u : 0u);
        if (c.logged) {
            EXPECT_NE(trace.find(std::string("Update rejected: signature ") + c.logged), std::string::npos)
                << trace.substr(trace.rfind("Update rejected: signature "));
        }
    }
    EXPECT_TRUE(ProcessesNamed("update.exe").empty());
    EXPECT_EQ(CountOf(main.Trace(), ") No update available\r\n"), 13u);
}

// The newest issue date of a genuine offer is kept in the registry, so an
// older offer is refused after a restart too; a newer one moves it on.
TEST_F(Updates, AnOfferOlderThanOneSeenBeforeARestartIsRefused)
{
    const std::string offer = ReadBytes(kNewer + ".offer");
    const std::string issued = offer.substr(offer.find("issued=") + 7, 20);
    SetProgramSetting("UpdateOfferIssued", "2099-01-01T00:00:00Z");  // as an earlier run left it
    ServeUpdate(ReadBytes(kNewer), ReadBytes(kNewer + ".sig"));
    PostMessageA(main.Window(), WM_COMMAND, IDC_UPDATE, 0);
    EXPECT_EQ(CloseBox("No update available."), "QuorvixFMD Pellwick Version 1.190416");
    EXPECT_NE(main.Trace().find("Update rejected: signature has an offer older than one seen before (issued " + issued),
              std::string::npos);
    EXPECT_EQ(ReadSetting("UpdateOfferIssued", ""), "2099-01-01T00:00:00Z");

    // A damaged value does not stop updates for good: the genuine offer's date replaces it.
    SetProgramSetting("UpdateOfferIssued", "2099-01-01");
    SendMessageA(main.Window(), WM_COMMAND, IDC_UPDATE, 0);
    EXPECT_NE(WaitForTopWindow(0, kNewerSetupTitle, 30000), nullptr) << main.Trace();
    EXPECT_EQ(ReadSetting("UpdateOfferIssued", ""), issued);
}

// While a download waits in its message box, the update button, a driver
// button and the check do nothing.
TEST_F(Updates, NothingStartsWhileADownloadWaitsInItsBox)
{
    PostMessageA(main.Window(), WM_COMMAND, IDC_UPDATE, 0);
    HWND box = WaitForMessageBox(GetCurrentProcessId(), "No update available.", 30000);
    ASSERT_TRUE(box);
    size_t requests = standin.UpdateRequests().size();
    main.Dialog().driverName = kDriver;
    PostMessageA(main.Window(), WM_COMMAND, IDC_UPDATE, 0);
    PostMessageA(main.Window(), TestMainDialog::WM_DOWNLOAD_DRIVER, 0, 0);
    PostMessageA(main.Window(), TestMainDialog::WM_CHECK_FOR_UPDATE, 0, 0);
    Sleep(1500);
    EXPECT_EQ(standin.UpdateRequests().size(), requests);
    PostMessageA(box, WM_COMMAND, IDC_BOX_FIRST, 0);
}

TEST_F(Updates, ADriverIsOpenedThroughTheShellAndStartedOrItsFailureIsShown)
{
    main.Dialog().driverName = kDriver;
    Serve(kDriver, ReadBytes(kNewer));
    Serve(std::string(kDriver) + ".sig", ReadBytes(Fixture("as-driver.sig")));
    SetProgramSetting("DriverVersion CP210xVCPInstaller_x86.exe", "damaged");  // no floor, not a block for good
    SendMessageA(main.Window(), TestMainDialog::WM_DOWNLOAD_DRIVER, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return ProcessesNamed(kDriver).size() == 1; }, 30000)) << "the shell's open";
    Sleep(1000);
    EXPECT_EQ(ProcessesNamed(kDriver).size(), 1u) << "started once, not by the launcher as well";
    EXPECT_NE(standin.UpdateRequests().back().find("/pellwick/CP210xVCPInstaller_x86.exe.sig?acc=PH&RM{a,b}[%2001&ver=1.190416"),
              std::string::npos);
    EXPECT_EQ(ReadSetting("DriverVersion CP210xVCPInstaller_x86.exe", ""), "1.190417");

    const char* caption = "QuorvixFMD Pellwick - QuorvixFMD Pellwick Version 1.190416";
    Serve("Zebra_CDC_ACM_Driver_x86.exe", ReadBytes(kNewer));
    Serve("Zebra_CDC_ACM_Driver_x86.exe.sig", ReadBytes(kNewer + ".sig"));
    struct Case {
        const char* driver;
        const char* box;
        const char* logged;
    } cases[] = {
        {kDriver, "could not be started", "Driver installer not started: cannot replace "},  // it still runs
        {"Zebra_CDC_ACM_Driver_x64.exe", "Download failed please try again", nullptr},  // not on the server
        {"Zebra_CDC_ACM_Driver_x86.exe", "Download failed please try again",
         "Driver installer rejected: signature names another file (update.exe): \"Zebra_CDC_ACM_Driver_x86.exe\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.driver);
        main.Dialog().driverName = c.driver;
        PostMessageA(main.Window(), TestMainDialog::WM_DOWNLOAD_DRIVER, 0, 0);
        EXPECT_EQ(CloseBox(c.box), caption);
        if (c.logged) {
            EXPECT_NE(main.Trace().find(c.logged), std::string::npos);
        }
    }
    EXPECT_EQ(ProcessesNamed(kDriver).size(), 1u);
    EXPECT_TRUE(ProcessesNamed("Zebra_CDC_ACM_Driver_x86.exe").empty());

    // Once it has ended, an older genuine installer of the same driver is a replay: refused.
    EndProcessesNamed(kDriver);
    Serve(kDriver, ReadBytes(kCurrent));
    Serve(std::string(kDriver) + ".sig", ReadBytes(Fixture("older-as-driver.sig")));
    main.Dialog().driverName = kDriver;
    PostMessageA(main.Window(), TestMainDialog::WM_DOWNLOAD_DRIVER, 0, 0);
    EXPECT_EQ(CloseBox("Download failed please try again"), caption);
    EXPECT_NE(main.Trace().find("Driver installer rejected: signature names a version older than one started before "
                                "(1.190416 < 1.190417)"),
              std::string::npos);
    EXPECT_TRUE(ProcessesNamed(kDriver).empty());
}

// Downloads have their own limits: a slow but steady transfer outlasts the
// scans' total limit, a stalled one ends. The limits are shrunk here.
TEST(DownloadLimits, ASteadySlowDownloadSucceedsAndAStalledOneEnds)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    TempFolder folder;
    WriteBytes(standin.UpdateFolder() + "\\slow.exe", std::string(6000, 'x'));
    std::string url = "http://" + standin.Host() + "/pellwick/slow.exe?acc=PHARM01&ver=1.190416";
    CurlContext scan;
    scan.downloadFolder = folder.Path();
    scan.totalTimeoutSeconds = 2;
    CurlContext download = DownloadContext(scan);
    download.lowSpeedBytesPerSecond = 500;
    download.lowSpeedSeconds = 2;
    std::string path;
    ASSERT_TRUE(standin.Control(R"({"update_bytes_per_second":2000})"));  // three seconds
    EXPECT_EQ(CurlExchange(scan, url, path, "", "application/json", ""), 28) << "past the scans' limit";
    path.clear();
    EXPECT_EQ(CurlExchange(download, url, path, "", "application/json", ""), 0);
    EXPECT_EQ(ReadBytes(path), std::string(6000, 'x'));
    DeleteFileA(path.c_str());

    ASSERT_TRUE(standin.Control(R"({"update_mode":"stall"})"));
    ULONGLONG started = GetTickCount64();
    EXPECT_EQ(CurlExchange(download, url, path, "", "application/json", ""), 28);
    EXPECT_LT(GetTickCount64() - started, 10000u);
    EXPECT_TRUE(ListFolder(folder.Path()).empty()) << "the part it had is deleted";
    ASSERT_TRUE(standin.Control(R"({"update_mode":"normal","update_bytes_per_second":0})"));
}

// An answer past its cap ends curl, also one that declares no length and
// never ends, and leaves no file behind.
TEST(DownloadLimits, AnAnswerPastItsCapIsCutAndLeavesNoFile)
{
    StandinClient standin;
    ASSERT_TRUE(standin.Available());
    TempFolder folder;
    const long long cap = 64 << 10;
    WriteBytes(standin.UpdateFolder() + "\\at-cap.txt", std::string(cap, 'x'));
    WriteBytes(standin.UpdateFolder() + "\\past-cap.txt", std::string(cap + 1, 'x'));
    struct Case {
        const char* name;
        const char* mode;
        long long maxBytes;  // 0: the default, a service reply's
        int result;
    } cases[] = {
        {"at-cap.txt", "normal", cap, 0},
        {"past-cap.txt", "normal", cap, 63},
        {"at-cap.txt", "endless", cap, 63},
        {"at-cap.txt", "endless", 0, 63},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + c.mode + " " + std::to_string(c.maxBytes));
        ASSERT_TRUE(standin.Control(std::string(R"({"update_mode":")") + c.mode + "\"}"));
        CurlContext context;
        context.downloadFolder = folder.Path();
        if (c.maxBytes) context.maxBytes = c.maxBytes;
        std::string path;
        std::string url = "http://" + standin.Host() + "/pellwick/" + c.name + "?acc=PHARM01&ver=1.190416";
        EXPECT_EQ(CurlExchange(context, url, path, "", "application/json", ""), c.result);
        EXPECT_EQ(ListFolder(folder.Path()).size(), c.result == 0 ? 1u : 0u);
        if (!path.empty()) DeleteFileA(path.c_str());
    }
    ASSERT_TRUE(standin.Control(R"({"update_mode":"normal"})"));
}

// What earlier runs left in the download folder goes at start; other files stay.
TEST(DownloadLimits, LeftoversOfEarlierRunsAreRemoved)
{
    TempFolder folder;
    for (const char* name : {"638412345678", "update.exe", "CP210xVCPInstaller_x64.exe", "Zebra_CDC_ACM_Driver_x86.exe",
                             "notes.txt", "12a", "update.exe.bak"})
        WriteBytes(folder / name, "x");
    RemoveLeftoverDownloads(folder.Path());
    EXPECT_EQ(ListFolder(folder.Path()), (std::vector<std::string>{"12a", "notes.txt", "update.exe.bak"}));
}
