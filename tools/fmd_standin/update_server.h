// The update server's stand-in: it answers the program's update requests
// from the files of a folder, read afresh at each request so that a test may
// change them at any time:
//   GET /QuorvixFMDPellwickUpdate.php?chk=1&...  check.txt
//   GET /QuorvixFMDPellwickUpdate.php?chk=1&sig=1&...  check.txt.sig (the signed offer)
//   GET /QuorvixFMDPellwickUpdate.php?sig=1&...  update.exe.sig
//   GET /QuorvixFMDPellwickUpdate.php?...        update.exe
//   GET /pellwick/<name>?...                     <name> (a driver, or its .sig)
// A missing file is answered with a 404 page, as a web server would. Each
// request's target, as it arrived, is appended to requests.txt there.
#pragma once
#include <atomic>
#include <mutex>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

class UpdateServer {
public:
    explicit UpdateServer(std::string folder) : m_folder(std::move(folder)) {}

    void Register(httplib::Server& server);
    // {"update_mode": "normal" | "html" | "empty" | "error" | "stall" | "endless",
    //  "update_bytes_per_second": N (0: as fast as it goes)}
    nlohmann::json Control(const nlohmann::json& command);

private:
    void Serve(const httplib::Request& request, httplib::Response& response, const std::string& fileName);
    void Record(const httplib::Request& request);

    std::string m_folder;
    std::mutex m_lock;
    std::string m_mode = "normal";
    std::atomic<int> m_bytesPerSecond{0};
};
