// The export's file: a unique temporary file beside the target, replaced into
// place in one step.
#include "history/csv_target_file.h"

#include <cctype>
#include <random>

#include "base/string_format.h"

namespace {

std::string Upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// "COM1", "LPT3", and their spellings with a superscript digit in the
// system's code page (Windows reserves those too).
bool IsNumberedPort(const std::string& name)
{
    if (name.size() != 4 || (name.compare(0, 3, "COM") != 0 && name.compare(0, 3, "LPT") != 0)) return false;
    auto last = static_cast<unsigned char>(name[3]);
    return (last >= '0' && last <= '9') || last == 0xB9 || last == 0xB2 || last == 0xB3;
}

}  // namespace

bool IsDeviceName(const std::string& path)
{
    if (path.rfind("\\\\.\\", 0) == 0 || path.rfind("//./", 0) == 0) return true;
    std::string name = path.substr(path.find_last_of("\\/") + 1);
    if (name.size() >= 2 && name[1] == ':') name.erase(0, 2);  // "C:NUL"
    name = Upper(name.substr(0, name.find_first_of(".:")));
    name.erase(name.find_last_not_of(' ') + 1);
    static const char* const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : devices)
        if (name == device) return true;
    return IsNumberedPort(name);
}

CsvTargetFile::CsvTargetFile(std::string target, const CsvFileSystem& system)
    : m_target(std::move(target)), m_system(system)
{
}

CsvTargetFile::~CsvTargetFile() { Discard(); }

void CsvTargetFile::Discard()
{
    if (m_file) m_system.flushAndClose(m_file);
    m_file = nullptr;
    if (!m_temporary.empty()) std::remove(m_temporary.c_str());
    m_temporary.clear();
}

bool CsvTargetFile::Begin()
{
    if (IsDeviceName(m_target)) return false;
    std::random_device random;
    // A name nobody else has: created only where no file is, so a clash
    // with any other file just takes the next number.
    for (int attempt = 0; attempt < 20 && !m_file; ++attempt) {
        std::string name = m_target + StringPrintf(".%08x.tmp", static_cast<unsigned>(random()));
        m_file = m_system.createNew(name);
        if (m_file) m_temporary = name;
    }
    return m_file != nullptr;
}

bool CsvTargetFile::Write(const std::string& bytes)
{
    m_ok = m_ok && m_file && std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size();
    return m_ok;
}

bool CsvTargetFile::Commit()
{
    if (!m_file) return false;
    std::FILE* file = m_file;
    m_file = nullptr;
    bool flushed = m_system.flushAndClose(file);
    if (!m_ok || !flushed || !m_system.replace(m_temporary, m_target)) {
        Discard();
        return false;
    }
    m_temporary.clear();
    return true;
}
