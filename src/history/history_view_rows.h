// The rows of one History view as a virtual list asks for them: by index,
// a page of rows at a time, never all of them. The whole history pages by
// row id from the newest down; a filtered view first collects the ids it
// matches, a slice of the history per step so the window stays responsive,
// with a serial found at once through its index. Portable.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

#include "history/history_reader.h"

class HistoryViewRows {
public:
    static constexpr int kPageRows = 100;
    // Rows of the history looked at per step of a filtered view.
    static constexpr int64_t kStepRows = 50000;

    // Starts the view; Count() is right once Searching() is false.
    void Start(const HistoryReader& reader, const HistoryViewQuery& query);
    // One more slice of a filtered view; false once it is complete.
    bool Step(const HistoryReader& reader);
    bool Searching() const { return m_nextHigh > 0; }
    // The whole history starts with the count its row ids give, which holds
    // unless rows were deleted between others; counting every row takes a
    // while on a long history, so it follows once the first page is shown.
    // True when the count changed.
    bool SettleCount(const HistoryReader& reader);

    int64_t Count() const { return m_wholeHistory ? m_count : static_cast<int64_t>(m_ids.size()); }
    // The row at `index` (0 the newest), or null past the end or when it has
    // gone from the history.
    const HistoryEntry* Row(const HistoryReader& reader, int64_t index);
    // Where row `id` is listed, or -1 when it is not (or not yet).
    int64_t IndexOf(const HistoryReader& reader, int64_t id);
    // Drops the pages read so far (a row was changed).
    void Forget() { m_pages.clear(); }
    const HistoryViewQuery& Query() const { return m_query; }

private:
    std::vector<HistoryEntry> ReadPage(const HistoryReader& reader, int64_t page);

    HistoryViewQuery m_query;
    bool m_wholeHistory = true;
    int64_t m_count = 0, m_maxId = 0;
    std::vector<int64_t> m_ids;        // a filtered view's, newest first
    std::vector<int64_t> m_serialIds;  // found through the serial index first
    int64_t m_nextHigh = 0;            // the next slice's highest id; 0 when done
    std::map<int64_t, std::vector<HistoryEntry>> m_pages;
};
