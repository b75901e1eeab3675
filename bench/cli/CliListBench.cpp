// Whole processes reading the four fields of the same photos: lumitag-cli
// list against exiftool -fast and exiv2 -pt, warm cache.
//
//   bench_cli_list FOLDER [--files N] [--passes P]
//
// The folder's JPEGs are copied round robin into a scratch folder until it
// holds N files (default 10000). Each pass runs every tool once over all of
// them, output to /dev/null, after one warm-up run each; the minimum and the
// median wall time of the passes are printed, with the ratios to lumitag-cli.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Tool {
    std::string name;
    std::vector<std::string> argv;
    std::vector<double> seconds;
};

// Runs argv with standard output and error to /dev/null (or to `output`);
// the wall time in seconds, or a negative value when it did not run.
double TimedRun(const std::vector<std::string>& argv, const char* output = "/dev/null")
{
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_WRONLY);
        dup2(out, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) == 127)
        return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

size_t LineCount(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file)
        return 0;
    size_t lines = 0;
    for (int c; (c = std::fgetc(file)) != EOF;)
        lines += c == '\n';
    std::fclose(file);
    return lines;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [--files N] [--passes P]\n", argv[0]);
        return 2;
    }
    size_t wanted = 10000;
    int passes = 3;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (std::string(argv[i]) == "--files")
            wanted = static_cast<size_t>(std::atol(argv[i + 1]));
        else if (std::string(argv[i]) == "--passes")
            passes = std::max(1, std::atoi(argv[i + 1]));
    }
    std::vector<fs::path> samples;
    for (const auto& entry : fs::directory_iterator(argv[1])) {
        std::string extension = entry.path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
        if (entry.is_regular_file() && (extension == ".jpg" || extension == ".jpeg"))
            samples.push_back(entry.path());
    }
    std::sort(samples.begin(), samples.end());
    if (samples.empty()) {
        std::fprintf(stderr, "no JPEG files in %s\n", argv[1]);
        return 2;
    }

    char pattern[] = "/tmp/lumitag-cli-bench-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::string folder = std::string(pattern) + "/";
    std::vector<std::string> files;
    for (size_t i = 0; i < wanted; ++i) {
        const fs::path& sample = samples[i % samples.size()];
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%05zu_", i);
        files.push_back(folder + prefix + sample.filename().string());
        fs::copy_file(sample, files.back());
    }

    std::vector<Tool> tools = {
        {"lumitag-cli list", {LUMITAG_CLI_PATH, "list", "--tsv", folder}, {}},
        {"exiftool -fast",
         {"exiftool", "-fast", "-T", "-ImageDescription", "-UserComment", "-DateTimeOriginal", "-Artist", folder},
         {}},
        {"exiv2 -pt",
         {"exiv2", "-q", "-pt", "-g", "Exif.Image.ImageDescription", "-g", "Exif.Photo.UserComment", "-g",
          "Exif.Photo.DateTimeOriginal", "-g", "Exif.Image.Artist"},
         {}},
    };
    tools[2].argv.insert(tools[2].argv.end(), files.begin(), files.end());

    const std::string listing = folder + "../" + fs::path(pattern).filename().string() + "-list.tsv";
    if (TimedRun(tools[0].argv, listing.c_str()) < 0 || LineCount(listing) != wanted + 1) {
        std::fprintf(stderr, "lumitag-cli did not list the %zu files\n", wanted);
        return 1;
    }
    fs::remove(listing);
    for (auto& tool : tools) {
        if (TimedRun(tool.argv) < 0) {
            std::fprintf(stderr, "%s did not run; is it installed?\n", tool.name.c_str());
            return 1;
        }
    }
    for (int pass = 0; pass < passes; ++pass)
        for (auto& tool : tools)
            tool.seconds.push_back(TimedRun(tool.argv));

    std::printf("%zu photos, %d passes, warm cache; wall time of the whole process\n", wanted, passes);
    std::printf("%-18s %10s %10s %12s %10s\n", "tool", "min s", "median s", "us/photo", "x lumitag");
    const double reference = Median(tools[0].seconds);
    for (const auto& tool : tools) {
        const double median = Median(tool.seconds);
        std::printf("%-18s %10.3f %10.3f %12.1f %10.1f\n", tool.name.c_str(),
                    *std::min_element(tool.seconds.begin(), tool.seconds.end()), median, median / wanted * 1e6,
                    median / reference);
    }
    fs::remove_all(folder);
    return 0;
}
