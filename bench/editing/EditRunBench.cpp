// How long one Enter press of the edit band takes on camera-sized photos:
// the validation reads the photo, writes it (flushed to disk), rebuilds its
// row, selects the next photo, decodes its preview and proposes its fields.
// That is the wait between two photos of a captioning run.
//
//   bench_edit_run [--photos N] [--no-preview] [--folder DIR] [photo.jpg]
//
// Without a photo it makes a 6000 x 4000 one (about 8 MB). The copies go to
// a fresh folder in DIR (default: the temporary folder), removed at the end.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

struct Settings {
    int photos = 20;
    bool preview = true;
    std::string folder = fs::temp_directory_path().string();
    std::string photo;
};

bool ParseArguments(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--photos" && i + 1 < argc)
            settings.photos = std::max(2, std::atoi(argv[++i]));
        else if (argument == "--no-preview")
            settings.preview = false;
        else if (argument == "--folder" && i + 1 < argc)
            settings.folder = argv[++i];
        else if (!argument.empty() && argument[0] != '-')
            settings.photo = argument;
        else
            return false;
    }
    return true;
}

// Smooth light with grain on top, which compresses about as a camera photo.
bool MakeCameraSizedPhoto(const std::string& path)
{
    QImage image(6000, 4000, QImage::Format_RGB32);
    std::mt19937 random(20040714);
    std::uniform_int_distribution<int> grain(-12, 12);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int light = 60 + (x * 120 / image.width()) + (y * 60 / image.height());
            line[x] = qRgb(std::clamp(light + grain(random), 0, 255), std::clamp(light - 20 + grain(random), 0, 255),
                           std::clamp(200 - light / 2 + grain(random), 0, 255));
        }
    }
    return image.save(QString::fromStdString(path), "JPEG", 90);
}

bool WaitFor(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void PressEnter(QWidget* widget)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
    QCoreApplication::processEvents();
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

}  // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!ParseArguments(argc, argv, settings)) {
        std::fprintf(stderr, "usage: %s [--photos N] [--no-preview] [--folder DIR] [photo.jpg]\n", argv[0]);
        return 2;
    }
    std::string scratchPattern = (fs::path(settings.folder) / "lumitag-edit-bench-XXXXXX").string();
    if (!mkdtemp(scratchPattern.data())) {
        std::perror("mkdtemp");
        return 1;
    }
    const fs::path scratch = scratchPattern;
    const fs::path home = scratch / "home";
    const fs::path photos = scratch / "photos";
    fs::create_directories(home);
    fs::create_directories(photos);
    // The option file of the run stays in the scratch folder.
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);

    int status = 0;
    {
        std::string source = settings.photo;
        if (source.empty()) {
            source = (scratch / "source.jpg").string();
            if (!MakeCameraSizedPhoto(source)) {
                std::fprintf(stderr, "cannot make the photo\n");
                fs::remove_all(scratch);
                return 1;
            }
        }
        for (int i = 0; i < settings.photos; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.jpg", i + 1);
            fs::copy_file(source, photos / name);
        }
        TfrmMain window({QString::fromStdString(photos.string() + "/")});
        window.show();
        if (!WaitFor([&] { return !window.firstPaintPending; })) {
            std::fprintf(stderr, "the window was never painted\n");
            fs::remove_all(scratch);
            return 1;
        }
        window.chkPreview->setChecked(settings.preview);
        window.chkPreviewClick();
        LumitagOptions().default_description_option = 1;
        LumitagOptions().default_artist = "Bench";

        PressEnter(window.lvFiles);
        std::vector<double> presses;
        while (window.EditMode()) {
            const auto start = Clock::now();
            PressEnter(QApplication::focusWidget() ? QApplication::focusWidget() : window.txDescription);
            presses.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            if (window.windowTitle().startsWith("Failed") || window.windowTitle().startsWith("Error")) {
                std::fprintf(stderr, "%s\n", window.windowTitle().toLocal8Bit().constData());
                status = 1;
                break;
            }
        }
        const auto bytes = fs::file_size(photos / "IMG_0001.jpg");
        std::printf("%zu Enter presses on %.1f MB photos, preview %s, in %s\n", presses.size(), bytes / 1e6,
                    settings.preview ? "on" : "off", photos.c_str());
        if (!presses.empty())
            std::printf("per press: median %.1f ms, 90th percentile %.1f ms, max %.1f ms\n",
                        Percentile(presses, 0.5), Percentile(presses, 0.9), Percentile(presses, 1.0));
        window.close();
    }
    fs::remove_all(scratch);
    return status;
}
