// Test surroundings of the scan path.
#include "support/scan_fixture.h"

#include <winsock2.h>

#include <cstdlib>

#include "core/scan_result_post.h"
#include "ui/controls/message_box.h"

CollectingWindow::CollectingWindow()
{
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &CollectingWindow::Proc;
    windowClass.lpszClassName = "PellwickCollector";
    RegisterClassA(&windowClass);
    // A hidden top-level window, so that boxes it owns are found like the
    // main window's.
    m_window = CreateWindowExA(0, "PellwickCollector", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CollectingWindow::~CollectingWindow()
{
    DestroyWindow(m_window);
    // Records still queued for the window are freed with the queue's messages.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_SCANRESULT, WM_SCANRESULT, PM_REMOVE))
        delete reinterpret_cast<ScanResult*>(msg.lParam);
}

bool CollectingWindow::WaitForRecords(size_t count, DWORD timeoutMs)
{
    return PumpUntil([&] { return records.size() >= count; }, timeoutMs);
}

std::vector<const ScanResult*> CollectingWindow::Results() const
{
    std::vector<const ScanResult*> results;
    for (const auto& record : records)
        if (record->kind != ScanResultKind::Log) results.push_back(record.get());
    return results;
}

std::vector<std::string> CollectingWindow::LogRows() const
{
    std::vector<std::string> rows;
    for (const auto& record : records)
        if (record->kind == ScanResultKind::Log) rows.push_back(record->barcode);
    return rows;
}

LRESULT CALLBACK CollectingWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = reinterpret_cast<CollectingWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_SCANRESULT && self) {
        self->records.emplace_back(reinterpret_cast<ScanResult*>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

TestScanHost::TestScanHost() { g_mainDialog.Publish(this); }

TestScanHost::~TestScanHost() { g_mainDialog.Retire(std::chrono::seconds(10)); }

// The program's own box, owned by this host's window.
MessageBoxFunction TestScanHost::MessageBoxShower() const { return &ShowMessageBox; }

void TestScanHost::SetCredentials(const std::string& user, const std::string& password, const std::string& host)
{
    AppSettings values = settings.Snapshot();
    values.Username = user;
    values.Password = password;
    values.ServiceHost = host;
    settings.Replace(values);
}

StandinClient::StandinClient()
{
    if (const char* port = std::getenv("STANDIN_PORT")) m_port = std::atoi(port);
    if (const char* dir = std::getenv("STANDIN_RECORD_DIR")) m_recordDir = dir;
    if (const char* dir = std::getenv("STANDIN_UPDATE_DIR")) m_updateDir = dir;
}

std::vector<std::string> StandinClient::UpdateRequests() const
{
    return LinesOf(ReadBytes(m_updateDir + "\\requests.txt"));
}

bool StandinClient::Control(const std::string& json) { return ControlAnswer(json).has_value(); }

std::optional<std::string> StandinClient::ControlAnswer(const std::string& json)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET connection = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(m_port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        std::string request = "POST /control HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                              "Connection: close\r\nContent-Length: " +
                              std::to_string(json.size()) + "\r\n\r\n" + json;
        send(connection, request.data(), static_cast<int>(request.size()), 0);
        char buffer[1024];
        for (int got; (got = recv(connection, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, got);
    }
    closesocket(connection);
    if (answer.compare(0, 12, "HTTP/1.1 200") != 0) return std::nullopt;
    size_t body = answer.find("\r\n\r\n");
    return body == std::string::npos ? std::string() : answer.substr(body + 4);
}

long StandinClient::ServiceRequestsOver(const char* transport)
{
    std::optional<std::string> settings = ControlAnswer("{}");
    std::string member = std::string("\"") + (std::string(transport) == "tls" ? "tls_sessions" : "plain_requests") + "\":";
    size_t at = settings ? settings->find(member) : std::string::npos;
    return at == std::string::npos ? -1 : std::atol(settings->c_str() + at + member.size());
}

std::vector<std::string> StandinClient::Requests() const
{
    std::vector<std::string> bodies;
    for (const std::string& name : ListFolder(m_recordDir)) bodies.push_back(ReadBytes(m_recordDir + "\\" + name));
    return bodies;
}
