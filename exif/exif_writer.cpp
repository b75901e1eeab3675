// Rewriting a JPEG file: built whole in memory, written to a hidden temporary
// file beside the destination and renamed over it, so that a failure at any
// step leaves the destination as it was.
#include "exif/exif_internal.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/uio.h>
#include <linux/fs.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// The image data, held without zero-filling it first: it can be megabytes.
struct byte_buffer {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
};

bool read_image_data(const std::string& path, std::int64_t from, byte_buffer& data)
{
    Texif_stl::file_handle_auto_close file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (!file || ::fstat(file.get(), &status) != 0 || from <= 0 || status.st_size < from)
        return false;
    data.size = static_cast<std::size_t>(status.st_size - from);
    data.bytes.reset(new std::uint8_t[data.size]);
    std::size_t done = 0;
    while (done < data.size) {
        const ssize_t got = ::pread(file.get(), data.bytes.get() + done, data.size - done,
                                    static_cast<off_t>(from + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

// The segments, then the image data, every byte accounted for.
bool write_all(int fd, const std::vector<std::uint8_t>& segments, const byte_buffer& image_data)
{
    struct iovec parts[2] = {{const_cast<std::uint8_t*>(segments.data()), segments.size()},
                             {image_data.bytes.get(), image_data.size}};
    struct iovec* next = parts;
    int remaining = 2;
    while (remaining > 0) {
        if (next->iov_len == 0) {
            ++next;
            --remaining;
            continue;
        }
        const ssize_t written = ::writev(fd, next, remaining);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        std::size_t done = static_cast<std::size_t>(written);
        while (remaining > 0 && done >= next->iov_len) {
            done -= next->iov_len;
            ++next;
            --remaining;
        }
        if (remaining > 0) {
            next->iov_base = static_cast<std::uint8_t*>(next->iov_base) + done;
            next->iov_len -= done;
        }
    }
    return true;
}

// The file that is really replaced: a symbolic link is written through to
// its target, so the link itself stays.
bool resolve_destination(const std::string& path, std::string& target)
{
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
        target = path;
        return true;
    }
    char resolved[PATH_MAX];
    if (!::realpath(path.c_str(), resolved))
        return false;
    target = resolved;
    return true;
}

std::string folder_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string base_name_of(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Permission bits a newly created file gets; read without changing the
// process's umask, which other threads may rely on.
mode_t new_file_mode()
{
    mode_t mask = 022;
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned value = 0;
            if (std::sscanf(line, "Umask: %o", &value) == 1) {
                mask = static_cast<mode_t>(value);
                break;
            }
        }
        std::fclose(status);
    }
    return 0666 & ~mask;
}

// The temporary file: removed on every exit unless committed.
class temporary_file {
public:
    explicit temporary_file(const std::string& destination)
        : path_(folder_of(destination) + "." + base_name_of(destination) + Texif_stl::temporary_file_infix + "XXXXXX")
    {
        handle_.reset(::mkostemp(path_.data(), O_CLOEXEC));
        if (!handle_)
            path_.clear();
    }
    ~temporary_file()
    {
        handle_.reset();
        if (!path_.empty())
            ::unlink(path_.c_str());
    }
    temporary_file(const temporary_file&) = delete;
    temporary_file& operator=(const temporary_file&) = delete;

    bool is_open() const { return static_cast<bool>(handle_); }
    int fd() const { return handle_.get(); }
    bool close() { return handle_.reset(); }
    // Puts the file in the destination's place. An existing destination is
    // exchanged with it and then removed: a plain rename over an existing file
    // makes some file systems (ext4) push the new data to disk on the spot,
    // which the caller asked to leave out when flush_to_disk is false, and
    // which fsync has already done when it is true.
    bool commit_as(const std::string& destination, bool destination_exists)
    {
        if (destination_exists &&
            ::syscall(SYS_renameat2, AT_FDCWD, path_.c_str(), AT_FDCWD, destination.c_str(), RENAME_EXCHANGE) == 0) {
            ::unlink(path_.c_str());  // now the old content
            path_.clear();
            return true;
        }
        if (destination_exists && errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != ENOENT)
            return false;
        if (::rename(path_.c_str(), destination.c_str()) != 0)
            return false;
        path_.clear();
        return true;
    }

private:
    std::string path_;
    Texif_stl::file_handle_auto_close handle_;
};

// Gives the written file the destination's permission bits (writable by the
// owner), its owner and group where permitted, and the photo's modification
// time; flushes it when asked.
bool finish_temporary(int fd, const struct stat* destination, const struct timespec& file_time, bool flush)
{
    struct stat temporary {};
    if (destination && ::fstat(fd, &temporary) == 0 &&
        (destination->st_uid != temporary.st_uid || destination->st_gid != temporary.st_gid))
        (void)!::fchown(fd, destination->st_uid, destination->st_gid);  // else stays ours
    const mode_t mode = destination ? ((destination->st_mode & 07777) | S_IWUSR) : new_file_mode();
    const struct timespec times[2] = {{0, UTIME_OMIT}, file_time};
    return ::fchmod(fd, mode) == 0 && ::futimens(fd, times) == 0 && (!flush || ::fsync(fd) == 0);
}

void flush_folder(const std::string& path)
{
    Texif_stl::file_handle_auto_close folder(::open(folder_of(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder)
        ::fsync(folder.get());
}

}  // namespace

bool Texif_stl::has_exif_carrier() const
{
    for (const marker& segment : markers)
        if (segment.code == marker_app1 && segment.is_exif)
            return true;
    return false;
}

bool Texif_stl::build_segments(std::vector<std::uint8_t>& out)
{
    std::size_t estimate = 0;
    for (const marker& segment : markers)
        estimate += 4 + (segment.is_exif && segment.code == marker_app1 ? 4096 : segment.data.size());
    out.reserve(estimate);
    for (marker& segment : markers) {
        motorola = true;
        if (segment.code == marker_app1 && segment.is_exif) {
            generate_exif_data(segment.data);
            if (segment.data.size() > max_segment_payload) {
                trace("   EXIF block of %d bytes does not fit one segment: nothing written\n",
                      static_cast<int>(segment.data.size()));
                return false;
            }
        }
        const bool bare_code = segment.code == marker_soi || segment.code == marker_eoi || segment.code == marker_sos;
        trace("Writing marker %04x size = %d hasData = %d\n", segment.code, static_cast<int>(segment.data.size()),
              bare_code ? 0 : 1);
        motorola = true;
        put_u16(out, segment.code);
        if (bare_code && segment.data.empty())
            continue;
        // A raw payload of 65534 or 65535 bytes came from a length field of
        // 0 or 1; the 16-bit sum gives that field back unchanged.
        put_u16(out, static_cast<std::uint16_t>(segment.data.size() + 2));
        out.insert(out.end(), segment.data.begin(), segment.data.end());
    }
    return true;
}

bool Texif_stl::write_jpeg(const std::string& path)
{
    if (markers.empty() || markers.front().code != marker_soi || sos_position <= 0) {
        trace("No JPEG file was read completely: nothing to write\n");
        return false;
    }
    // A change to the IFD tree with no segment to carry it would be lost.
    if (modified && !has_exif_carrier()) {
        trace("The EXIF segment could not be read, so the changes cannot be written\n");
        return false;
    }
    byte_buffer image_data;
    if (!read_image_data(file_name, sos_position, image_data))
        return false;

    std::string destination;
    if (!resolve_destination(path, destination))
        return false;
    struct stat destination_status {};
    const bool destination_exists = ::stat(destination.c_str(), &destination_status) == 0;
    if (destination_exists && !S_ISREG(destination_status.st_mode)) {
        trace("   %s is not a regular file: nothing written\n", path.c_str());
        return false;
    }

    temporary_file output(destination);
    if (!output.is_open())
        return false;
    trace("Writing file %s\n", path.c_str());

    std::vector<std::uint8_t> segments;
    if (!build_segments(segments))
        return false;

    if (!write_all(output.fd(), segments, image_data)) {
        trace("   Writing %s failed: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    if (!finish_temporary(output.fd(), destination_exists ? &destination_status : nullptr, file_time,
                          flush_to_disk)) {
        trace("   Finishing %s failed: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    if (!output.close() || !output.commit_as(destination, destination_exists)) {
        trace("   Replacing %s failed: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    if (flush_to_disk)
        flush_folder(destination);
    modified = false;
    return true;
}
