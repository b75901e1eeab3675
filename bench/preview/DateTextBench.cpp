// Formatting and parsing the date texts of a 10,000-row file list, as a list
// load and a sort by the date column do (budget: well under 10 us a text),
// beside QLocale's own formatting of the same patterns.
#include "catalogue/DateTimeValue.h"

#include <QDate>
#include <QTime>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kRows = 10'000;

const char* const kLocales[] = {"en_US", "en_GB", "fr_FR", "de_DE", "C"};

std::vector<lumitag::DateTimeValue> RowDates()
{
    std::vector<lumitag::DateTimeValue> dates;
    const double first = *lumitag::EncodeDateTime({2004, 1, 1, 0, 0, 0, 0});
    for (int row = 0; row < kRows; ++row)
        dates.push_back(first + row * 0.713 + (row % 7 == 0 ? 0.0 : 0.37));  // some exactly at midnight
    return dates;
}

void FormatTexts(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QString::fromLatin1(kLocales[state.range(0)])));
    const auto dates = RowDates();
    for (auto _ : state)
        for (const double date : dates)
            benchmark::DoNotOptimize(lumitag::DateText(date));
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetLabel(kLocales[state.range(0)]);
}

void ParseTexts(benchmark::State& state)
{
    QLocale::setDefault(QLocale(QString::fromLatin1(kLocales[state.range(0)])));
    std::vector<QString> texts;
    for (const double date : RowDates())
        texts.push_back(lumitag::DateText(date));
    for (auto _ : state)
        for (const QString& text : texts)
            benchmark::DoNotOptimize(lumitag::ParseDateText(text));
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetLabel(kLocales[state.range(0)]);
}

// What the same texts cost through QLocale::toString and QLocale::toDate /
// toTime with the same patterns.
void QLocaleFormatAndParse(benchmark::State& state)
{
    const QLocale locale(QString::fromLatin1("en_US"));
    const lumitag::DateTextFormat format(locale);
    const QString datePattern = format.datePattern(), timePattern = format.timePattern();
    const auto dates = RowDates();
    for (auto _ : state)
        for (const double date : dates) {
            const auto parts = *lumitag::DecodeDateTime(date);
            const QString dateText = locale.toString(QDate(parts.year, parts.month, parts.day), datePattern);
            const QString timeText = locale.toString(QTime(parts.hour, parts.minute, parts.second), timePattern);
            benchmark::DoNotOptimize(locale.toDate(dateText, datePattern));
            benchmark::DoNotOptimize(locale.toTime(timeText, timePattern));
        }
    state.SetItemsProcessed(state.iterations() * kRows);
    state.SetLabel("en_US, for comparison");
}

BENCHMARK(FormatTexts)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(ParseTexts)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK(QLocaleFormatAndParse)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
