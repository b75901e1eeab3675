// Reads and rewrites every JPEG of a folder with the engine and with exiv2,
// warm cache, and prints the mean time per file of each and their ratios.
//
//   exif_bench FOLDER [--files N] [--passes P]
//
// The folder's JPEGs are copied round robin into a scratch folder until it
// holds N files (default 800); each pass reads all of them, then rewrites
// every copy with new values for the four fields, each phase (open and read
// 64 KiB, engine read, exiv2 read, engine rewrite, exiv2 rewrite) over all
// files in turn. The engine writes without
// fsync (flush_to_disk = false), as exiv2 does.
#include "exif/Exif_stl.h"

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

namespace {

struct copy_file {
    std::string sample;  // name of the original
    std::string engine_path;
    std::string exiv2_path;
};

struct timings {
    double engine_read = 0, exiv2_read = 0, engine_write = 0, exiv2_write = 0, open_read_64k = 0;
    int count = 0;
};

template <typename F>
double time_us(F&& work)
{
    const auto start = clock_type::now();
    work();
    return std::chrono::duration<double, std::micro>(clock_type::now() - start).count();
}

std::size_t sink = 0;  // keeps the results alive

void engine_read(const std::string& path)
{
    Texif_stl doc;
    if (doc.read_jpeg(path)) {
        int y, mo, d, h, mi, s;
        doc.get_date_time_original(y, mo, d, h, mi, s);
        sink += doc.get_image_description().size() + doc.get_user_comment().size() + doc.get_artist().size() +
                static_cast<std::size_t>(y);
    }
}

std::string exiv2_value(const Exiv2::ExifData& data, const char* key)
{
    auto found = data.findKey(Exiv2::ExifKey(key));
    return found == data.end() ? std::string() : found->toString();
}

void exiv2_read(const std::string& path)
{
    try {
        auto image = Exiv2::ImageFactory::open(path);
        image->readMetadata();
        const Exiv2::ExifData& data = image->exifData();
        sink += exiv2_value(data, "Exif.Image.ImageDescription").size() +
                exiv2_value(data, "Exif.Photo.UserComment").size() + exiv2_value(data, "Exif.Image.Artist").size() +
                exiv2_value(data, "Exif.Photo.DateTimeOriginal").size();
    } catch (const Exiv2::AnyError&) {
        ++sink;
    }
}

bool engine_rewrite(const std::string& path, int pass)
{
    Texif_stl doc;
    doc.flush_to_disk = false;
    if (!doc.read_jpeg(path))
        return false;
    const std::string tag = std::to_string(pass);
    doc.set_image_description("Description " + tag);
    doc.set_user_comment("Comment " + tag);
    doc.set_artist("Artist " + tag);
    doc.set_date_time_original(2020, 1, 2, 3, 4, pass % 60);
    doc.set_date_time(2020, 1, 2, 3, 4, pass % 60);
    doc.set_date_time_digitized(2020, 1, 2, 3, 4, pass % 60);
    return doc.write_jpeg(path);
}

bool exiv2_rewrite(const std::string& path, int pass)
{
    try {
        auto image = Exiv2::ImageFactory::open(path);
        image->readMetadata();
        Exiv2::ExifData& data = image->exifData();
        const std::string tag = std::to_string(pass);
        char date[32];
        std::snprintf(date, sizeof date, "2020:01:02 03:04:%02d", pass % 60);
        data["Exif.Image.ImageDescription"] = "Description " + tag;
        data["Exif.Photo.UserComment"] = "charset=Ascii Comment " + tag;
        data["Exif.Image.Artist"] = "Artist " + tag;
        data["Exif.Photo.DateTimeOriginal"] = std::string(date);
        data["Exif.Image.DateTime"] = std::string(date);
        data["Exif.Photo.DateTimeDigitized"] = std::string(date);
        image->writeMetadata();
        return true;
    } catch (const Exiv2::AnyError&) {
        return false;
    }
}

void open_and_read_64k(const std::string& path)
{
    static char buffer[64 * 1024];
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd >= 0) {
        sink += static_cast<std::size_t>(std::max<ssize_t>(0, ::read(fd, buffer, sizeof buffer)));
        ::close(fd);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--files N] [--passes P]\n", argv[0]);
        return 2;
    }
    int wanted = 800;
    int passes = 3;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--files")
            wanted = std::atoi(argv[i + 1]);
        else if (std::string(argv[i]) == "--passes")
            passes = std::atoi(argv[i + 1]);
    }
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);

    std::vector<fs::path> samples;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (entry.is_regular_file() && (ext == ".jpg" || ext == ".jpeg"))
            samples.push_back(entry.path());
    }
    std::sort(samples.begin(), samples.end());
    if (samples.empty()) {
        std::fprintf(stderr, "no JPEG file in %s\n", argv[1]);
        return 1;
    }

    std::string scratch_pattern = (fs::temp_directory_path() / "lumitag-bench-XXXXXX").string();
    if (!::mkdtemp(scratch_pattern.data()))
        return 1;
    const fs::path scratch = scratch_pattern;
    fs::create_directory(scratch / "engine");
    fs::create_directory(scratch / "exiv2");
    std::vector<copy_file> files;
    for (int i = 0; i < wanted; ++i) {
        const fs::path& sample = samples[static_cast<std::size_t>(i) % samples.size()];
        const std::string name = std::to_string(i) + "-" + sample.filename().string();
        copy_file file{sample.filename().string(), (scratch / "engine" / name).string(),
                       (scratch / "exiv2" / name).string()};
        for (const std::string& target : {file.engine_path, file.exiv2_path}) {
            fs::copy_file(sample, target);
            fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
        }
        files.push_back(file);
    }

    // Warm the cache, then time.
    for (const copy_file& file : files) {
        engine_read(file.engine_path);
        exiv2_read(file.exiv2_path);
    }
    std::map<std::string, timings> by_sample;
    timings total;
    int engine_failures = 0, exiv2_failures = 0;
    // Each phase runs over all files in turn, so that one library's work
    // does not evict the other's code and data between two timings.
    auto phase = [&](double timings::*field, auto&& work) {
        for (const copy_file& file : files) {
            const double us = time_us([&] { work(file); });
            by_sample[file.sample].*field += us;
            total.*field += us;
        }
    };
    for (int pass = 0; pass < passes; ++pass) {
        phase(&timings::open_read_64k, [](const copy_file& f) { open_and_read_64k(f.engine_path); });
        phase(&timings::engine_read, [](const copy_file& f) { engine_read(f.engine_path); });
        phase(&timings::exiv2_read, [](const copy_file& f) { exiv2_read(f.exiv2_path); });
        phase(&timings::engine_write,
              [&](const copy_file& f) { engine_failures += !engine_rewrite(f.engine_path, pass); });
        phase(&timings::exiv2_write,
              [&](const copy_file& f) { exiv2_failures += !exiv2_rewrite(f.exiv2_path, pass); });
        for (const copy_file& file : files)
            ++by_sample[file.sample].count;
        total.count += static_cast<int>(files.size());
    }

    std::printf("%d files (%zu samples), %d passes; mean microseconds per file\n", wanted, samples.size(), passes);
    std::printf("%-36s %9s %9s %9s %6s %9s %9s %6s\n", "file", "open+64k", "read", "exiv2", "ratio", "rewrite",
                "exiv2", "ratio");
    auto row = [](const std::string& name, const timings& t) {
        const double n = t.count;
        std::printf("%-36s %9.1f %9.1f %9.1f %6.2f %9.1f %9.1f %6.2f\n", name.c_str(), t.open_read_64k / n,
                    t.engine_read / n, t.exiv2_read / n, t.exiv2_read / t.engine_read, t.engine_write / n,
                    t.exiv2_write / n, t.exiv2_write / t.engine_write);
    };
    for (const auto& [name, t] : by_sample)
        row(name, t);
    row("ALL FILES", total);
    std::printf("rewrite failures: engine %d, exiv2 %d (ratio = exiv2 time / engine time)\n", engine_failures,
                exiv2_failures);

    std::error_code ec;
    fs::remove_all(scratch, ec);
    return sink == 0 ? 1 : 0;
}
