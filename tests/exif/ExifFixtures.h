// Builders for small synthetic JPEG files and EXIF blocks, and a trace sink
// that records what the engine reports.
#pragma once

#include "exif/Exif_stl.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace exiftest {

using Bytes = std::vector<std::uint8_t>;

Bytes ToBytes(const std::string& text);
std::string ToText(const Bytes& bytes);
Bytes Concat(std::initializer_list<Bytes> parts);

// A TIFF structure laid out by hand: IFDs and raw bytes are appended at the
// end, and pointer fields are patched once their targets are placed.
class Tiff {
public:
    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t count;
        Bytes value;  // up to 4 bytes: in the value field; longer: placed after the IFD
    };

    explicit Tiff(bool big_endian = false, std::uint32_t first_ifd_offset = 8);

    Bytes U16(std::uint16_t value) const;
    Bytes U32(std::uint32_t value) const;
    // An ASCII entry holding the text and a zero byte.
    Entry Ascii(std::uint16_t tag, const std::string& text) const;
    Entry Long(std::uint16_t tag, std::uint32_t value) const;
    Entry Short(std::uint16_t tag, std::uint16_t value) const;

    // Appends an IFD with its external values; returns its offset.
    std::uint32_t AddIfd(const std::vector<Entry>& entries, std::uint32_t next = 0);
    std::uint32_t Append(const Bytes& raw);
    void PadTo(std::uint32_t offset);
    // Offsets of an IFD's fields, for patching.
    static std::uint32_t ValueField(std::uint32_t ifd, int index) { return ifd + 2 + 12 * index + 8; }
    static std::uint32_t NextField(std::uint32_t ifd, int entries) { return ifd + 2 + 12 * entries; }
    void Patch32(std::uint32_t offset, std::uint32_t value);

    const Bytes& bytes() const { return bytes_; }
    // The APP1 payload: "Exif", two zero bytes, the TIFF structure.
    Bytes Payload() const;

private:
    bool big_endian_;
    Bytes bytes_;
};

struct Segment {
    std::uint16_t code;
    Bytes payload;
};

// SOI, the segments with their length fields, then SOS and a few bytes of
// scan data, EOI and `trailer`.
Bytes Jpeg(const std::vector<Segment>& segments, const Bytes& trailer = {});
// The image data that Jpeg() puts after the segments.
Bytes ImageData(const Bytes& trailer = {});
Segment App1Exif(const Tiff& tiff);
Segment App0Jfif();

class TraceRecorder : public Texif_stl::tracer {
public:
    void trace(const std::string& text) override { pieces.push_back(text); }
    std::string Text() const;
    bool Contains(const std::string& piece) const;
    std::vector<std::string> pieces;
};

}  // namespace exiftest
