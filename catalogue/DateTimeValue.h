// The catalogue's date-time value and its text in the user's locale.
#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace lumitag {

// Days since 30 December 1899 00:00:00, the time of day as the fraction
// (12:00 is .5). Before that day the whole part counts back and the fraction
// still runs forward from the day's midnight (-1.25 is 29 December 1899 06:00).
// 0 means "no date".
using DateTimeValue = double;
inline constexpr DateTimeValue kNoDate = 0.0;

struct DateTimeParts {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend bool operator==(const DateTimeParts&, const DateTimeParts&) = default;
};

// Year 1 to 9999 and a day that the month really has.
bool IsValidDate(int year, int month, int day);
bool IsValidTime(int hour, int minute, int second, int millisecond);

// nullopt when the date or the time is invalid.
std::optional<DateTimeValue> EncodeDate(int year, int month, int day);
std::optional<DateTimeValue> EncodeDateTime(const DateTimeParts& parts);

// Rounded to the nearest millisecond (a carry moves to the next day);
// nullopt for values outside years 1 to 9999 or not finite.
std::optional<DateTimeParts> DecodeDateTime(DateTimeValue value);

// 1 = Sunday ... 7 = Saturday; 0 when the value cannot be decoded.
int DayOfWeek(DateTimeValue value);

// A file time (seconds and nanoseconds since the epoch) as local date-time,
// cut to the millisecond.
std::optional<DateTimeValue> DateTimeFromFileTime(const timespec& time);
// The value taken as local time, to seconds since the epoch (the
// milliseconds are dropped); nullopt when it cannot be converted.
std::optional<std::time_t> DateTimeToLocalTimeT(DateTimeValue value);
// The modification date-time of the file at path, in local time.
std::optional<DateTimeValue> FileModificationDateTime(const std::string& path);

// Odd seconds cut down to the even second below, milliseconds dropped:
// the precision of a DOS date-time.
DateTimeValue CutToEvenSeconds(DateTimeValue value);

// The date text of one locale: its short date with the year in four digits,
// a blank, and its long time without the time-zone field; the time is left
// out at exactly midnight. A locale whose short date is not numeric uses
// yyyy-MM-dd and HH:mm:ss. Parsing accepts what formatting gives, the time
// being optional.
class DateTextFormat {
public:
    explicit DateTextFormat(const QLocale& locale);

    const QLocale& locale() const { return locale_; }
    // The formats in QLocale's own pattern syntax.
    QString datePattern() const;
    QString timePattern() const;

    // Empty when the value cannot be decoded.
    QString Format(DateTimeValue value) const;
    std::optional<DateTimeValue> Parse(QStringView text) const;

    // One piece of a pattern: a field letter repeated count times, or
    // literal text when field is null.
    struct Token {
        QChar field;
        int count = 0;
        QString literal;
    };

private:
    void AppendNumber(QString& out, int value, int minDigits) const;
    void AppendTokens(QString& out, const std::vector<Token>& tokens, const DateTimeParts& parts) const;
    bool ParseTokens(QStringView text, qsizetype& pos, const std::vector<Token>& tokens, DateTimeParts& parts,
                     bool& afternoon) const;
    bool ParseNumber(QStringView text, qsizetype& pos, int minDigits, int maxDigits, int& value) const;

    QLocale locale_;
    std::vector<Token> date_;
    std::vector<Token> time_;
    bool twelveHour_ = false;
    char32_t zeroDigit_ = U'0';
    QString amText_;
    QString pmText_;
};

// The format of QLocale(), built once per locale.
const DateTextFormat& CurrentDateTextFormat();

// The date text of a record: "no date" for 0, else the value in QLocale()'s
// date text.
QString DateText(DateTimeValue value);
QString FormatDateTime(DateTimeValue value);
std::optional<DateTimeValue> ParseDateText(QStringView text);

}  // namespace lumitag
