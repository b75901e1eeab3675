// Document basics: records, number helpers, the trace formatter and the
// buffered file reader.
#include "exif/exif_internal.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <unistd.h>

bool Texif_stl::file_handle_auto_close::reset(int fd) noexcept
{
    bool closed_cleanly = true;
    if (fd_ >= 0)
        closed_cleanly = ::close(fd_) == 0;
    fd_ = fd;
    return closed_cleanly;
}

std::uint32_t Texif_stl::ifd_entry::count() const
{
    return static_cast<std::uint32_t>(data.size() / static_cast<std::size_t>(type_size(type)));
}

void Texif_stl::ifd_type::clear()
{
    entries.clear();
    header.clear();
    present = false;
}

int Texif_stl::type_size(int type)
{
    switch (type) {
    case 3: case 8: return 2;
    case 4: case 9: case 11: return 4;
    case 5: case 10: case 12: return 8;
    default: return 1;
    }
}

std::uint16_t Texif_stl::get_u16(const std::uint8_t* bytes) const
{
    return motorola ? static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1])
                    : static_cast<std::uint16_t>(bytes[1] << 8 | bytes[0]);
}

std::uint32_t Texif_stl::get_u32(const std::uint8_t* bytes) const
{
    if (motorola)
        return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
               std::uint32_t{bytes[2]} << 8 | bytes[3];
    return std::uint32_t{bytes[3]} << 24 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[1]} << 8 | bytes[0];
}

void Texif_stl::put_u16(std::vector<std::uint8_t>& out, std::uint16_t value) const
{
    const std::uint8_t high = static_cast<std::uint8_t>(value >> 8);
    const std::uint8_t low = static_cast<std::uint8_t>(value);
    if (motorola) {
        out.push_back(high);
        out.push_back(low);
    } else {
        out.push_back(low);
        out.push_back(high);
    }
}

void Texif_stl::put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) const
{
    out.resize(out.size() + 4);
    put_u32(out, out.size() - 4, value);
}

void Texif_stl::put_u32(std::vector<std::uint8_t>& out, std::size_t position, std::uint32_t value) const
{
    std::uint8_t* bytes = out.data() + position;
    for (int i = 0; i < 4; ++i) {
        const int shift = motorola ? 24 - 8 * i : 8 * i;
        bytes[i] = static_cast<std::uint8_t>(value >> shift);
    }
}

bool Texif_stl::read_u16(file_reader& file, std::uint16_t& value) const
{
    std::uint8_t bytes[2];
    if (!file.read(bytes, sizeof bytes))
        return false;
    value = get_u16(bytes);
    return true;
}

bool Texif_stl::read_u32(file_reader& file, std::uint32_t& value) const
{
    std::uint8_t bytes[4];
    if (!file.read(bytes, sizeof bytes))
        return false;
    value = get_u32(bytes);
    return true;
}

void Texif_stl::trace(const char* format, ...) const
{
    if (!tracer || !format)
        return;
    // Formatted per call on the stack: nothing is shared between documents.
    char buffer[4096];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    if (length < 0)
        return;
    tracer->trace(std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(length), sizeof buffer - 1)));
}

void Texif_stl::clear_document()
{
    markers.clear();
    ifds.clear();
    exif_ifd.clear();
    gps_ifd.clear();
    interop_ifd.clear();
    maker_note_ifd.clear();
    thumbnail.clear();
    modified = false;
    sos_position = 0;
}

Texif_stl::file_reader::file_reader(int fd, std::int64_t size)
    : fd_(fd), size_(size), window_(new std::uint8_t[window_capacity])
{
}

bool Texif_stl::file_reader::fill_window(std::int64_t start)
{
    window_start_ = start;
    window_length_ = 0;
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::int64_t>(window_capacity, size_ - start));
    while (window_length_ < wanted) {
        const ssize_t got = ::pread(fd_, window_.get() + window_length_, wanted - window_length_,
                                    static_cast<off_t>(start + static_cast<std::int64_t>(window_length_)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        window_length_ += static_cast<std::size_t>(got);
    }
    return window_length_ > 0;
}

std::size_t Texif_stl::file_reader::read_some(void* destination, std::size_t n)
{
    if (position_ < 0 || position_ >= size_)
        return 0;
    n = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(n), size_ - position_));
    auto* out = static_cast<std::uint8_t*>(destination);
    std::size_t done = 0;
    while (done < n) {
        const std::int64_t window_end = window_start_ + static_cast<std::int64_t>(window_length_);
        if (position_ >= window_start_ && position_ < window_end) {
            const std::size_t offset = static_cast<std::size_t>(position_ - window_start_);
            const std::size_t chunk = std::min(n - done, window_length_ - offset);
            std::memcpy(out + done, window_.get() + offset, chunk);
            done += chunk;
            position_ += static_cast<std::int64_t>(chunk);
            continue;
        }
        if (n - done >= window_capacity) {
            // Large values go straight to their destination.
            const ssize_t got = ::pread(fd_, out + done, n - done, static_cast<off_t>(position_));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            done += static_cast<std::size_t>(got);
            position_ += got;
            continue;
        }
        if (!fill_window(position_))
            break;
    }
    return done;
}

bool Texif_stl::file_reader::read(void* destination, std::size_t n)
{
    return read_some(destination, n) == n;
}
