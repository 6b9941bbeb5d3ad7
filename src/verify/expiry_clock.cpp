// The local date, the build date and the one Warning about a wrong clock.
#include "verify/expiry_clock.h"

#include <windows.h>

#include "core/log.h"

namespace {

CalendarDate SystemLocalDate()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

// No clock of a running copy can read before the day it was built. An
// unreadable __DATE__ (none known) leaves the clock believed.
CalendarDate BuildDate() { return CompilerDate(__DATE__).value_or(CalendarDate{}); }

}  // namespace

std::optional<CalendarDate> ExpiryClock::Today()
{
    LocalDateSource source = m_source.load();
    CalendarDate clock = source ? source() : SystemLocalDate();
    std::optional<CalendarDate> today = TrustedToday(clock, BuildDate());
    if (!today && !m_warned) {
        m_warned = true;
        SetLastError(ERROR_INVALID_TIME);
        Warning("FMD - the computer's clock reads %s, before this program was built (%s): expiry dates are not "
                "checked until the clock is set right",
                IsoDate(clock).c_str(), IsoDate(BuildDate()).c_str());
    }
    return today;
}
