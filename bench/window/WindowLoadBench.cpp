// Loading a folder of photos into the real window (engine reads and rows) and
// sorting the rows by date, on copies of the camera samples, warm cache.
//
//   bench_window_load [--samples DIR] [--counts 800,10000] [--runs 3]
#include <QApplication>
#include <QComboBox>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "exif/Exif_stl.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<fs::path> Samples(const std::string& folder)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".jpg" && entry.path().filename() != "corrupted.jpg")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// Copies the samples round-robin into a fresh folder until it holds `count` photos.
std::string MakeFolder(const std::vector<fs::path>& samples, int count)
{
    const fs::path folder = fs::temp_directory_path() / ("lumitag-bench-window-" + std::to_string(count));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "IMG_%05d.jpg", i);
        fs::copy_file(samples[static_cast<size_t>(i) % samples.size()], folder / name);
    }
    return folder.string() + "/";
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[])
{
    std::string samples = "../shared/samples/cameras";
    std::vector<int> counts = {800, 10000};
    int runs = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--samples")
            samples = argv[i + 1];
        else if (option == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--counts") {
            counts.clear();
            for (const char* p = argv[i + 1]; *p;) {
                counts.push_back(std::atoi(p));
                while (*p && *p != ',')
                    ++p;
                if (*p == ',')
                    ++p;
            }
        }
    }
    // Scratch options: the benchmark never touches the user's INI file.
    const fs::path home = fs::temp_directory_path() / "lumitag-bench-home";
    fs::create_directories(home / "config");
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    const auto files = Samples(samples);
    if (files.empty()) {
        std::fprintf(stderr, "no sample photos in %s\n", samples.c_str());
        return 2;
    }
    std::printf("%-8s %14s %14s %12s %16s\n", "photos", "load (ms)", "per photo (us)", "engine (us)",
                "date sort (ms)");
    for (const int count : counts) {
        const std::string folder = MakeFolder(files, count);
        TfrmMain window({QString::fromStdString(folder)});
        window.show();
        while (window.firstPaintPending)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);

        std::vector<double> loads, sorts, reads;
        for (int run = 0; run < runs; ++run) {
            const auto start = Clock::now();
            window.LoadFileList();
            loads.push_back(Seconds(start));

            // The engine alone on the same files, for the share of the rows.
            Texif_stl exif;
            const auto readStart = Clock::now();
            for (int i = 0; i < window.lvFiles->topLevelItemCount(); ++i)
                exif.read_jpeg(folder + window.lvFiles->topLevelItem(i)->text(0).toStdString());
            reads.push_back(Seconds(readStart));

            const auto sortStart = Clock::now();
            window.lvFilesColumnClick(3);
            sorts.push_back(Seconds(sortStart));
            window.lvFilesColumnClick(0);
        }
        const double load = Median(loads);
        std::printf("%-8d %14.1f %14.1f %12.1f %16.1f\n", count, load * 1e3, load / count * 1e6,
                    Median(reads) / count * 1e6, Median(sorts) * 1e3);
        window.close();
        fs::remove_all(folder);
    }
    std::printf("targets: at most 60 us per photo in all; a date sort of 10,000 rows at most 100 ms\n");
    return 0;
}
