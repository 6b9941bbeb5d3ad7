// The day the worker compares expiry dates with: the computer's local date,
// unless its clock reads before the program's build date.
#pragma once
#include <atomic>
#include <optional>

#include "packcode/expiry_date.h"

// Where the local date comes from; tests put in their own.
using LocalDateSource = CalendarDate (*)();

class ExpiryClock {
public:
    // Today, or none while the clock reads before the build date: the expiry
    // check is then off, and the first such reading of the run writes one
    // Warning line. Called on the worker's thread.
    std::optional<CalendarDate> Today();

    void SetSource(LocalDateSource source) { m_source.store(source); }

private:
    std::atomic<LocalDateSource> m_source{nullptr};  // null: the system's local date
    bool m_warned = false;
};
