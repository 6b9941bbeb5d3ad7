// Line rules of the barcode reader.
#include "scanner/barcode_batch.h"

#include <cstring>

#include "base/replace_all.h"

bool BarcodeBatch::Append(const char* bytes, size_t count)
{
    size_t length = strnlen(bytes, count);
    if (m_text.size() + length <= kMaxBatchBytes) {
        m_text.append(bytes, length);
        return true;
    }
    // No line end within the limit: what has gathered is noise. Start again
    // from this chunk's tail, so a line end that ends it still completes it.
    size_t keep = length < kMaxBatchBytes ? length : kMaxBatchBytes;
    m_text.assign(bytes + (length - keep), keep);
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
