// The rename tab's preview of one folder of 10,000 photos (budget: 1 s warm):
// the whole handler (scan, names, collision check and rows), and beside it
// the library's walk and the collision check alone.
//
// The photos are made once in a scratch folder under the temporary folder
// (or LUMITAG_BENCH_DIR) from one small JPEG whose EXIF date is patched per
// copy, and removed at the end.
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Frmmainmodule.h"
#include "exif/Exif_stl.h"
#include "rename/RenameBatch.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPhotos = 10'000;
constexpr const char* kPattern = "%Y-%M2-%D2.%ND2.%I";
constexpr const char* kTemplateDate = "2004:07:09 14:05:03";

std::vector<char> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small JPEG with a description and kTemplateDate in its EXIF.
std::vector<char> TemplatePhoto(const std::string& folder)
{
    const std::string path = folder + "template.tmp";
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 200));
    Texif_stl exif;
    if (!image.save(QString::fromStdString(path), "JPEG", 85) || !exif.read_jpeg(path))
        throw std::runtime_error("cannot make the template photo");
    exif.set_image_description("Beach party");
    exif.set_date_time_original(2004, 7, 9, 14, 5, 3);
    if (!exif.write_jpeg(path))
        throw std::runtime_error("cannot write the template photo's EXIF");
    auto bytes = ReadAll(path);
    fs::remove(path);
    return bytes;
}

// kPhotos copies, three photos an hour (so "%ND2" numbers within each day).
class PhotoFolder {
public:
    PhotoFolder()
    {
        const char* base = std::getenv("LUMITAG_BENCH_DIR");
        path_ = (fs::path(base ? base : fs::temp_directory_path().string()) / "lumitag-rename-bench").string() + "/";
        fs::remove_all(path_);
        fs::create_directories(path_);
        const auto photo = TemplatePhoto(path_);
        const std::string date(kTemplateDate);
        const auto at = std::search(photo.begin(), photo.end(), date.begin(), date.end());
        if (at == photo.end())
            throw std::runtime_error("the template photo holds no date text");
        for (int i = 0; i < kPhotos; ++i) {
            auto bytes = photo;
            const int minutes = i * 20;
            char text[20];
            std::snprintf(text, sizeof text, "2004:%02d:%02d %02d:%02d:00", 1 + minutes / (60 * 24 * 28) % 12,
                          1 + minutes / (60 * 24) % 28, minutes / 60 % 24, minutes % 60);
            std::copy(text, text + date.size(), bytes.begin() + (at - photo.begin()));
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%05d.JPG", i);
            std::ofstream(path_ + name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        }
    }
    ~PhotoFolder() { fs::remove_all(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

const PhotoFolder& Folder()
{
    static PhotoFolder folder;
    return folder;
}

TfrmMain& Window()
{
    static TfrmMain* window = [] {
        auto* w = new TfrmMain({QString::fromStdString(Folder().path())});
        w->firstPaintPending = false;  // the first tab's list is not what is measured
        w->tabMain->setCurrentWidget(w->tabRename);
        w->cbFormat->setEditText(kPattern);
        return w;
    }();
    return *window;
}

void PreviewHandler(benchmark::State& state)
{
    TfrmMain& window = Window();
    window.btPreviewClick(window.tbPreview);  // warms the file cache
    for (auto _ : state)
        window.btPreviewClick(window.tbPreview);
    if (window.lvRename->topLevelItemCount() != kPhotos || !window.btApply->isEnabled())
        state.SkipWithError("the preview did not list every photo without collision");
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

lumitag::RenameSettings Settings()
{
    lumitag::RenameSettings settings;
    settings.pattern = kPattern;
    settings.rootFolder = Folder().path();
    return settings;
}

void WalkOnly(benchmark::State& state)
{
    Texif_stl exif;
    const auto settings = Settings();
    for (auto _ : state)
        benchmark::DoNotOptimize(lumitag::RenameTree(settings, exif));
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

void CollisionCheckOnly(benchmark::State& state)
{
    Texif_stl exif;
    const auto settings = Settings();
    auto rows = lumitag::RenameTree(settings, exif);
    for (auto _ : state)
        benchmark::DoNotOptimize(lumitag::MarkDuplicates(rows, settings.rootFolder));
    state.SetItemsProcessed(state.iterations() * kPhotos);
}

BENCHMARK(PreviewHandler)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(WalkOnly)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(CollisionCheckOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The window's options are read from, and never written to, a scratch home.
    char home[] = "/tmp/lumitag-rename-bench-home-XXXXXX";
    if (!mkdtemp(home))
        return 1;
    setenv("HOME", home, 1);
    setenv("XDG_CONFIG_HOME", home, 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(home);
    return 0;
}
