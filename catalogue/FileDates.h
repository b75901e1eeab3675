// Sets a photo file's modification time from the date text of the editor.
#pragma once

#include "catalogue/DateTimeValue.h"

#include <QStringView>

#include <string>

namespace lumitag {

// The four failures, in the order in which they can happen.
inline constexpr const char* kCalendarConversionFailed = "SystemTimeToFileTime failed";
inline constexpr const char* kLocalToUtcFailed = "LocalFileTimeToFileTime failed";
inline constexpr const char* kOpenForDatesFailed = "Invalid handle when opening file for changing date time";
inline constexpr const char* kSetTimeFailed = "SetFileTime Failed";

// Parses dateText with ParseDateText and, when it parses, sets the
// modification time of the existing file at path to that local time,
// keeping its last-access time. Returns the status text to show: empty on
// success and when the text does not parse, else one of the four texts
// above. Never creates a file.
std::string SetFileDates(QStringView dateText, const std::string& path);
// The same with a date-time value instead of its text.
std::string SetFileDates(DateTimeValue value, const std::string& path);

}  // namespace lumitag
