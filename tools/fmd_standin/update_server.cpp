// The update server's stand-in: files from a folder, and the misbehaviours
// a test asks for.
#include "update_server.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const char kNotFound[] = "<html><head><title>404 Not Found</title></head><body><h1>Not Found</h1></body></html>";

bool ReadFile(const std::string& path, std::string& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::ostringstream content;
    content << file.rdbuf();
    bytes = content.str();
    return true;
}

// A name for a file of the folder: no path, no hidden file.
bool PlainName(const std::string& name)
{
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos;
}

}  // namespace

void UpdateServer::Register(httplib::Server& server)
{
    server.Get("/QuorvixFMDPellwickUpdate.php", [this](const httplib::Request& request, httplib::Response& response) {
        Record(request);
        std::string name = request.has_param("chk") ? "check.txt" : request.has_param("sig") ? "update.exe.sig" : "update.exe";
        // The offer: "sig=2" asks for the dated form, any other the older one.
        if (request.has_param("chk") && request.has_param("sig"))
            name = request.get_param_value("sig") == "2" ? "check.txt.sig2" : "check.txt.sig";
        Serve(request, response, name);
    });
    server.Get(R"(/pellwick/([^/?]+))", [this](const httplib::Request& request, httplib::Response& response) {
        Record(request);
        Serve(request, response, request.matches[1]);
    });
}

nlohmann::json UpdateServer::Control(const nlohmann::json& command)
{
    std::lock_guard<std::mutex> hold(m_lock);
    if (command.contains("update_mode")) m_mode = command.at("update_mode").get<std::string>();
    if (command.contains("update_bytes_per_second"))
        m_bytesPerSecond = command.at("update_bytes_per_second").get<int>();
    return {{"update_mode", m_mode}, {"update_bytes_per_second", m_bytesPerSecond.load()}};
}

void UpdateServer::Record(const httplib::Request& request)
{
    std::string target = request.target;
    if (target.empty()) {  // older libraries keep only the decoded parts
        target = request.path;
        char separator = '?';
        for (const auto& [name, value] : request.params) {
            target += separator + name + "=" + value;
            separator = '&';
        }
    }
    std::lock_guard<std::mutex> hold(m_lock);
    std::ofstream(m_folder + "/requests.txt", std::ios::app) << target << "\n";
}

void UpdateServer::Serve(const httplib::Request&, httplib::Response& response, const std::string& fileName)
{
    std::string mode;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        mode = m_mode;
    }
    std::string body;
    if (mode == "html") {
        response.set_content("<html><body><p>Our update service is resting.</p></body></html>", "text/html");
        return;
    }
    if (mode == "empty") return response.set_content("", "text/plain");
    if (mode == "endless") {  // no declared length, and no end
        return response.set_chunked_content_provider("application/octet-stream", [](size_t, httplib::DataSink& sink) {
            static const std::string kBlock(64 * 1024, 'x');
            return sink.write(kBlock.data(), kBlock.size());
        });
    }
    if (mode == "error" || !PlainName(fileName) || !ReadFile(m_folder + "/" + fileName, body)) {
        response.status = mode == "error" ? 500 : 404;
        return response.set_content(kNotFound, "text/html");
    }
    int bytesPerSecond = m_bytesPerSecond.load();
    bool stall = mode == "stall";
    if (!stall && bytesPerSecond <= 0) return response.set_content(body, "application/octet-stream");
    // Dribbled out in tenths of a second; a stalled answer sends its first
    // kilobyte and then nothing more.
    size_t step = stall ? 1024 : std::max<size_t>(1, static_cast<size_t>(bytesPerSecond) / 10);
    response.set_content_provider(body.size(), "application/octet-stream",
                                  [body, step, stall](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset > 0) {
                                          if (stall) std::this_thread::sleep_for(std::chrono::hours(1));
                                          std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                      }
                                      size_t count = std::min(step, body.size() - offset);
                                      return sink.write(body.data() + offset, count);
                                  });
}
