#include "ExifFixtures.h"

#include <algorithm>

namespace exiftest {

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }
std::string ToText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Tiff::Tiff(bool big_endian, std::uint32_t first_ifd_offset) : big_endian_(big_endian)
{
    bytes_ = big_endian ? ToBytes("MM") : ToBytes("II");
    const Bytes check = U16(42);
    const Bytes first = U32(first_ifd_offset);
    bytes_.insert(bytes_.end(), check.begin(), check.end());
    bytes_.insert(bytes_.end(), first.begin(), first.end());
}

Bytes Tiff::U16(std::uint16_t value) const
{
    Bytes out{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8)};
    if (big_endian_)
        std::reverse(out.begin(), out.end());
    return out;
}

Bytes Tiff::U32(std::uint32_t value) const
{
    Bytes out;
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    if (big_endian_)
        std::reverse(out.begin(), out.end());
    return out;
}

Tiff::Entry Tiff::Ascii(std::uint16_t tag, const std::string& text) const
{
    Bytes value = ToBytes(text);
    value.push_back(0);
    return Entry{tag, 2, static_cast<std::uint32_t>(value.size()), value};
}

Tiff::Entry Tiff::Long(std::uint16_t tag, std::uint32_t value) const { return Entry{tag, 4, 1, U32(value)}; }
Tiff::Entry Tiff::Short(std::uint16_t tag, std::uint16_t value) const { return Entry{tag, 3, 1, U16(value)}; }

std::uint32_t Tiff::AddIfd(const std::vector<Entry>& entries, std::uint32_t next)
{
    const std::uint32_t start = static_cast<std::uint32_t>(bytes_.size());
    Bytes externs;
    const std::uint32_t externs_start = start + 2 + 12 * static_cast<std::uint32_t>(entries.size()) + 4;
    Bytes ifd = U16(static_cast<std::uint16_t>(entries.size()));
    for (const Entry& entry : entries) {
        ifd = Concat({ifd, U16(entry.tag), U16(entry.type), U32(entry.count)});
        if (entry.value.size() <= 4) {
            Bytes field = entry.value;
            field.resize(4, 0);
            ifd = Concat({ifd, field});
        } else {
            ifd = Concat({ifd, U32(externs_start + static_cast<std::uint32_t>(externs.size()))});
            externs.insert(externs.end(), entry.value.begin(), entry.value.end());
        }
    }
    bytes_ = Concat({bytes_, ifd, U32(next), externs});
    return start;
}

std::uint32_t Tiff::Append(const Bytes& raw)
{
    const std::uint32_t start = static_cast<std::uint32_t>(bytes_.size());
    bytes_.insert(bytes_.end(), raw.begin(), raw.end());
    return start;
}

void Tiff::PadTo(std::uint32_t offset)
{
    if (bytes_.size() < offset)
        bytes_.resize(offset, 0xEE);
}

void Tiff::Patch32(std::uint32_t offset, std::uint32_t value)
{
    const Bytes field = U32(value);
    std::copy(field.begin(), field.end(), bytes_.begin() + offset);
}

Bytes Tiff::Payload() const { return Concat({ToBytes(std::string("Exif\0\0", 6)), bytes_}); }

Bytes ImageData(const Bytes& trailer)
{
    // SOS with a minimal header, some entropy-coded bytes, EOI.
    return Concat({{0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00},
                   {0x12, 0x34, 0xFF, 0x00, 0x56, 0x78},
                   {0xFF, 0xD9},
                   trailer});
}

Bytes Jpeg(const std::vector<Segment>& segments, const Bytes& trailer)
{
    Bytes out{0xFF, 0xD8};
    for (const Segment& segment : segments) {
        const std::size_t length = segment.payload.size() + 2;
        out = Concat({out,
                      {static_cast<std::uint8_t>(segment.code >> 8), static_cast<std::uint8_t>(segment.code),
                       static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)},
                      segment.payload});
    }
    return Concat({out, ImageData(trailer)});
}

Segment App1Exif(const Tiff& tiff) { return Segment{0xFFE1, tiff.Payload()}; }

Segment App0Jfif()
{
    return Segment{0xFFE0, Concat({ToBytes(std::string("JFIF\0", 5)), {1, 1, 0, 0, 1, 0, 1, 0, 0}})};
}

std::string TraceRecorder::Text() const
{
    std::string text;
    for (const std::string& piece : pieces)
        text += piece;
    return text;
}

bool TraceRecorder::Contains(const std::string& piece) const
{
    return std::find(pieces.begin(), pieces.end(), piece) != pieces.end();
}

}  // namespace exiftest
