// Running curl.exe hidden, inside a job object that ends it with its handle.
#include "verify/curl_exchange.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/log.h"
#include "core/program_context.h"
#include "framework/dialog.h"
#include "framework/win_handle.h"
#include "framework/file_ops.h"
#include "core/scan_result.h"
#include "core/scan_result_post.h"

namespace {

// How long past its own limit curl may run before it is ended.
constexpr DWORD kBackstopGraceMs = 15 * 1000;
constexpr int kTimedOut = 28;  // curl's OPERATION TIMEDOUT

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ProgramFolder()
{
    char path[MAX_PATH] = "";
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return length > 0 && length < sizeof path ? FolderOf(path) : std::string();
}

// A job that kills its processes when its last handle closes, so no curl
// outlives the exchange.
KernelHandle KillOnCloseJob()
{
    KernelHandle job(CreateJobObjectA(nullptr, nullptr));
    if (!job) return job;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

// PROC_THREAD_ATTRIBUTE_JOB_LIST, which the headers give only from Windows 10
// on; older Windows refuse it, and curl then joins the job after its start.
constexpr DWORD_PTR kJobListAttribute = 0x0002000D;

// An attribute list that makes CreateProcess start the child inside the job.
// Created there in one step, curl cannot outlive a kill of this program at
// any moment; put into the job only after its creation, a kill in between
// would leave it running on its own.
class JobAttribute {
public:
    explicit JobAttribute(const HANDLE& job)
    {
        if (!job) return;
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_buffer.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data());
        if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        if (!UpdateProcThreadAttribute(list, 0, kJobListAttribute, const_cast<HANDLE*>(&job),
                                       sizeof job, nullptr, nullptr)) {
            DeleteProcThreadAttributeList(list);
            return;
        }
        m_list = list;
    }
    ~JobAttribute()
    {
        if (m_list) DeleteProcThreadAttributeList(m_list);
    }
    JobAttribute(const JobAttribute&) = delete;
    JobAttribute& operator=(const JobAttribute&) = delete;
    LPPROC_THREAD_ATTRIBUTE_LIST Get() const { return m_list; }

private:
    std::vector<char> m_buffer;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
};

// The size of a file; -1 when there is none.
long long FileSize(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

// curl's own size limit ignores answers that declare no length: its output
// is looked at while it runs.
struct OutputWatch {
    std::string path;
    long long maxBytes;
    bool Exceeded() const { return FileSize(path) > maxBytes; }
};
constexpr DWORD kOutputWatchMs = 20;
constexpr int kFileSizeExceeded = 63;  // curl's FILESIZE EXCEEDED

// Waits for the process, dispatching the thread's messages meanwhile when
// asked to; true when it ended within waitMs and before its output outgrew
// the cap.
bool WaitForProcess(HANDLE process, DWORD waitMs, bool pumpMessages, const OutputWatch& output)
{
    ULONGLONG deadline = GetTickCount64() + waitMs;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kOutputWatchMs));
        DWORD woke = pumpMessages ? MsgWaitForMultipleObjects(1, &process, FALSE, slice, QS_ALLINPUT)
                                  : WaitForSingleObject(process, slice);
        if (woke == WAIT_OBJECT_0) return true;
        if (output.Exceeded()) return false;
        if (!pumpMessages) continue;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (RouteDialogMessage(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Starts curl and waits for it; -1 when it cannot be started.
int RunCurl(const std::string& executable, std::string commandLine, DWORD waitMs, bool pumpMessages,
            const OutputWatch& output)
{
    KernelHandle job = KillOnCloseJob();
    HANDLE jobHandle = job.Get();
    JobAttribute inJob(jobHandle);
    STARTUPINFOEXA startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.lpAttributeList = inJob.Get();
    // Where the job cannot be given at creation (no job, or a Windows without
    // the attribute), curl joins it just after: never suspended, so a kill in
    // between leaves a curl that its own time limits end.
    // Without a console: curl.exe is a console program, and one started from
    // this windowed program would get a console of its own each time (under
    // Wine a console host process, some 300 ms more per run). curl's output
    // goes to files; it prints nothing that is read.
    DWORD flags = (inJob.Get() ? EXTENDED_STARTUPINFO_PRESENT : 0) | DETACHED_PROCESS;
    PROCESS_INFORMATION info{};
    if (executable.empty() || !CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags,
                                              nullptr, nullptr, &startup.StartupInfo, &info)) {
        DWORD error = executable.empty() ? ERROR_FILE_NOT_FOUND : GetLastError();
        std::printf("CreateProcess failed (%lu).\n", static_cast<unsigned long>(error));
        return -1;
    }
    KernelHandle process(info.hProcess), thread(info.hThread);
    if (job && !inJob.Get()) AssignProcessToJobObject(job.Get(), process.Get());

    if (!WaitForProcess(process.Get(), waitMs, pumpMessages, output)) {
        bool tooLarge = output.Exceeded();
        if (tooLarge)
            Log("curl's answer past %lld bytes: ended", output.maxBytes);
        else
            Log("curl still running %lu ms after its start: ended", static_cast<unsigned long>(waitMs));
        TerminateProcess(process.Get(), tooLarge ? kFileSizeExceeded : kTimedOut);
        WaitForSingleObject(process.Get(), 5000);
        return tooLarge ? kFileSizeExceeded : kTimedOut;
    }
    DWORD exitCode = 0;
    GetExitCodeProcess(process.Get(), &exitCode);
    return static_cast<int>(exitCode);
}

}  // namespace

CurlContext ContextFor(const AppSettings& settings)
{
    CurlContext context;
    context.proxy = settings.Proxy;
    context.username = settings.Username;
    if (ProgramContext* app = ProgramContext::Current()) context.downloadFolder = app->DownloadFolder;
    return context;
}

CurlContext DownloadContext(CurlContext context)
{
    context.totalTimeoutSeconds = kDownloadTotalTimeoutSeconds;
    context.lowSpeedBytesPerSecond = kDownloadLowSpeedBytesPerSecond;
    context.lowSpeedSeconds = kDownloadLowSpeedSeconds;
    context.pumpMessages = true;
    context.maxBytes = kInstallerMaxBytes;
    return context;
}

std::string FindCurlExecutable()
{
    std::string beside = ProgramFolder() + "\\curl.exe";
    if (FileExists(beside)) return beside;
    char system[MAX_PATH] = "";
    UINT length = GetSystemDirectoryA(system, sizeof system);
    std::string inSystem = std::string(system, length < sizeof system ? length : 0) + "\\curl.exe";
    return length > 0 && FileExists(inSystem) ? inSystem : std::string();
}

int CurlExchange(const CurlContext& context, const std::string& url, std::string& resultPath, const std::string& data,
                 const std::string& contentType, std::string outputPath)
{
    if (outputPath.empty()) outputPath = MakeUniqueFileName(context.downloadFolder, "", "dat");
    CurlCommand command{outputPath, data, contentType, context.proxy, url, context.connectTimeoutSeconds,
                        context.totalTimeoutSeconds, context.lowSpeedBytesPerSecond, context.lowSpeedSeconds};
    std::string commandLine = BuildCurlCommandLine(command);
    if (IsTestAccount(context.username)) AddLogRow("Curl = %s", commandLine.c_str());

    DWORD waitMs = static_cast<DWORD>(context.totalTimeoutSeconds) * 1000 + kBackstopGraceMs;
    bool outputExisted = FileExists(outputPath);
    OutputWatch output{outputPath, context.maxBytes};
    int result = RunCurl(FindCurlExecutable(), commandLine, waitMs, context.pumpMessages, output);
    // Checked again at the end: the last burst may have come after the last look.
    if (result == 0 && output.Exceeded()) result = kFileSizeExceeded;
    if (result != 0 && !outputExisted) DeleteFileA(outputPath.c_str());
    if (result == -1) return -1;
    if (result != 0) {
        Log("download failed %d - %s", result, CurlErrorName(result));
        return result;
    }
    resultPath = outputPath;
    return 0;
}
