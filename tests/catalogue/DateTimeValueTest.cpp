#include "catalogue/DateTimeValue.h"

#include "CatalogueTestSupport.h"
#include "support/TestSupport.h"

#include <QDate>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <cmath>

using namespace lumitag;
using catalogue_test::ScopedTimeZone;

namespace {

constexpr double kOneMs = 1.0 / 86'400'000;

struct EncodedCase {
    DateTimeParts parts;
    double value;
};

TEST(DateTimeValue, EncodesAndDecodesKnownDates)
{
    const EncodedCase cases[] = {
        {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
        {{1899, 12, 30, 12, 0, 0, 0}, 0.5},
        {{1899, 12, 31, 0, 0, 0, 0}, 1.0},
        {{2000, 1, 1, 0, 0, 0, 0}, 36526.0},
        {{2004, 2, 29, 10, 0, 0, 0}, 38046.0 + 10.0 / 24},
        {{2004, 7, 14, 18, 0, 0, 0}, 38182.75},
        {{1600, 2, 29, 0, 0, 0, 0}, -109512.0},
        // Before 1899 the fraction still counts forward from midnight.
        {{1899, 12, 29, 6, 0, 0, 0}, -1.25},
        {{1899, 12, 28, 18, 0, 0, 0}, -2.75},
        {{1, 1, 1, 0, 0, 0, 0}, -693593.0},
        {{9999, 12, 31, 23, 59, 59, 999}, 2958466.0 - kOneMs},
        {{2004, 7, 14, 10, 30, 15, 250}, 38182.0 + (10 * 3600 + 30 * 60 + 15.25) / 86400},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.parts.year << "-" << c.parts.month << "-" << c.parts.day << " "
                                        << c.parts.hour << ":" << c.parts.minute << ":" << c.parts.second);
        const auto value = EncodeDateTime(c.parts);
        ASSERT_TRUE(value);
        EXPECT_NEAR(*value, c.value, kOneMs / 10);
        const auto parts = DecodeDateTime(c.value);
        ASSERT_TRUE(parts);
        EXPECT_EQ(*parts, c.parts);
    }
}

TEST(DateTimeValue, RejectsInvalidDatesAndTimes)
{
    const DateTimeParts cases[] = {
        {2004, 2, 30, 10, 0, 0, 0},   // 30 February
        {2003, 2, 29, 0, 0, 0, 0},    // not a leap year
        {1900, 2, 29, 0, 0, 0, 0},    // century, not a leap year
        {2004, 4, 31, 0, 0, 0, 0},    // day 31 of a 30-day month
        {0, 1, 1, 0, 0, 0, 0},        // year 0
        {10000, 1, 1, 0, 0, 0, 0},
        {2004, 0, 1, 0, 0, 0, 0},
        {2004, 13, 1, 0, 0, 0, 0},
        {2004, 7, 0, 0, 0, 0, 0},
        {2004, 7, 14, 24, 0, 0, 0},
        {2004, 7, 14, 10, 60, 0, 0},
        {2004, 7, 14, 10, 0, 60, 0},
        {2004, 7, 14, 10, 0, 0, 1000},
        {2004, 7, 14, -1, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << "-" << c.month << "-" << c.day << " " << c.hour << ":"
                                        << c.minute << ":" << c.second << "." << c.millisecond);
        EXPECT_FALSE(EncodeDateTime(c));
    }
    EXPECT_FALSE(EncodeDate(2004, 2, 30));
    EXPECT_TRUE(EncodeDate(2004, 2, 29));
}

TEST(DateTimeValue, CalendarAgreesWithQDate)
{
    const QDate origin(1899, 12, 30);
    for (long long day = -693593; day <= 2958465; day += 997) {
        const QDate date = origin.addDays(day);
        SCOPED_TRACE(date.toString(Qt::ISODate).toStdString());
        const auto value = EncodeDate(date.year(), date.month(), date.day());
        ASSERT_TRUE(value);
        EXPECT_EQ(*value, static_cast<double>(day));
        const auto parts = DecodeDateTime(day >= 0 ? day + 0.5 : day - 0.5);  // noon of that day
        ASSERT_TRUE(parts);
        EXPECT_EQ(QDate(parts->year, parts->month, parts->day), date);
        EXPECT_EQ(DayOfWeek(static_cast<double>(day)), date.dayOfWeek() % 7 + 1);
    }
}

// A value computed as day + seconds / 86400 is often a hair below the
// second; decoding rounds to the millisecond so it never shows one less.
TEST(DateTimeValue, DecodingRoundsToTheNearestMillisecond)
{
    for (double day : {38182.0, -2.0}) {
        for (int second = 0; second < 86400; ++second) {
            const double fraction = second / 86400.0;
            const auto parts = DecodeDateTime(day >= 0 ? day + fraction : day - fraction);
            ASSERT_TRUE(parts);
            ASSERT_EQ(parts->millisecond, 0) << day << " " << second;
            ASSERT_EQ((parts->hour * 60 + parts->minute) * 60 + parts->second, second) << day;
        }
    }
    // Rounding up at the very end of a day carries into the next one.
    const auto carried = DecodeDateTime(38182.0 + (1.0 - kOneMs / 4));
    ASSERT_TRUE(carried);
    EXPECT_EQ(*carried, (DateTimeParts{2004, 7, 15, 0, 0, 0, 0}));
}

TEST(DateTimeValue, DecodingRefusesValuesOutsideTheCalendar)
{
    for (double value : {-693594.0, 2958466.0, 1e300, std::nan(""), double(INFINITY)}) {
        EXPECT_FALSE(DecodeDateTime(value)) << value;
        EXPECT_EQ(DayOfWeek(value), 0) << value;
    }
}

TEST(DateTimeValue, WeekdayRunsFromSundayToSaturday)
{
    EXPECT_EQ(DayOfWeek(0.0), 7);            // 30 December 1899, a Saturday
    EXPECT_EQ(DayOfWeek(1.0), 1);            // Sunday
    EXPECT_EQ(DayOfWeek(-1.25), 6);          // Friday 29 December 1899, 06:00
    EXPECT_EQ(DayOfWeek(38182.99), 4);       // Wednesday 14 July 2004, late evening
}

TEST(DateTimeValue, CutsToEvenSeconds)
{
    const struct {
        DateTimeParts in;
        DateTimeParts out;
    } cases[] = {
        {{2004, 7, 14, 10, 0, 1, 500}, {2004, 7, 14, 10, 0, 0, 0}},
        {{2004, 7, 14, 10, 0, 2, 0}, {2004, 7, 14, 10, 0, 2, 0}},
        {{2004, 7, 14, 23, 59, 59, 999}, {2004, 7, 14, 23, 59, 58, 0}},
        {{1850, 3, 1, 8, 15, 33, 0}, {1850, 3, 1, 8, 15, 32, 0}},
    };
    for (const auto& c : cases) {
        const auto parts = DecodeDateTime(CutToEvenSeconds(*EncodeDateTime(c.in)));
        ASSERT_TRUE(parts);
        EXPECT_EQ(*parts, c.out) << c.in.second;
    }
    EXPECT_EQ(CutToEvenSeconds(kNoDate), kNoDate);
}

// 2004-07-14 10:30:00 in Paris is 08:30:00 UTC (summer time); 2004-01-14
// 10:30:00 is 09:30:00 UTC.
TEST(DateTimeValue, ConvertsFileTimesInLocalTime)
{
    const ScopedTimeZone paris(catalogue_test::kParisTime);
    const struct {
        std::time_t utc;
        DateTimeParts local;
    } cases[] = {
        {1089793800, {2004, 7, 14, 10, 30, 0, 0}},
        {1074072600, {2004, 1, 14, 10, 30, 0, 0}},
        {-2209161600 - 3600, {1899, 12, 30, 0, 0, 0, 0}},  // the value's day 0, before the epoch
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utc);
        const auto value = DateTimeFromFileTime(timespec{c.utc, 123'456'789});
        ASSERT_TRUE(value);
        auto expected = c.local;
        expected.millisecond = 123;  // nanoseconds are cut to the millisecond
        EXPECT_EQ(DecodeDateTime(*value), expected);
        EXPECT_EQ(DateTimeToLocalTimeT(*value), c.utc);
    }
}

TEST(DateTimeValue, ReadsAFilesModificationTime)
{
    const ScopedTimeZone paris(catalogue_test::kParisTime);
    testsupport::ScratchDir dir;
    const std::string path = dir.file("photo.jpg");
    testsupport::WriteBytes(path, {1, 2, 3});
    const timespec times[2] = {{0, UTIME_OMIT}, {1089793800, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    const auto value = FileModificationDateTime(path);
    ASSERT_TRUE(value);
    EXPECT_EQ(DecodeDateTime(*value), (DateTimeParts{2004, 7, 14, 10, 30, 0, 0}));
    EXPECT_FALSE(FileModificationDateTime(dir.file("missing.jpg")));
}

}  // namespace
