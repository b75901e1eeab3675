#include "catalogue/FileDates.h"

#include "catalogue/DateTimeValue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace lumitag {

namespace {

// Closes the descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// Opens an existing file only to change its times: no creation, no
// truncation, no blocking on a FIFO, no controlling terminal. A file
// without read permission is tried for writing, since its owner may still
// set its times.
int OpenForChangingTimes(const std::string& path)
{
    constexpr int kFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    const int fd = open(path.c_str(), O_RDONLY | kFlags);
    if (fd >= 0 || errno != EACCES)
        return fd;
    return open(path.c_str(), O_WRONLY | kFlags);
}

// A file system may store only part of the range of times (it then clamps
// the time quietly) or round to its own resolution (two seconds at most).
bool TimeWasStored(int fd, const timespec& wanted)
{
    struct stat status {};
    if (fstat(fd, &status) != 0)
        return false;
    return std::llabs(static_cast<long long>(status.st_mtim.tv_sec) - static_cast<long long>(wanted.tv_sec)) <= 2;
}

}  // namespace

std::string SetFileDates(QStringView dateText, const std::string& path)
{
    const auto value = ParseDateText(dateText);
    if (!value)
        return {};
    return SetFileDates(*value, path);
}

std::string SetFileDates(DateTimeValue value, const std::string& path)
{
    const auto parts = DecodeDateTime(value);
    if (!parts || !EncodeDateTime(*parts))
        return kCalendarConversionFailed;
    const auto seconds = DateTimeToLocalTimeT(value);
    if (!seconds)
        return kLocalToUtcFailed;
    const FileDescriptor file(OpenForChangingTimes(path));
    if (file.get() < 0)
        return kOpenForDatesFailed;
    const timespec modified{*seconds, static_cast<long>(parts->millisecond) * 1'000'000};
    const timespec times[2] = {{0, UTIME_OMIT}, modified};
    if (futimens(file.get(), times) != 0 || !TimeWasStored(file.get(), modified))
        return kSetTimeFailed;
    return {};
}

}  // namespace lumitag
