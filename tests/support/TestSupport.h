// Small helpers shared by the test programs: scratch folders, file bytes,
// the sample photo folder and running peer tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes out of scope. path() ends with "/".
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// The names of a folder's entries, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// Lowers the largest file this process may write, for the guard's lifetime:
// writes beyond it fail with EFBIG instead of raising SIGXFSZ.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(unsigned long long bytes);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

private:
    unsigned long long savedCurrent_ = 0;
    unsigned long long savedMaximum_ = 0;
    void (*savedHandler_)(int) = nullptr;
};

// Seconds since the epoch of a local date-time (the zone's rules of that day).
long long LocalSeconds(int year, int month, int day, int hour, int minute, int second);
// Sets a file's modification time to a local date-time; false when it cannot.
bool SetModificationTime(const std::string& path, int year, int month, int day, int hour, int minute, int second);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void CopyFile(const std::string& from, const std::string& to);
bool FileExists(const std::string& path);

// The folder of real camera JPEGs ("" when absent), from LUMITAG_SAMPLES_DIR.
std::string SamplesDir();
// The sample JPEG files (full paths, sorted), corrupted.jpg included.
std::vector<std::string> SampleFiles();

struct CommandResult {
    int status = -1;          // exit status, -1 when it did not run
    std::string output;       // standard output
    std::string errors;       // standard error
};
// Runs argv[0] with the arguments, no shell involved.
CommandResult RunCommand(const std::vector<std::string>& argv);
bool HaveProgram(const std::string& name);

}  // namespace testsupport

// Skips the current test with a visible message when the samples are absent.
#define LUMITAG_REQUIRE_SAMPLES()                                              \
    do {                                                                       \
        if (testsupport::SamplesDir().empty())                                 \
            GTEST_SKIP() << "sample photos not found (LUMITAG_SAMPLES_DIR): "  \
                            "skipping";                                        \
    } while (0)
