// The results list's row book and held records.
#include "ui/main/results_book.h"

void ResultsBook::Count(const Row& row, int change)
{
    for (int column = 0; column < kResultColumns; ++column) {
        auto& counts = m_widths[column];
        int& count = counts[row.widths[column]];
        count += change;
        if (count <= 0) counts.erase(row.widths[column]);
    }
}

void ResultsBook::AddTop(ScanResult* record, const CellWidths& widths)
{
    Row row{record, widths, m_nextSerial++};
    if (record) m_keyRow[record->key] = row.serial;
    Count(row, +1);
    m_rows.push_back(row);
}

ScanResult* ResultsBook::Update(int index, ScanResult* record, const CellWidths& widths)
{
    Row& row = RowAt(index);
    ScanResult* old = row.record;
    if (old) {
        auto entry = m_keyRow.find(old->key);
        if (entry != m_keyRow.end() && entry->second == row.serial) m_keyRow.erase(entry);
    }
    Count(row, -1);
    row.record = record;
    row.widths = widths;
    Count(row, +1);
    if (record) m_keyRow[record->key] = row.serial;
    return old;
}

ScanResult* ResultsBook::RemoveBottom()
{
    if (m_rows.empty()) return nullptr;
    Row row = m_rows.front();
    m_rows.pop_front();
    Count(row, -1);
    if (row.record) {
        auto entry = m_keyRow.find(row.record->key);
        if (entry != m_keyRow.end() && entry->second == row.serial) m_keyRow.erase(entry);
    }
    return row.record;
}

int ResultsBook::FindKey(const std::string& key) const
{
    auto entry = m_keyRow.find(key);
    if (entry == m_keyRow.end()) return -1;
    return static_cast<int>(m_nextSerial - 1 - entry->second);
}

ScanResult* ResultsBook::RecordAt(int index) const
{
    if (index < 0 || index >= RowCount()) return nullptr;
    return m_rows[m_rows.size() - 1 - static_cast<size_t>(index)].record;
}

int ResultsBook::WidestCell(int column) const
{
    const auto& counts = m_widths[column];
    return counts.empty() ? 0 : counts.rbegin()->first;
}

HeldRecords::~HeldRecords()
{
    // Holds outlive the list only if a pop-up was still open at the end.
    for (ScanResult* record : m_destroyWhenReleased) delete record;
}

void HeldRecords::Hold(ScanResult* record)
{
    if (record) ++m_holds[record];
}

void HeldRecords::Release(ScanResult* record)
{
    auto entry = m_holds.find(record);
    if (entry == m_holds.end()) return;
    if (--entry->second > 0) return;
    m_holds.erase(entry);
    if (m_destroyWhenReleased.erase(record)) delete record;
}

void HeldRecords::Destroy(ScanResult* record)
{
    if (!record) return;
    if (IsHeld(record))
        m_destroyWhenReleased.insert(record);
    else
        delete record;
}
