#include "catalogue/DateTimeValue.h"

#include <sys/stat.h>

#include <cerrno>
#include <cmath>

namespace lumitag {

namespace {

constexpr long long kMsPerDay = 86'400'000;
// 1899-12-30 lies this many days before 1970-01-01.
constexpr long long kEpochOffsetDays = 25'569;
// 0001-01-01 and 9999-12-31 as day numbers of the value.
constexpr long long kFirstDay = -693'593;
constexpr long long kLastDay = 2'958'465;

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's method).
long long DaysFromCivil(int year, int month, int day)
{
    const long long y = year - (month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yearOfEra = y - era * 400;
    const long long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468;
}

void CivilFromDays(long long days, int& year, int& month, int& day)
{
    days += 719'468;
    const long long era = (days >= 0 ? days : days - 146'096) / 146'097;
    const long long dayOfEra = days - era * 146'097;
    const long long yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    const long long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long long mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

// The calendar day number and the milliseconds into that day.
struct DayAndTime {
    long long day = 0;
    long long ms = 0;
};

std::optional<DayAndTime> SplitValue(DateTimeValue value)
{
    if (!std::isfinite(value) || value < kFirstDay - 1 || value > kLastDay + 1)
        return std::nullopt;
    const double whole = std::trunc(value);
    DayAndTime split{static_cast<long long>(whole), std::llround(std::fabs(value - whole) * kMsPerDay)};
    if (split.ms >= kMsPerDay) {
        split.ms -= kMsPerDay;
        split.day += 1;
    }
    if (split.day < kFirstDay || split.day > kLastDay)
        return std::nullopt;
    return split;
}

DateTimeValue JoinValue(long long day, long long ms)
{
    const double fraction = static_cast<double>(ms) / kMsPerDay;
    return day >= 0 ? day + fraction : day - fraction;
}

}  // namespace

bool IsValidDate(int year, int month, int day)
{
    return year >= 1 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

bool IsValidTime(int hour, int minute, int second, int millisecond)
{
    return hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60 && millisecond >= 0
        && millisecond < 1000;
}

std::optional<DateTimeValue> EncodeDate(int year, int month, int day)
{
    if (!IsValidDate(year, month, day))
        return std::nullopt;
    return static_cast<DateTimeValue>(DaysFromCivil(year, month, day) + kEpochOffsetDays);
}

std::optional<DateTimeValue> EncodeDateTime(const DateTimeParts& parts)
{
    if (!IsValidDate(parts.year, parts.month, parts.day)
        || !IsValidTime(parts.hour, parts.minute, parts.second, parts.millisecond))
        return std::nullopt;
    const long long day = DaysFromCivil(parts.year, parts.month, parts.day) + kEpochOffsetDays;
    const long long ms = ((parts.hour * 60LL + parts.minute) * 60 + parts.second) * 1000 + parts.millisecond;
    return JoinValue(day, ms);
}

std::optional<DateTimeParts> DecodeDateTime(DateTimeValue value)
{
    const auto split = SplitValue(value);
    if (!split)
        return std::nullopt;
    DateTimeParts parts;
    CivilFromDays(split->day - kEpochOffsetDays, parts.year, parts.month, parts.day);
    long long ms = split->ms;
    parts.millisecond = static_cast<int>(ms % 1000);
    ms /= 1000;
    parts.second = static_cast<int>(ms % 60);
    ms /= 60;
    parts.minute = static_cast<int>(ms % 60);
    parts.hour = static_cast<int>(ms / 60);
    return parts;
}

int DayOfWeek(DateTimeValue value)
{
    const auto split = SplitValue(value);
    if (!split)
        return 0;
    // Day 0 was a Saturday.
    return static_cast<int>(((split->day % 7 + 7) % 7 + 6) % 7) + 1;
}

std::optional<DateTimeValue> DateTimeFromFileTime(const timespec& time)
{
    tm local{};
    if (!localtime_r(&time.tv_sec, &local))
        return std::nullopt;
    DateTimeParts parts;
    parts.year = local.tm_year + 1900;
    parts.month = local.tm_mon + 1;
    parts.day = local.tm_mday;
    parts.hour = local.tm_hour;
    parts.minute = local.tm_min;
    parts.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
    parts.millisecond = static_cast<int>(time.tv_nsec / 1'000'000);
    return EncodeDateTime(parts);
}

std::optional<std::time_t> DateTimeToLocalTimeT(DateTimeValue value)
{
    const auto parts = DecodeDateTime(value);
    if (!parts)
        return std::nullopt;
    tm local{};
    local.tm_year = parts->year - 1900;
    local.tm_mon = parts->month - 1;
    local.tm_mday = parts->day;
    local.tm_hour = parts->hour;
    local.tm_min = parts->minute;
    local.tm_sec = parts->second;
    local.tm_isdst = -1;  // let the time-zone rules of that date decide
    errno = 0;
    const std::time_t result = mktime(&local);
    // -1 is also the valid second before the epoch; errno tells them apart.
    if (result == static_cast<std::time_t>(-1) && errno != 0)
        return std::nullopt;
    return result;
}

std::optional<DateTimeValue> FileModificationDateTime(const std::string& path)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return DateTimeFromFileTime(status.st_mtim);
}

DateTimeValue CutToEvenSeconds(DateTimeValue value)
{
    auto parts = DecodeDateTime(value);
    if (!parts)
        return value;
    parts->second -= parts->second % 2;
    parts->millisecond = 0;
    return EncodeDateTime(*parts).value_or(value);
}

}  // namespace lumitag
