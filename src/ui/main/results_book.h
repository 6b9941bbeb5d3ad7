// The results list's own account of its rows, newest on top: which record
// each row shows, which row holds a spool key, and how wide the widest text
// of each column is. Rows are only ever added at the top, updated in place or
// removed from the bottom, so a row's index follows from the order in which
// rows were added; finding a key and the widest text then cost the same at
// 10,000 rows as at 100. The book does not own the records. Portable.
#pragma once
#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <unordered_map>

#include "core/scan_result.h"

constexpr int kResultColumns = 4;
using CellWidths = std::array<int, kResultColumns>;

class ResultsBook {
public:
    int RowCount() const { return static_cast<int>(m_rows.size()); }

    // A new row 0 showing `record` (null for a log row).
    void AddTop(ScanResult* record, const CellWidths& widths);
    // Row `index` now shows `record`; returns the record it showed before.
    ScanResult* Update(int index, ScanResult* record, const CellWidths& widths);
    // Drops the bottom row; returns its record (null for a log row).
    ScanResult* RemoveBottom();

    // The row showing a record with this key, or -1.
    int FindKey(const std::string& key) const;
    ScanResult* RecordAt(int index) const;
    // The widest cell text of a column, 0 when the list is empty.
    int WidestCell(int column) const;

private:
    struct Row {
        ScanResult* record;
        CellWidths widths;
        int64_t serial;
    };
    Row& RowAt(int index) { return m_rows[m_rows.size() - 1 - static_cast<size_t>(index)]; }
    void Count(const Row& row, int change);

    std::deque<Row> m_rows;  // front: the bottom row; back: row 0
    int64_t m_nextSerial = 0;
    std::unordered_map<std::string, int64_t> m_keyRow;      // key -> serial of its row
    std::array<std::map<int, int>, kResultColumns> m_widths;  // width -> number of cells
};

// Records that must outlive their row while a pop-up shows them: destroying
// a held record is put off until its last hold ends.
class HeldRecords {
public:
    ~HeldRecords();
    void Hold(ScanResult* record);
    void Release(ScanResult* record);
    void Destroy(ScanResult* record);
    bool IsHeld(const ScanResult* record) const { return m_holds.count(record) != 0; }

private:
    std::map<const ScanResult*, int> m_holds;
    std::set<ScanResult*> m_destroyWhenReleased;
};
