// The real program's scan path: a spool file whose exchange is cut off by the
// end of the process is sent again at the next start.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "app/instance_rules.h"
#include "core/settings_store.h"
#include "support/scan_fixture.h"

namespace {

std::string AppFolder()
{
    char roaming[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming);
    return std::string(roaming) + "\\QuorvixFMD Pellwick";
}

void SetRegistry(const char* name, const std::string& value)
{
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

class ProgramScan : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(standin.Available());
        DeleteTree(AppFolder());
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
        SetRegistry("Username", "PHARM01");
        SetRegistry("Password", "s3cret");
        SetRegistry("ServiceHost", standin.Host());
        CreateDirectoryA(AppFolder().c_str(), nullptr);
        CreateDirectoryA(ScanFolder().c_str(), nullptr);
    }
    void TearDown() override
    {
        DeleteTree(AppFolder());
        RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKey);
    }
    static std::string ScanFolder() { return AppFolder() + "\\Scanned"; }
    // The requests for packs; the program also checks its account at start.
    std::vector<std::string> PackRequests() const
    {
        std::vector<std::string> packs;
        for (const std::string& request : standin.Requests())
            if (request.find("API.Login.Request") == std::string::npos) packs.push_back(request);
        return packs;
    }

    StandinClient standin;
};

}  // namespace

TEST_F(ProgramScan, ScanCutOffByTheEndOfTheProcessIsSentAgainAtTheNextStart)
{
    ASSERT_TRUE(standin.Control(R"({"delay_ms":20000})"));
    WriteBytes(ScanFolder() + "\\1234567.dat", "1" "0104150123456782" "21DEMO0001");
    {
        ChildProcess first(BinaryPath("Pellwick.exe"), "");
        ASSERT_TRUE(WaitFor([&] { return PackRequests().size() == 1; }, 30000));
        first.Kill();  // in the middle of the exchange
    }
    EXPECT_TRUE(PathExists(ScanFolder() + "\\1234567.dat")) << "the scan must not be lost";

    ASSERT_TRUE(standin.Control(R"({"delay_ms":0})"));
    ChildProcess second(BinaryPath("Pellwick.exe"), "");
    ASSERT_TRUE(WaitFor([&] { return !PathExists(ScanFolder() + "\\1234567.dat"); }, 30000));
    std::vector<std::string> sent = PackRequests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], sent[1]);
    EXPECT_TRUE(WaitFor([&] { return ListFolder(ScanFolder()).empty(); }, 5000));
}

namespace {

// The id of a running process named `name` whose parent is `parent`, or 0.
DWORD ChildNamed(DWORD parent, const char* name)
{
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.Get(), &entry); more; more = Process32Next(snapshot.Get(), &entry))
        if (entry.th32ParentProcessID == parent && _stricmp(entry.szExeFile, name) == 0) return entry.th32ProcessID;
    return 0;
}

}  // namespace

// Each round kills the program the moment its curl.exe shows, then waits for
// that curl to end: none may outlive the program.
TEST_F(ProgramScan, KillingTheProgramTheMomentCurlAppearsEndsThatCurl)
{
    ASSERT_TRUE(standin.Control(R"({"delay_ms":20000})"));  // the start's login exchange hangs
    for (int round = 0; round < 15; ++round) {
        ChildProcess program(BinaryPath("Pellwick.exe"), "");
        KernelHandle programProcess(OpenProcess(PROCESS_TERMINATE, FALSE, program.Id()));
        DWORD curl = 0;
        ASSERT_TRUE(WaitFor([&] { return (curl = ChildNamed(program.Id(), "curl.exe")) != 0; }, 30000));
        TerminateProcess(programProcess.Get(), 9);  // nothing of the program runs after this
        KernelHandle curlProcess(OpenProcess(SYNCHRONIZE, FALSE, curl));
        if (!curlProcess) continue;  // already gone
        ASSERT_EQ(WaitForSingleObject(curlProcess.Get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0))
            << "round " << round << ": curl.exe outlived the program";
    }
}
