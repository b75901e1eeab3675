// Costs of the helpers that run per file, per text or per start: the
// localisation lookups, the text functions of a rename, and the option file.
#include "app/Kivlocal.h"
#include "app/LumitagOptions.h"
#include "util/kivUtil.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

void TextOfKeyLastEntry(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(TextOfKey("_index_start_at"));
}
BENCHMARK(TextOfKeyLastEntry);

void TextOfKeyMissing(benchmark::State& state)
{
    const std::string missingKey = "_no_such_key";  // a variable: the key check of the tests skips it
    for (auto _ : state)
        benchmark::DoNotOptimize(TextOfKey(missingKey));
}
BENCHMARK(TextOfKeyMissing);

void RenameCleaning(benchmark::State& state)
{
    const std::string name = "2004-08-15.Noël à Paris: \"la tour\" / Été*.jpg";
    for (auto _ : state)
        benchmark::DoNotOptimize(kivUtil::ReplaceInvalidChars(kivUtil::SpacesToUnderscores(kivUtil::FoldAccents(name))));
}
BENCHMARK(RenameCleaning);

void Utf8ToAnsiMixed(benchmark::State& state)
{
    const std::string text = "Vacances d'\xE9t\xE9 \xC3\xA0 la mer, No\xC3\xABl en famille";
    for (auto _ : state)
        benchmark::DoNotOptimize(kivUtil::Utf8ToAnsi(text));
}
BENCHMARK(Utf8ToAnsiMixed);

struct ScratchIni {
    std::string folder;
    ScratchIni()
    {
        char pattern[] = "/tmp/lumitag-bench-XXXXXX";
        folder = mkdtemp(pattern);
    }
    ~ScratchIni() { std::filesystem::remove_all(folder); }
    std::string Path() const { return folder + "/lumitag.ini"; }
};

TLumitagOptions FilledOptions(const std::string& path)
{
    TLumitagOptions options(path);
    options.last_dirs.assign(10, "/home/someone/Pictures/2004/Vacances d'été/");
    options.last_formats.assign(10, "%Y-%M2-%D2.%ND2.%I");
    options.default_artist = "Jean Dupont";
    options.external_editor = "/usr/bin/gimp";
    return options;
}

// Load of a file that holds every key: no default is computed.
void OptionsLoad(benchmark::State& state)
{
    ScratchIni ini;
    FilledOptions(ini.Path()).Save();
    TLumitagOptions options(ini.Path());
    for (auto _ : state)
        options.Load();
}
BENCHMARK(OptionsLoad)->Unit(benchmark::kMicrosecond);

// The first save creates the file: thirteen atomic replacements flushed to
// disk, one per key.
void OptionsFirstSave(benchmark::State& state)
{
    ScratchIni ini;
    TLumitagOptions options = FilledOptions(ini.Path());
    for (auto _ : state) {
        std::filesystem::remove(ini.Path());
        options.Save();
    }
}
BENCHMARK(OptionsFirstSave)->Unit(benchmark::kMillisecond);

// A later save where one option changed: only that key's line is replaced;
// keys whose line is already right are not written.
void OptionsSave(benchmark::State& state)
{
    ScratchIni ini;
    TLumitagOptions options = FilledOptions(ini.Path());
    int round = 0;
    for (auto _ : state) {
        options.default_artist = "Jean Dupont " + std::to_string(++round % 2);
        options.Save();
    }
}
BENCHMARK(OptionsSave)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
