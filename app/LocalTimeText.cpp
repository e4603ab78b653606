#include "app/LocalTimeText.h"

#include "base/WideText.h"

#include <windows.h>

#include <array>
#include <cstdio>

namespace tessaly {

std::string UserDateTimeText(const LocalDateTime& time)
{
    SYSTEMTIME when{};
    when.wYear = static_cast<WORD>(time.year);
    when.wMonth = static_cast<WORD>(time.month);
    when.wDay = static_cast<WORD>(time.day);
    when.wHour = static_cast<WORD>(time.hour);
    when.wMinute = static_cast<WORD>(time.minute);
    when.wSecond = static_cast<WORD>(time.second);
    std::array<wchar_t, 128> date{};
    std::array<wchar_t, 64> clock{};
    const int dateLength = ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date.data(),
                                            static_cast<int>(date.size()));
    const int clockLength = ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &when, nullptr, clock.data(),
                                             static_cast<int>(clock.size()));
    if (dateLength > 0 && clockLength > 0)
        return WideToUtf8(date.data()) + " " + WideToUtf8(clock.data());
    // Not worth hiding the line for: the time as the log holds it still says when.
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%04d-%02d-%02d %02d:%02d", time.year, time.month, time.day, time.hour,
                  time.minute);
    return text.data();
}

} // namespace tessaly
