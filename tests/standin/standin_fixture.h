// Starts the real fmd_standin executable on a free port for a test, and
// talks to it over HTTP; the process is ended when the fixture goes.
#pragma once
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "verify/request_templates.h"

extern char** environ;

class Standin {
public:
    Standin()
    {
        char pattern[] = "/tmp/standin-test-XXXXXX";
        m_folder = mkdtemp(pattern);
        std::vector<std::string> args = {STANDIN_EXE, "--account", "PHARM01:s3cret", "--account", "PHARM02:other",
                                         "--packs", STANDIN_PACKS, "--port-file", m_folder + "/port", "--time-limit", "120"};
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(&arg[0]);
        argv.push_back(nullptr);
        posix_spawn(&m_pid, STANDIN_EXE, nullptr, nullptr, argv.data(), environ);
        for (int i = 0; i < 500 && m_port == 0; ++i) {
            std::ifstream(m_folder + "/port") >> m_port;
            if (m_port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    ~Standin()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
        std::remove((m_folder + "/port").c_str());
        rmdir(m_folder.c_str());
    }
    nlohmann::json Control(const nlohmann::json& command)
    {
        httplib::Client client("127.0.0.1", m_port);
        auto result = client.Post("/control", command.dump(), "application/json");
        return result ? nlohmann::json::parse(result->body) : nlohmann::json();
    }
    nlohmann::json Packs()
    {
        httplib::Client client("127.0.0.1", m_port);
        auto result = client.Get("/packs");
        return result ? nlohmann::json::parse(result->body) : nlohmann::json();
    }
    int Port() const { return m_port; }
    // A pack request made exactly as the program makes it.
    std::string Pack(int mode, const std::string& barcode, const std::string& account = "PHARM01",
                     const std::string& password = "s3cret")
    {
        httplib::Client client("127.0.0.1", m_port);
        client.set_read_timeout(5, 0);
        auto result = client.Post("/v001.aspx", FillRequestTemplate(RequestTemplate(mode), account, password,
                                                                    EscapeBarcode(barcode)), "application/json");
        return result ? result->body : std::string();
    }

    std::string Login(const std::string& account, const std::string& password)
    {
        httplib::Client client("127.0.0.1", m_port);
        auto result = client.Post("/v001.aspx", FillRequestTemplate(LoginTemplate(), account, password, ""),
                                  "application/json");
        return result ? result->body : std::string();
    }

private:
    std::string m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
};
