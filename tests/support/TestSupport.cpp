#include "TestSupport.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

ScratchDir::ScratchDir()
{
    std::string pattern = (fs::temp_directory_path() / "lumitag-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

ScratchDir::~ScratchDir()
{
    std::error_code ec;
    // Tests may leave read-only files or folders behind; make them removable.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::vector<std::string> FolderEntries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ScopedFileSizeLimit::ScopedFileSizeLimit(unsigned long long bytes)
{
    rlimit limit{};
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot read the file size limit");
    savedCurrent_ = limit.rlim_cur;
    savedMaximum_ = limit.rlim_max;
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot lower the file size limit");
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    const rlimit saved{static_cast<rlim_t>(savedCurrent_), static_cast<rlim_t>(savedMaximum_)};
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedHandler_);
}

long long LocalSeconds(int year, int month, int day, int hour, int minute, int second)
{
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<long long>(std::mktime(&local));
}

bool SetModificationTime(const std::string& path, int year, int month, int day, int hour, int minute, int second)
{
    const timespec times[2] = {{0, UTIME_OMIT},
                               {static_cast<time_t>(LocalSeconds(year, month, day, hour, minute, second)), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void CopyFile(const std::string& from, const std::string& to)
{
    fs::copy_file(from, to, fs::copy_options::overwrite_existing);
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

bool FileExists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

std::string SamplesDir()
{
    const char* dir = std::getenv("LUMITAG_SAMPLES_DIR");
    if (!dir || !*dir)
        return {};
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return {};
    std::string path = dir;
    if (path.back() != '/')
        path += '/';
    return path;
}

std::vector<std::string> SampleFiles()
{
    std::vector<std::string> files;
    const std::string dir = SamplesDir();
    if (dir.empty())
        return files;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (entry.is_regular_file() && (ext == ".jpg" || ext == ".jpeg"))
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

static std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    return text;
}

CommandResult RunCommand(const std::vector<std::string>& argv)
{
    CommandResult result;
    char outName[] = "/tmp/lumitag-cmd-out-XXXXXX";
    char errName[] = "/tmp/lumitag-cmd-err-XXXXXX";
    int outFd = mkstemp(outName);
    int errFd = mkstemp(errName);
    if (outFd < 0 || errFd < 0)
        return result;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(outFd, 1);
        dup2(errFd, 2);
        std::vector<char*> args;
        for (const auto& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    lseek(outFd, 0, SEEK_SET);
    lseek(errFd, 0, SEEK_SET);
    result.output = ReadAll(outFd);
    result.errors = ReadAll(errFd);
    close(outFd);
    close(errFd);
    unlink(outName);
    unlink(errName);
    return result;
}

bool HaveProgram(const std::string& name)
{
    return RunCommand({"sh", "-c", "command -v " + name + " >/dev/null"}).status == 0;
}

}  // namespace testsupport
