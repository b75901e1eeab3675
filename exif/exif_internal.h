// Pieces shared by the engine's source files; not part of the public header.
#pragma once

#include "exif/Exif_stl.h"

#include <cstdint>
#include <memory>
#include <set>

// Reads a file through one window of cached bytes, so that the many small
// reads of the segment and IFD walk cost no system call each. Every read is
// checked against the file's size: nothing past the end, no stale bytes.
class Texif_stl::file_reader {
public:
    file_reader(int fd, std::int64_t size);

    std::int64_t position() const { return position_; }
    std::int64_t size() const { return size_; }
    // Any position is accepted; reads from beyond the end fail.
    void seek(std::int64_t position) { position_ = position; }
    // All n bytes, or false when the file ends first.
    bool read(void* destination, std::size_t n);
    // Up to n bytes; returns how many came.
    std::size_t read_some(void* destination, std::size_t n);

private:
    bool fill_window(std::int64_t start);

    static constexpr std::size_t window_capacity = 64 * 1024;
    int fd_;
    std::int64_t size_;
    std::int64_t position_ = 0;
    std::unique_ptr<std::uint8_t[]> window_;
    std::int64_t window_start_ = 0;
    std::size_t window_length_ = 0;
};

// Bookkeeping of one read: the IFDs already read, so that no offset is read
// twice (which would loop on a cycle or multiply work on shared offsets), how
// deeply sub-IFDs nest at the moment, and how many value bytes were loaded:
// values may point anywhere in the file, so many entries naming one large
// region would otherwise exhaust memory.
struct Texif_stl::read_state {
    static constexpr int max_sub_ifd_depth = 8;
    static constexpr std::size_t max_value_bytes = 16 * 1024 * 1024;
    std::set<std::int64_t> ifd_offsets_read;
    int sub_ifd_depth = 0;
    std::size_t value_bytes = 0;
};

// Sub-IFDs under generation at the moment: a pointer to one of them inside
// itself would recurse without end, so it is written as an ordinary entry.
struct Texif_stl::generation_state {
    bool exif = false;
    bool gps = false;
    bool interop = false;
    bool maker_note = false;
};
