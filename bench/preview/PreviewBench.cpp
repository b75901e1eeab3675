// The preview decode of a 24-megapixel JPEG, side by side with
// "djpeg -scale 1/8" and a full djpeg decode of the same file run as whole
// processes. Targets: no slower than 1.1 x djpeg -scale 1/8, at least 1.5 x
// faster than the full decode. The verdict takes the decode in process, as
// the window calls it; the decode as a whole process of its own is shown
// too, with what merely starting a Qt program costs.
//
//   bench_preview [--runs N] [photo.jpg]     (makes a 6000 x 4000 photo when none is given)
//   bench_preview --decode-once photo.jpg    (one decode, for the process timing)
#include "catalogue/JpegPreview.h"

#include <QImage>
#include <QImageReader>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Smooth shapes of light and colour with fine grain on top, which compresses
// about as a camera photo does (several MB at quality 90).
QImage PhotoLikePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 random(20040714);
    std::normal_distribution<float> grain(0.0f, 9.0f);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        const float fy = static_cast<float>(y) / height;
        for (int x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x) / width;
            const float light = 0.5f + 0.25f * std::sin(fx * 7.0f + fy * 3.0f) + 0.2f * std::cos(fx * fy * 40.0f);
            const float detail = 18.0f * std::sin(fx * 310.0f) * std::cos(fy * 170.0f + fx * 50.0f);
            const auto channel = [&](float tint) {
                const float value = 255.0f * light * tint + detail + grain(random);
                return std::clamp(static_cast<int>(value), 0, 255);
            };
            line[x] = qRgb(channel(1.0f), channel(0.8f + 0.2f * fy), channel(0.6f + 0.4f * fx));
        }
    }
    return image;
}

double RunProcess(const std::vector<std::string>& argv)
{
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double elapsed = MillisecondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed (status %d)\n", argv[0].c_str(), status);
        std::exit(2);
    }
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int DecodeOnce(const std::string& path)
{
    const lumitag::JpegPreview preview = lumitag::DecodeJpegPreview(path);
    if (preview.image.isNull()) {
        std::fprintf(stderr, "%s\n", preview.error.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--decode-once")
        return DecodeOnce(argv[2]);
    int runs = 9;
    std::string photo;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            photo = arg;
    }
    std::string scratch = (std::filesystem::temp_directory_path() / "lumitag-bench-preview-XXXXXX").string();
    if (!mkdtemp(scratch.data()))
        return 2;
    const std::string tiny = scratch + "/tiny.jpg";
    if (!QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString(tiny), "JPG", 90))
        return 2;
    if (photo.empty()) {
        photo = scratch + "/photo-24mp.jpg";
        std::printf("making a 6000 x 4000 photo at quality 90 ...\n");
        if (!PhotoLikePicture(6000, 4000).save(QString::fromStdString(photo), "JPG", 90))
            return 2;
    }
    const QSize size = QImageReader(QString::fromStdString(photo)).size();
    std::printf("photo: %s, %d x %d, %.1f MB\n", photo.c_str(), size.width(), size.height(),
                std::filesystem::file_size(photo) / 1e6);

    const std::vector<std::string> self = {argv[0], "--decode-once", photo};
    const std::vector<std::string> selfTiny = {argv[0], "--decode-once", tiny};
    const std::vector<std::string> djpegEighth = {"djpeg", "-scale", "1/8", "-outfile", "/dev/null", photo};
    const std::vector<std::string> djpegFull = {"djpeg", "-outfile", "/dev/null", photo};
    // A first round warms the page cache and the programs.
    RunProcess(self);
    RunProcess(djpegEighth);
    RunProcess(djpegFull);
    std::vector<double> inProcess, process, startUp, eighth, full;
    for (int run = 0; run < runs; ++run) {
        // Round robin, so that a busy moment of the machine hits all alike.
        const Clock::time_point start = Clock::now();
        if (DecodeOnce(photo) != 0)
            return 2;
        inProcess.push_back(MillisecondsSince(start));
        process.push_back(RunProcess(self));
        startUp.push_back(RunProcess(selfTiny));
        eighth.push_back(RunProcess(djpegEighth));
        full.push_back(RunProcess(djpegFull));
    }
    const double ours = Median(inProcess);
    const double reference = Median(eighth);
    const double complete = Median(full);
    std::printf("median of %d runs:\n", runs);
    std::printf("  preview decode, in process                 %7.1f ms\n", ours);
    std::printf("  preview decode, whole process              %7.1f ms\n", Median(process));
    std::printf("    of which starting the Qt program (8x8)   %7.1f ms\n", Median(startUp));
    std::printf("  djpeg -scale 1/8                           %7.1f ms\n", reference);
    std::printf("  djpeg (full decode)                        %7.1f ms\n", complete);
    std::printf("djpeg full / djpeg -scale 1/8 = %.2f (what this file allows a whole process)\n", complete / reference);
    const bool asFast = ours <= 1.1 * reference;
    const bool fasterThanFull = complete >= 1.5 * ours;
    std::printf("preview / djpeg -scale 1/8 = %.2f (target <= 1.10): %s\n", ours / reference, asFast ? "met" : "MISSED");
    std::printf("djpeg full / preview       = %.2f (target >= 1.50): %s\n", complete / ours,
                fasterThanFull ? "met" : "MISSED");
    std::filesystem::remove_all(scratch);
    return asFast && fasterThanFull ? 0 : 1;
}
