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
    JobAttribute(HANDLE&&) = delete;  // the handle must outlive the list
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

// One curl.exe inside a job that ends it with this object, so no curl
// outlives its exchange. It may be created held, before its first
// instruction: the creation (under Wine some 20-30 ms of a run's 120) is then
// paid ahead, and nothing runs until Run.
class CurlProcess {
public:
    // False when it cannot be created. A held one is made only where the job
    // holds it from its creation: held outside the job, a kill of this
    // program would leave it waiting for ever.
    bool Create(const std::string& executable, std::string commandLine, bool held)
    {
        m_job = KillOnCloseJob();
        HANDLE job = m_job.Get();  // the attribute keeps its address until CreateProcess
        JobAttribute inJob(job);
        if (held && !inJob.Get()) return false;
        STARTUPINFOEXA startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
        startup.StartupInfo.wShowWindow = SW_HIDE;
        startup.lpAttributeList = inJob.Get();
        // Where the job cannot be given at creation (no job, or a Windows
        // without the attribute), curl joins it just after: never held, so a
        // kill in between leaves a curl that its own time limits end.
        // Without a console: curl.exe is a console program, and one started
        // from this windowed program would get a console of its own each time
        // (under Wine a console host process, some 300 ms more per run).
        // curl's output goes to files; it prints nothing that is read.
        DWORD flags = (inJob.Get() ? EXTENDED_STARTUPINFO_PRESENT : 0) | DETACHED_PROCESS | (held ? CREATE_SUSPENDED : 0);
        PROCESS_INFORMATION info{};
        if (executable.empty() || !CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, FALSE, flags,
                                                  nullptr, nullptr, &startup.StartupInfo, &info)) {
            m_error = executable.empty() ? ERROR_FILE_NOT_FOUND : GetLastError();
            return false;
        }
        m_process.Reset(info.hProcess);
        m_thread.Reset(info.hThread);
        m_held = held;
        if (m_job && !inJob.Get()) AssignProcessToJobObject(m_job.Get(), m_process.Get());
        return true;
    }
    bool Exists() const { return m_process.Valid(); }
    DWORD Error() const { return m_error; }

    void Run()
    {
        if (m_held) ResumeThread(m_thread.Get());
        m_held = false;
    }

    // Waits for the end of a running curl: its exit code; 28 when it ran
    // past waitMs, 63 when its output outgrew the cap (both then ended).
    int Finish(DWORD waitMs, bool pumpMessages, const OutputWatch& output)
    {
        if (!WaitForProcess(m_process.Get(), waitMs, pumpMessages, output)) {
            bool tooLarge = output.Exceeded();
            if (tooLarge)
                Log("curl's answer past %lld bytes: ended", output.maxBytes);
            else
                Log("curl still running %lu ms after its start: ended", static_cast<unsigned long>(waitMs));
            TerminateProcess(m_process.Get(), tooLarge ? kFileSizeExceeded : kTimedOut);
            WaitForSingleObject(m_process.Get(), 5000);
            return tooLarge ? kFileSizeExceeded : kTimedOut;
        }
        DWORD exitCode = 0;
        GetExitCodeProcess(m_process.Get(), &exitCode);
        return static_cast<int>(exitCode);
    }

private:
    KernelHandle m_job, m_process, m_thread;
    bool m_held = false;
    DWORD m_error = 0;
};

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

struct CurlExchangeRun::Steps {
    CurlContext context;
    std::string commandLine, outputPath;
    bool outputExisted = false;
    CurlProcess curl;
};

CurlExchangeRun::CurlExchangeRun(const CurlContext& context, const std::string& url, const std::string& data,
                                 const std::string& contentType, std::string outputPath)
    : m_steps(std::make_unique<Steps>())
{
    if (outputPath.empty()) outputPath = MakeUniqueFileName(context.downloadFolder, "", "dat");
    CurlCommand command{outputPath, data, contentType, context.proxy, url, context.connectTimeoutSeconds,
                        context.totalTimeoutSeconds, context.lowSpeedBytesPerSecond, context.lowSpeedSeconds};
    m_steps->context = context;
    m_steps->commandLine = BuildCurlCommandLine(command);
    m_steps->outputPath = outputPath;
}

CurlExchangeRun::~CurlExchangeRun() = default;

void CurlExchangeRun::Prepare()
{
    if (!m_steps->curl.Exists()) m_steps->curl.Create(FindCurlExecutable(), m_steps->commandLine, true);
}

void CurlExchangeRun::Start()
{
    Steps& steps = *m_steps;
    if (IsTestAccount(steps.context.username)) AddLogRow("Curl = %s", steps.commandLine.c_str());
    steps.outputExisted = FileExists(steps.outputPath);
    if (!steps.curl.Exists() && !steps.curl.Create(FindCurlExecutable(), steps.commandLine, false)) {
        std::printf("CreateProcess failed (%lu).\n", static_cast<unsigned long>(steps.curl.Error()));
        return;
    }
    steps.curl.Run();
}

int CurlExchangeRun::Finish(std::string& resultPath)
{
    Steps& steps = *m_steps;
    if (!steps.curl.Exists()) return -1;
    DWORD waitMs = static_cast<DWORD>(steps.context.totalTimeoutSeconds) * 1000 + kBackstopGraceMs;
    OutputWatch output{steps.outputPath, steps.context.maxBytes};
    int result = steps.curl.Finish(waitMs, steps.context.pumpMessages, output);
    // Checked again at the end: the last burst may have come after the last look.
    if (result == 0 && output.Exceeded()) result = kFileSizeExceeded;
    if (result != 0 && !steps.outputExisted) DeleteFileA(steps.outputPath.c_str());
    if (result != 0) {
        Log("download failed %d - %s", result, CurlErrorName(result));
        return result;
    }
    resultPath = steps.outputPath;
    return 0;
}

int CurlExchange(const CurlContext& context, const std::string& url, std::string& resultPath, const std::string& data,
                 const std::string& contentType, std::string outputPath)
{
    CurlExchangeRun run(context, url, data, contentType, std::move(outputPath));
    run.Start();
    return run.Finish(resultPath);
}
