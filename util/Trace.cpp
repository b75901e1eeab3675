#include "util/kivUtil.h"
#include "util/PosixFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kivUtil {

namespace {

// The longest message the trace keeps, as the 4096-byte buffer it stands for.
constexpr std::size_t kTraceMessageBytes = 4095;

TTraceWriter& ProcessTraceWriter()
{
    static TTraceWriter writer;
    return writer;
}

}  // namespace

std::string TraceFilePath()
{
    return DesktopFolder() + ApplicationTitle() + "-trace.txt";
}

void TTraceWriter::WriteHeader(const std::string& path)
{
    std::lock_guard lock(mutex_);
    Put(path, std::string(ApplicationTitle()) + " TRACE FILE\n\n", true);
}

void TTraceWriter::Write(const std::string& path, const std::string& message)
{
    std::lock_guard lock(mutex_);
    Put(path, message, !writtenThisRun_);
}

void TTraceWriter::Put(const std::string& path, const std::string& text, bool truncate)
{
    writtenThisRun_ = true;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : O_APPEND);
    const int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0)
        return;
    posix::WriteAll(fd, text);
    ::close(fd);
}

void WriteTrace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string message = FormatTextV(kTraceMessageBytes, format, args);
    va_end(args);
    ProcessTraceWriter().Write(TraceFilePath(), message);
}

void WriteTrace()
{
    ProcessTraceWriter().WriteHeader(TraceFilePath());
}

}  // namespace kivUtil
