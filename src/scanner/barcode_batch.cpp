// Line rules of the barcode reader.
#include "scanner/barcode_batch.h"

#include <algorithm>

#include "base/replace_all.h"

bool BarcodeBatch::Append(const char* bytes, size_t count)
{
    // A zero byte is line noise, never part of a code; cutting the chunk
    // there would lose the line end after it and glue the next scan on.
    std::string chunk(bytes, count);
    chunk.erase(std::remove(chunk.begin(), chunk.end(), '\0'), chunk.end());
    if (m_text.size() + chunk.size() <= kMaxBatchBytes) {
        m_text += chunk;
        return true;
    }
    // No line end within the limit: what has gathered is noise. Start again
    // from this chunk's tail, so a line end that ends it still completes it.
    size_t keep = std::min(chunk.size(), kMaxBatchBytes);
    m_text.assign(chunk, chunk.size() - keep, keep);
    return false;
}

bool BarcodeBatch::Complete() const
{
    return !m_text.empty() && (m_text.back() == '\r' || m_text.back() == '\n');
}

std::vector<std::string> BarcodeBatch::TakeLines()
{
    std::string text;
    text.swap(m_text);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
    text += '\r';
    ReplaceAll(text, "\r\n", "@");
    ReplaceAll(text, "\n\r", "@");

    std::vector<std::string> lines;
    size_t start = 0;
    while (start + 1 < text.size()) {
        size_t end = text.find('\r', start);
        if (end == std::string::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}
