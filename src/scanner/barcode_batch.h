// Cutting a scanner's byte stream into barcode lines: chunks accumulate
// until a read ends on a line break, then the batch is split. Portable.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// A batch that never sees a line end (a misconfigured scanner, line noise)
// is not allowed to grow without limit.
constexpr size_t kMaxBatchBytes = 64 * 1024;

class BarcodeBatch {
public:
    // Appends one read's bytes, zero bytes left out. Returns false when
    // the batch would pass kMaxBatchBytes: the batch so far is then dropped
    // and only this chunk (at most its last kMaxBatchBytes) is kept.
    bool Append(const char* bytes, size_t count);

    // The batch ends on a carriage return or line feed.
    bool Complete() const;

    // Splits a complete batch into barcode lines and empties it: trailing
    // line ends removed, CR LF and LF CR pairs become "@", and a bare CR
    // separates barcodes (an empty line between two CRs included).
    std::vector<std::string> TakeLines();

    const std::string& Text() const { return m_text; }
    void Clear() { m_text.clear(); }

private:
    std::string m_text;
};
