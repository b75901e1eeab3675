#include "catalogue/DateTimeValue.h"

#include "CatalogueTestSupport.h"

#include <QDate>
#include <QTime>

#include <gtest/gtest.h>

using namespace lumitag;
using catalogue_test::ScopedDefaultLocale;

namespace {

DateTimeValue At(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return *EncodeDateTime({year, month, day, hour, minute, second, 0});
}

struct TextCase {
    const char* locale;
    DateTimeValue value;
    const char* text;
};

TEST(DateText, FormatsInTheDefaultLocaleAndParsesBack)
{
    const TextCase cases[] = {
        {"en_US", At(2004, 7, 14, 10, 30, 0), "7/14/2004 10:30:00 AM"},
        {"en_US", At(2004, 7, 14, 22, 5, 9), "7/14/2004 10:05:09 PM"},
        {"en_US", At(2004, 7, 14, 0, 30, 0), "7/14/2004 12:30:00 AM"},
        {"en_US", At(2004, 7, 14, 12, 0, 0), "7/14/2004 12:00:00 PM"},
        {"en_US", At(2004, 7, 14), "7/14/2004"},
        {"en_GB", At(2004, 7, 14, 10, 30, 0), "14/07/2004 10:30:00"},
        {"en_GB", At(2004, 7, 14, 0, 0, 1), "14/07/2004 00:00:01"},
        {"en_GB", At(999, 2, 1), "01/02/0999"},
        {"fr_FR", At(2004, 7, 14, 10, 30, 0), "14/07/2004 10:30:00"},
        {"fr_FR", At(1850, 3, 1, 6, 0, 0), "01/03/1850 06:00:00"},
        {"de_DE", At(2004, 7, 14, 10, 30, 0), "14.07.2004 10:30:00"},
        {"de_DE", At(2004, 7, 14), "14.07.2004"},
        {"C", At(2004, 7, 14, 10, 30, 0), "2004-07-14 10:30:00"},
        {"C", At(2004, 7, 14), "2004-07-14"},
        {"C", 0.0, "1899-12-30"},
        // The time zone goes with the blanks and brackets around it only.
        {"es_ES", At(2004, 7, 14, 22, 5, 9), "14/7/2004 22:05:09"},
        {"zh_CN", At(2004, 7, 14, 22, 5, 9), "2004/7/14 22:05:09"},
        {"fr_CA", At(2004, 7, 14, 22, 5, 9), "2004-07-14 22 h 05 min 09 s"},
        {"bg_BG", At(2004, 7, 14, 22, 5, 9), "14.07.2004 г. 22:05:09 ч."},
        {"ar_EG", At(2004, 7, 14, 22, 5, 9), "١٤‏/٧‏/٢٠٠٤ ١٠:٠٥:٠٩ م"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.locale << " " << c.text);
        const ScopedDefaultLocale locale{QLocale(QString::fromLatin1(c.locale))};
        EXPECT_EQ(FormatDateTime(c.value).toStdString(), c.text);
        const auto parsed = ParseDateText(QString::fromUtf8(c.text));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(*parsed, c.value);
    }
}

TEST(DateText, ARecordWithoutDateSaysSo)
{
    const ScopedDefaultLocale french{QLocale(QLocale::French, QLocale::France)};
    EXPECT_EQ(DateText(kNoDate), u"no date");
    EXPECT_EQ(DateText(At(2004, 7, 14, 10, 30, 0)), u"14/07/2004 10:30:00");
    EXPECT_FALSE(ParseDateText(u"no date"));
}

struct ParseCase {
    const char* locale;
    const char* text;
    std::optional<DateTimeValue> value;
};

TEST(DateText, ParsesOnlyWhatFormattingGives)
{
    const ParseCase cases[] = {
        {"en_GB", " 14/07/2004 10:30:00 ", At(2004, 7, 14, 10, 30, 0)},  // surrounding blanks
        {"en_GB", "4/7/2004", At(2004, 7, 4)},                            // one-digit day and month
        {"en_GB", "", std::nullopt},
        {"en_GB", "31/02/2004", std::nullopt},            // no such day
        {"en_GB", "29/02/2003 10:00:00", std::nullopt},
        {"en_GB", "14/07/04", std::nullopt},              // the year is always four digits
        {"en_GB", "14/07/2004 24:00:00", std::nullopt},
        {"en_GB", "14/07/2004 10:30", std::nullopt},      // seconds missing
        {"en_GB", "14/07/2004 10:30:00 PM", std::nullopt},
        {"en_GB", "14/07/2004  10:30:00", std::nullopt},
        {"en_GB", "14/07/2004T10:30:00", std::nullopt},
        {"en_GB", "14-07-2004", std::nullopt},
        {"en_GB", "2004-07-14", std::nullopt},
        {"en_US", "7/14/2004 10:30:00 pm", At(2004, 7, 14, 22, 30, 0)},  // either case of PM
        {"en_US", "7/14/2004 10:30:00", std::nullopt},    // AM or PM missing
        {"en_US", "7/14/2004 13:30:00 PM", std::nullopt},
        {"en_US", "7/14/2004 0:30:00 AM", std::nullopt},
        {"en_US", "14/7/2004", std::nullopt},
        {"de_DE", "14.07.2004 10:30:00", At(2004, 7, 14, 10, 30, 0)},
        {"de_DE", "14/07/2004", std::nullopt},
        {"C", "2004-07-14 10:30:00", At(2004, 7, 14, 10, 30, 0)},
        {"C", "14 Jul 2004", std::nullopt},
        {"fr_FR", "no date", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.locale << " '" << c.text << "'");
        const ScopedDefaultLocale locale{QLocale(QString::fromLatin1(c.locale))};
        EXPECT_EQ(ParseDateText(QString::fromUtf8(c.text)), c.value);
    }
}

// Every locale Qt knows: the text is what QLocale itself gives for the
// derived patterns, the year has four digits, no time zone is shown, and
// parsing gives the value back.
TEST(DateText, AgreesWithQLocaleInEveryLocale)
{
    const QList<QLocale> locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 100);
    const DateTimeValue values[] = {At(2004, 7, 14, 10, 30, 5), At(2004, 12, 1, 23, 59, 59),
                                    At(987, 1, 2, 0, 0, 1), At(2004, 7, 14)};
    for (const QLocale& locale : locales) {
        SCOPED_TRACE(locale.name().toStdString());
        const DateTextFormat format(locale);
        const QString datePattern = format.datePattern();
        const QString timePattern = format.timePattern();
        EXPECT_TRUE(datePattern.contains(u"yyyy")) << datePattern.toStdString();
        for (const DateTimeValue value : values) {
            const auto parts = *DecodeDateTime(value);
            const QDate date(parts.year, parts.month, parts.day);
            const QTime time(parts.hour, parts.minute, parts.second);
            QString expected = locale.toString(date, datePattern);
            if (time != QTime(0, 0))
                expected += u' ' + locale.toString(time, timePattern);
            const QString text = format.Format(value);
            EXPECT_EQ(text, expected) << "patterns " << datePattern.toStdString() << " | " << timePattern.toStdString();
            EXPECT_FALSE(text.contains(u"UTC")) << text.toStdString();
            EXPECT_EQ(format.Parse(text), value) << text.toStdString();
        }
    }
}

}  // namespace
