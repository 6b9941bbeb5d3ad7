// HistoryViewRows: the slices of a filtered view and the pages of rows.
#include "history/history_view_rows.h"

#include <algorithm>
#include <functional>

namespace {

// Pages kept; past that they are read again when scrolled back to.
constexpr size_t kPagesKept = 64;

}  // namespace

void HistoryViewRows::Start(const HistoryReader& reader, const HistoryViewQuery& query)
{
    m_query = query;
    m_pages.clear();
    m_ids.clear();
    m_serialIds.clear();
    m_nextHigh = 0;
    m_maxId = reader.MaxId();
    m_wholeHistory = query.view == HistoryView::AllScans && query.filter.Empty();
    if (m_wholeHistory) {
        m_count = m_maxId > 0 ? m_maxId - reader.MinId() + 1 : 0;
        return;
    }
    // The undo view looks back ten days only, through the time index.
    if (query.view == HistoryView::CanBeUndone && query.filter.Empty()) {
        m_ids = reader.MatchingIds(query);
        return;
    }
    m_serialIds = reader.SerialMatches(query);
    m_ids = m_serialIds;
    m_nextHigh = m_maxId;
}

bool HistoryViewRows::SettleCount(const HistoryReader& reader)
{
    if (!m_wholeHistory) return false;
    // A plain count reads the smallest index; a count of an id range would
    // read every row. Rows added since the view was read are few.
    int64_t counted = reader.Count() - reader.CountNewer(m_maxId, INT64_MAX);
    if (counted == m_count) return false;
    m_count = counted;
    m_pages.clear();
    return true;
}

bool HistoryViewRows::Step(const HistoryReader& reader)
{
    if (m_nextHigh <= 0) return false;
    int64_t low = std::max<int64_t>(1, m_nextHigh - kStepRows + 1);
    std::vector<int64_t> found = reader.MatchingIds(m_query, low, m_nextHigh);
    for (int64_t id : found)
        if (std::find(m_serialIds.begin(), m_serialIds.end(), id) == m_serialIds.end()) m_ids.push_back(id);
    if (!m_serialIds.empty()) std::sort(m_ids.begin(), m_ids.end(), std::greater<int64_t>());
    m_nextHigh = low - 1;
    m_pages.clear();
    return m_nextHigh > 0;
}

std::vector<HistoryEntry> HistoryViewRows::ReadPage(const HistoryReader& reader, int64_t page)
{
    if (!m_wholeHistory) {
        size_t first = static_cast<size_t>(page) * kPageRows;
        if (first >= m_ids.size()) return {};
        return reader.RowsOf(m_ids.data() + first, std::min<size_t>(kPageRows, m_ids.size() - first));
    }
    // Scrolling on from a page read goes on below its last row; a jump
    // takes the ids as dense, which they are but for rows deleted between.
    auto before = m_pages.find(page - 1);
    if (before != m_pages.end() && !before->second.empty())
        return reader.RowsAtMost(before->second.back().id - 1, kPageRows);
    return reader.RowsAtMost(m_maxId - page * kPageRows, kPageRows);
}

int64_t HistoryViewRows::IndexOf(const HistoryReader& reader, int64_t id)
{
    if (!m_wholeHistory) {
        auto found = std::find(m_ids.begin(), m_ids.end(), id);
        return found == m_ids.end() ? -1 : found - m_ids.begin();
    }
    if (id < 1 || id > m_maxId) return -1;
    // Where dense ids put it; counting the rows above it reads every one of
    // them, so only when rows were deleted between.
    for (int64_t index : {m_maxId - id, int64_t{-1}}) {
        if (index < 0) index = reader.CountNewer(id, m_maxId);
        const HistoryEntry* row = Row(reader, index);
        if (row && row->id == id) return index;
    }
    return -1;
}

const HistoryEntry* HistoryViewRows::Row(const HistoryReader& reader, int64_t index)
{
    if (index < 0 || index >= Count()) return nullptr;
    int64_t page = index / kPageRows;
    auto found = m_pages.find(page);
    if (found == m_pages.end()) {
        if (m_pages.size() >= kPagesKept) m_pages.clear();
        found = m_pages.emplace(page, ReadPage(reader, page)).first;
    }
    size_t offset = static_cast<size_t>(index % kPageRows);
    return offset < found->second.size() ? &found->second[offset] : nullptr;
}
