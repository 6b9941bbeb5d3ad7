// Benchmark: what the pharmacist waits for. Starts the real program and times
// its start-up (to the main window shown, to the first "Listening to COMn"
// row), then types barcodes on the scanner and times each until its row shows
// the final status, side by side with bare curl.exe exchanges of the same
// request against the same stand-in, and with timed curl runs that split an
// exchange. Run it through tools/bench/scan-to-row.sh.
// Usage: scan_to_row_bench.exe <program> <scanner input> <COMn> <service host> <scans> <csv out> <trace>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "base/text_escape.h"
#include "framework/file_ops.h"
#include "framework/win_handle.h"
#include "res/version.h"
#include "verify/curl_command.h"
#include "verify/request_templates.h"

namespace {

constexpr int kResultsListId = 1015;
constexpr int kStatusColumn = 1, kBarcodeColumn = 3;
constexpr DWORD kStartTimeoutMs = 60000, kScanTimeoutMs = 60000;
constexpr int kScanCheckRowsAtMost = 4;
// Each look at the list costs the program's Wine server three requests and
// its window thread a message: looked at every 5 ms during the exchange, the
// list slowed the very scan being timed by some 20 ms. So the bench waits on
// the program's trace, a file read that costs the program nothing, and looks
// at the list once its line says the row has its answer. Every 5 ms adds
// 2.5 ms on average.
constexpr DWORD kPollMs = 5;
constexpr int32_t kDecommission = 1;  // the mode the program forces at start
constexpr SIZE_T kTextSize = 1024;
// curl's own clock: connected, TLS done, request about to go, first reply
// byte, end.
constexpr const char kWriteOut[] = "%{time_connect} %{time_appconnect} %{time_pretransfer} %{time_starttransfer} %{time_total}";

double NowMs()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls every kPollMs; the time at which `ready` held, or a negative
// number after `timeoutMs`.
double WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs)
{
    double deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        if (ready()) return NowMs();
        Sleep(kPollMs);
    }
    return -1;
}

// The program's results list, read from outside: its texts live in the
// program's memory, so the item and its buffer are placed there.
class RemoteList {
public:
    bool Attach(HWND list)
    {
        DWORD processId = 0;
        GetWindowThreadProcessId(list, &processId);
        m_process.Reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
        if (!m_process) return false;
        m_block = static_cast<char*>(
            VirtualAllocEx(m_process.Get(), nullptr, sizeof(LVITEMA) + kTextSize, MEM_COMMIT, PAGE_READWRITE));
        m_list = list;
        return m_block != nullptr;
    }
    int Rows() const { return static_cast<int>(SendMessageA(m_list, LVM_GETITEMCOUNT, 0, 0)); }
    std::string Cell(int row, int column) const
    {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = m_block + sizeof(LVITEMA);
        item.cchTextMax = static_cast<int>(kTextSize);
        char text[kTextSize] = "";
        if (!WriteProcessMemory(m_process.Get(), m_block, &item, sizeof item, nullptr)) return "";
        SendMessageA(m_list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(m_block));
        ReadProcessMemory(m_process.Get(), item.pszText, text, sizeof text - 1, nullptr);
        return text;
    }

private:
    KernelHandle m_process;
    char* m_block = nullptr;  // freed with the program
    HWND m_list = nullptr;
};

// The program's trace file, read as it grows: each look returns the lines
// written since the last one. A rotation (the file renamed, a new one begun)
// is followed by reading the new file from its start.
class TraceWatch {
public:
    explicit TraceWatch(std::string path) : m_path(std::move(path)) {}

    // Skips what is there already.
    void SkipToEnd()
    {
        Open();
        if (m_file) m_offset = SetFilePointer(m_file.Get(), 0, nullptr, FILE_END);
        m_partial.clear();
    }

    std::vector<std::string> NewLines()
    {
        std::vector<std::string> lines;
        if (!m_file) return lines;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(m_file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
            m_offset += got;
            m_partial.append(chunk, got);
        }
        for (size_t end; (end = m_partial.find('\n')) != std::string::npos; m_partial.erase(0, end + 1))
            lines.push_back(m_partial.substr(0, end));
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (lines.empty() && GetFileAttributesExA(m_path.c_str(), GetFileExInfoStandard, &data) &&
            data.nFileSizeLow < m_offset) {  // rotated
            Open();
            m_offset = 0;
            m_partial.clear();
        }
        return lines;
    }

private:
    void Open()
    {
        m_file.Reset(CreateFileA(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
    }

    std::string m_path;
    FileHandle m_file;
    DWORD m_offset = 0;
    std::string m_partial;
};

// Runs a command and waits for it; its exit code, or -1. With `output`, the
// command's standard output goes to that file.
int Run(const std::string& executable, std::string commandLine, HANDLE output = nullptr)
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW | (output ? STARTF_USESTDHANDLES : 0);
    startup.wShowWindow = SW_HIDE;
    startup.hStdOutput = output;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(executable.c_str(), &commandLine[0], nullptr, nullptr, output != nullptr, 0, nullptr, nullptr,
                        &startup, &info))
        return -1;
    KernelHandle process(info.hProcess), thread(info.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}

// The wall clock in ms since 1970, as the program's trace stamps its lines.
double WallMs()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER ticks{{now.dwLowDateTime, now.dwHighDateTime}};
    return static_cast<double>(ticks.QuadPart - 116444736000000000ULL) / 10000.0;
}

struct Sample {
    double scanMs = -1, bareMs = -1;
    double typedAt = 0, rowAt = 0;  // WallMs of the scan's bytes written and of its final row
    // The timed exchange: its wall time and curl's own five times (s).
    double wallMs = 0;
    double curl[5] = {};
};

class Bench {
public:
    explicit Bench(char** argv)
        : m_program(argv[1]), m_scannerInput(argv[2]), m_port(argv[3]), m_host(argv[4]),
          m_curl(FolderOf(m_program) + "\\curl.exe"), m_folder(FolderOf(argv[6])), m_trace(argv[7])
    {
    }

    // Also the start's wall time, for the trace.
    bool StartProgram(double& startedAt, double& shownMs, double& listeningMs);
    bool Measure(int index, Sample& sample);

private:
    static std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }
    static std::string Barcode(char tag, int index)
    {
        char serial[16];
        std::snprintf(serial, sizeof serial, "%c%05d", tag, index);
        // A whole pack code, as a pack carries it: a code with an element
        // missing would add its "Scan check" rows to every scan's time.
        return std::string("0104150123456782" "17291231" "10LOT24A\x1D" "21") + serial;
    }
    std::string CurlLine(const std::string& scheme, const std::string& post, const std::string& reply) const
    {
        return BuildCurlCommandLine({reply, "@" + post, "application/json", "", scheme + ServiceEndpoint(m_host)});
    }
    std::string WriteRequest(const std::string& barcode, const std::string& name) const;
    bool Scan(const std::string& barcode, Sample& sample);
    double Bare(const std::string& barcode);
    bool TimedExchange(const std::string& barcode, Sample& sample);

    std::string m_program, m_scannerInput, m_port, m_host, m_curl;
    std::string m_folder;  // the bare exchanges' files, beside the figures
    TraceWatch m_trace;
    KernelHandle m_programProcess;
    RemoteList m_list;
};

bool Bench::StartProgram(double& startedAt, double& shownMs, double& listeningMs)
{
    const std::string title = "QuorvixFMD Pellwick Version " PELLWICK_VERSION;
    const std::string listening = "Listening to " + m_port;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + m_program + "\"";
    startedAt = WallMs();
    double start = NowMs();
    // Without this bench's console, as the desktop starts it at logon.
    if (!CreateProcessA(m_program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr,
                        &startup, &info))
        return false;
    m_programProcess.Reset(info.hProcess);
    CloseHandle(info.hThread);
    HWND window = nullptr;
    double shown = WaitUntil([&] { return (window = FindWindowA(nullptr, title.c_str())) && IsWindowVisible(window); },
                             kStartTimeoutMs);
    if (shown < 0 || !m_list.Attach(GetDlgItem(window, kResultsListId))) return false;
    double listed = WaitUntil([&] {
        for (int row = m_list.Rows() - 1; row >= 0; --row)
            if (m_list.Cell(row, kBarcodeColumn) == listening) return true;
        return false;
    }, kStartTimeoutMs);
    shownMs = shown - start;
    listeningMs = listed - start;
    return listed >= 0;
}

std::string Bench::WriteRequest(const std::string& barcode, const std::string& name) const
{
    std::string post = m_folder + "\\" + name;
    WriteWholeFile(post, FillRequestTemplate(RequestTemplate(kDecommission), "PHARM01", "s3cret", EscapeBarcode(barcode)));
    return post;
}

// Types the barcode as the scanner does and waits for its row's final
// status: the trace names the scan's spool file, then says when its row shows
// an answer; from then on the list is read until it shows it.
bool Bench::Scan(const std::string& barcode, Sample& sample)
{
    std::string typed = barcode + "\r\n";
    FileHandle input(CreateFileA(m_scannerInput.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    DWORD written = 0;
    if (!input) return false;
    m_trace.SkipToEnd();
    sample.typedAt = WallMs();
    double start = NowMs();
    if (!WriteFile(input.Get(), typed.data(), static_cast<DWORD>(typed.size()), &written, nullptr)) return false;
    std::string key;
    auto answerTraced = [&] {
        for (const std::string& line : m_trace.NewLines()) {
            size_t saved = line.find("Saved to \"");
            if (key.empty() && saved != std::string::npos)
                key = line.substr(saved + 10, line.find(".dat\"", saved) - saved - 10);
            else if (!key.empty() && line.find("Results - row \"" + key + "\" shows ") != std::string::npos &&
                     line.find(" shows Scanned") == std::string::npos)
                return true;
        }
        return false;
    };
    // The scan's row is the newest, unless "Scan check" rows came just
    // after its answer: then it is one of the next rows.
    const std::string shown = EscapeBarcode(barcode);  // as the list writes it
    auto answerListed = [&] {
        for (int row = 0; row <= kScanCheckRowsAtMost; ++row)
            if (m_list.Cell(row, kBarcodeColumn) == shown) return m_list.Cell(row, kStatusColumn) != "Scanned";
        return false;
    };
    double done = WaitUntil(answerTraced, kScanTimeoutMs) < 0 ? -1 : WaitUntil(answerListed, kScanTimeoutMs);
    sample.rowAt = WallMs();
    sample.scanMs = done - start;
    return done >= 0;
}

// The same exchange as the worker's on the default transport: one https run.
double Bench::Bare(const std::string& barcode)
{
    std::string post = WriteRequest(barcode, "bare.post"), reply = m_folder + "\\bare.reply";
    double start = NowMs();
    Run(m_curl, CurlLine("https://", post, reply));
    double ms = NowMs() - start;
    DeleteFileA(post.c_str());
    DeleteFileA(reply.c_str());
    return ms;
}

// The same run again, with curl's own clock written out.
bool Bench::TimedExchange(const std::string& barcode, Sample& sample)
{
    std::string post = WriteRequest(barcode, "timed.post"), reply = m_folder + "\\timed.reply";
    std::string times = m_folder + "\\timed.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    FileHandle output(CreateFileA(times.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
    double start = NowMs();
    int code = Run(m_curl, CurlLine("https://", post, reply) + " --write-out " + QuoteArgument(kWriteOut), output.Get());
    sample.wallMs = NowMs() - start;
    output.Reset();
    std::string text;
    ReadWholeFile(times, text);
    double* t = sample.curl;
    std::sscanf(text.c_str(), "%lf %lf %lf %lf %lf", &t[0], &t[1], &t[2], &t[3], &t[4]);
    for (const std::string& path : {post, reply, times}) DeleteFileA(path.c_str());
    return code == 0;
}

// One round: a scan and a bare exchange, each with a pack of its own, in
// turns first; every other round a timed exchange too.
bool Bench::Measure(int index, Sample& sample)
{
    if (index % 2 == 0) sample.bareMs = Bare(Barcode('B', index));
    if (!Scan(Barcode('S', index), sample)) return false;
    if (index % 2 == 1) sample.bareMs = Bare(Barcode('B', index));
    return index % 2 == 1 || TimedExchange(Barcode('T', index), sample);
}

double Percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    size_t at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

template <typename Field>
void PrintLine(const char* name, const std::vector<Sample>& samples, Field field)
{
    std::vector<double> values;
    for (const Sample& s : samples) values.push_back(field(s));
    std::printf("%-44s %8.1f %8.1f\n", name, Percentile(values, 0.5), Percentile(values, 0.95));
}

void PrintSplit(const std::vector<Sample>& all)
{
    std::vector<Sample> samples;
    for (const Sample& s : all)
        if (s.wallMs > 0) samples.push_back(s);
    std::printf("\nan https exchange, split (ms)                 median      p95\n");
    PrintLine("process start and exit", samples, [](const Sample& s) { return s.wallMs - 1000 * s.curl[4]; });
    PrintLine("connecting", samples, [](const Sample& s) { return 1000 * s.curl[0]; });
    PrintLine("TLS handshake", samples, [](const Sample& s) { return 1000 * (s.curl[1] - s.curl[0]); });
    PrintLine("request until first reply byte", samples, [](const Sample& s) { return 1000 * (s.curl[3] - s.curl[2]); });
    PrintLine("reading the reply", samples, [](const Sample& s) { return 1000 * (s.curl[4] - s.curl[3]); });
    PrintLine("wall", samples, [](const Sample& s) { return s.wallMs; });
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 8) {
        std::fprintf(stderr,
                     "usage: scan_to_row_bench <program> <scanner input> <COMn> <service host> <scans> <csv> <trace>\n");
        return 2;
    }
    Bench bench(argv);
    double startedAt = 0, shownMs = 0, listeningMs = 0;
    if (!bench.StartProgram(startedAt, shownMs, listeningMs)) {
        std::fprintf(stderr, "scan_to_row_bench: the program did not start\n");
        return 1;
    }
    std::printf("start-up: main window shown after %.1f ms, first \"Listening to %s\" row after %.1f ms\n", shownMs,
                argv[3], listeningMs);
    Sleep(6000);  // past the start's timers and the first update check
    const int scans = std::atoi(argv[5]);
    std::vector<Sample> samples(static_cast<size_t>(scans));
    FILE* csv = std::fopen(argv[6], "w");
    if (!csv) return 1;
    std::fprintf(csv, "# started_at,shown_ms,listening_ms\n%.1f,%.1f,%.1f\n", startedAt, shownMs, listeningMs);
    std::fprintf(csv, "scan_ms,bare_ms,typed_at,row_at\n");
    for (int i = 0; i < scans; ++i) {
        Sample& s = samples[static_cast<size_t>(i)];
        if (!bench.Measure(i, s)) {
            std::fprintf(stderr, "scan_to_row_bench: scan %d had no final row within %lu ms\n", i,
                         static_cast<unsigned long>(kScanTimeoutMs));
            return 1;
        }
        std::fprintf(csv, "%.2f,%.2f,%.1f,%.1f\n", s.scanMs, s.bareMs, s.typedAt, s.rowAt);
    }
    std::fclose(csv);
    std::printf("%d scans                                        median      p95\n", scans);
    PrintLine("scan to final row (ms)", samples, [](const Sample& s) { return s.scanMs; });
    PrintLine("bare curl.exe exchange (ms)", samples, [](const Sample& s) { return s.bareMs; });
    std::vector<double> scan, bare;
    for (const Sample& s : samples) scan.push_back(s.scanMs), bare.push_back(s.bareMs);
    std::printf("median ratio scan / bare: %.3f (target <= 1.05)\n", Percentile(scan, 0.5) / Percentile(bare, 0.5));
    // Each round's scan beside its own bare exchange: the program's own cost.
    PrintLine("the program's own cost, scan - bare (ms)", samples, [](const Sample& s) { return s.scanMs - s.bareMs; });
    PrintSplit(samples);
    return 0;
}
