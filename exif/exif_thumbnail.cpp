// The thumbnail image of IFD1, held as bytes so that it survives regeneration.
#include "exif/exif_internal.h"

namespace {

// The first value of an offset or length entry, by its own type: TIFF allows
// SHORT or LONG for both, and a SHORT has only two bytes to read.
bool first_number(const Texif_stl& document, const Texif_stl::ifd_entry& entry, std::uint32_t& value)
{
    if (entry.type == 3 || entry.type == 8) {
        if (entry.data.size() < 2)
            return false;
        value = document.get_u16(entry.data.data());
        return true;
    }
    if (entry.data.size() < 4)
        return false;
    value = document.get_u32(entry.data.data());
    return true;
}

}  // namespace

bool Texif_stl::has_jpeg_thumbnail_tags() const
{
    return ifds.size() >= 2 && find_entry_in(ifds[1], tag_jpeg_if_offset) &&
           find_entry_in(ifds[1], tag_jpeg_if_byte_count);
}

void Texif_stl::read_thumbnail(file_reader& file, std::int64_t base)
{
    thumbnail.clear();
    if (ifds.size() < 2)
        return;
    const ifd_entry* compression_entry = find_entry_in(ifds[1], tag_compression);
    if (!compression_entry) {
        trace("COMPRESSION Tag %04x not found : no thumbnail image\n", tag_compression);
        // Many cameras leave Compression out of IFD1 and still give the
        // JPEG thumbnail's offset and length; dropping it would lose it.
        if (has_jpeg_thumbnail_tags()) {
            trace("   JPEG thumbnail tags found: reading thumbnail image\n");
            read_thumbnail_through(file, base, tag_jpeg_if_offset, tag_jpeg_if_byte_count);
        }
        return;
    }
    trace("COMPRESSION Tag %04x found : reading thumbnail image\n", tag_compression);
    std::uint32_t compression_value = 0;
    const int compression =
        first_number(*this, *compression_entry, compression_value) ? static_cast<int>(compression_value) : -1;
    trace("   Compression value = %d\n", compression);

    if (compression == 1) {
        // A JPEG thumbnail mislabelled as uncompressed has no strips, only
        // the JPEG interchange tags.
        const bool strips = find_entry_in(ifds[1], tag_strip_offsets) && find_entry_in(ifds[1], tag_strip_byte_counts);
        if (!strips && has_jpeg_thumbnail_tags())
            read_thumbnail_through(file, base, tag_jpeg_if_offset, tag_jpeg_if_byte_count);
        else
            read_thumbnail_through(file, base, tag_strip_offsets, tag_strip_byte_counts);
    } else if (compression == 6) {
        read_thumbnail_through(file, base, tag_jpeg_if_offset, tag_jpeg_if_byte_count);
    } else {
        trace("   Unsupported compression value!\n");
    }
}

void Texif_stl::read_thumbnail_through(file_reader& file, std::int64_t base, std::uint16_t offset_tag,
                                       std::uint16_t length_tag)
{
    const ifd_type& ifd1 = ifds[1];
    trace("   Searching for offset tag %04x\n", offset_tag);
    const ifd_entry* offset_entry = find_entry_in(ifd1, offset_tag);
    std::uint32_t offset = 0;
    if (!offset_entry || !first_number(*this, *offset_entry, offset)) {
        trace("   Offset tag not found!\n");
        return;
    }
    trace("   Searching for byte-count tag %04x\n", length_tag);
    const ifd_entry* length_entry = find_entry_in(ifd1, length_tag);
    std::uint32_t length = 0;
    if (!length_entry || !first_number(*this, *length_entry, length)) {
        trace("   Byte-count tag not found!\n");
        return;
    }
    trace("   Byte count = %d\n", static_cast<int>(length));
    if (length > max_thumbnail_size) {
        trace("   Byte count too big!\n");
        return;
    }

    const std::int64_t saved = file.position();
    thumbnail.resize(length);
    file.seek(base + offset);
    if (!file.read(thumbnail.data(), length)) {
        trace("   Unable to read %d bytes from file!\n", static_cast<int>(length));
        thumbnail.clear();
    }
    file.seek(saved);
    trace("   Thumbnail image read %s\n", thumbnail.empty() ? "FAILED" : "OK");
}

void Texif_stl::remove_thumbnail()
{
    thumbnail.clear();
    if (ifds.size() < 2)
        return;
    ifd_type& ifd1 = ifds[1];
    const std::size_t entries_before = ifd1.entries.size();
    for (std::uint16_t tag : {tag_strip_offsets, tag_strip_byte_counts, tag_rows_per_strip, tag_jpeg_if_offset,
                              tag_jpeg_if_byte_count, tag_compression})
        remove_entry_in(ifd1, tag);
    // Never clears a change made before: a caller's edits must still be written.
    if (ifd1.entries.size() != entries_before)
        modified = true;
}
