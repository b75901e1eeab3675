// The TIFF header and the IFD tree of an EXIF APP1 segment.
#include "exif/exif_internal.h"

#include <cstring>

namespace {

constexpr int max_entries_per_ifd = 300;
constexpr std::uint32_t max_value_count = 204800;
constexpr std::size_t dumped_bytes = 30;

struct sub_ifd_kind {
    const char* first;
    const char* success;
    const char* failure;
    const char* already_read;  // null when the kind has no guard
};

}  // namespace

bool Texif_stl::read_exif_block(file_reader& file, read_state& state)
{
    char identifier[7] = {};
    if (!file.read(identifier, 6)) {
        trace("Bad exif string\n");
        return false;
    }
    trace("EXIF string read = %s\n", identifier);
    if (std::memcmp(identifier, "Exif", 5) != 0) {
        trace("Bad exif string\n");
        return false;
    }

    const std::int64_t base = file.position();
    char alignment[3] = {};
    if (!file.read(alignment, 2))
        return false;
    trace("ALIGNMENT string read = %s\n", alignment);
    motorola = exif_motorola = std::memcmp(alignment, "MM", 2) == 0;
    trace("%s byte order\n", motorola ? "MOTOROLA" : "INTEL");

    std::uint16_t check = 0;
    if (!read_u16(file, check))
        return false;
    trace("Exif check value read = %02x\n", check);
    if (check != 42) {
        trace("Bad Exif check value (should be %02x)\n", 42);
        return false;
    }

    std::uint32_t first_offset = 0;
    if (!read_u32(file, first_offset))
        return false;
    trace("Offset of data = %d\n", static_cast<int>(first_offset - 8));
    file.seek(base + first_offset);

    for (;;) {
        trace("Reading IFD%d\n", static_cast<int>(ifds.size()));
        state.ifd_offsets_read.insert(file.position());
        ifd_type ifd;
        if (!read_ifd(file, ifd, base, state))
            return false;  // the main IFDs completed before stay in ifds
        ifds.push_back(std::move(ifd));

        std::uint32_t next_offset = 0;
        if (!read_u32(file, next_offset)) {
            trace("   Next IFD offset beyond the end of the file\n");
            return false;
        }
        const bool chain_ends = next_offset == 0;
        if (!chain_ends && state.ifd_offsets_read.count(base + next_offset)) {
            trace("   Next IFD at offset %u was already read: end of the chain\n", next_offset);
        } else if (!chain_ends) {
            file.seek(base + next_offset);
            continue;
        }
        read_thumbnail(file, base);
        if (thumbnail.empty())
            remove_thumbnail();
        return true;
    }
}

bool Texif_stl::read_ifd(file_reader& file, ifd_type& ifd, std::int64_t base, read_state& state)
{
    ifd.present = false;
    if (&ifd == &maker_note_ifd && !read_maker_note_header(file, ifd))
        return false;

    std::uint16_t raw_count = 0;
    if (!read_u16(file, raw_count))
        return false;
    const int count = static_cast<std::int16_t>(raw_count);
    trace("   IFD has %d (%x) entrie(s)\n", count, count);
    if (count <= 0 || count > max_entries_per_ifd)
        return false;

    for (int i = 0; i < count; ++i) {
        if (!read_entry(file, ifd, i, base, state))
            return false;
    }
    trace("   OK, IFD read.\n");
    ifd.present = true;
    return true;
}

bool Texif_stl::read_entry(file_reader& file, ifd_type& ifd, int index, std::int64_t base,
                           read_state& state)
{
    std::uint16_t tag = 0;
    std::uint16_t raw_type = 0;
    if (!read_u16(file, tag) || !read_u16(file, raw_type))
        return false;
    const int type = static_cast<std::int16_t>(raw_type);
    if (type < 0 || type > 12) {
        trace("   Invalid data type %d (%x) for tag %d\n", type, type, tag);
        return false;
    }
    std::uint32_t count = 0;
    std::uint8_t value_field[4];
    if (!read_u32(file, count) || !file.read(value_field, sizeof value_field))
        return false;
    const std::uint32_t offset = get_u32(value_field);
    trace("   %03d. IFD tag = %04x, type = %d (%x), size = %d (%x)\n", index, tag, type, type,
          static_cast<int>(count), count);
    if (count > max_value_count) {
        trace("   Invalid SIZE !");
        return false;
    }

    ifd_entry entry;
    entry.tag = tag;
    entry.type = static_cast<std::uint8_t>(type);
    const bool read_as_sub_ifd = read_sub_ifd(file, tag, offset, base, state);
    // The sub-IFD may have been read into this very IFD; `ifd` is a stable
    // reference, so appending below stays valid.
    if (!read_as_sub_ifd) {
        const std::size_t size = static_cast<std::size_t>(type_size(type)) * count;
        if (size <= 4) {
            trace("        Value = %02x %02x %02x %02x, Bytes = %d\n", value_field[0], value_field[1],
                  value_field[2], value_field[3], static_cast<int>(size));
            entry.data.assign(value_field, value_field + size);
        } else {
            trace("        Offset = %08x, Bytes = %d\n", offset, static_cast<int>(size));
            if (size > read_state::max_value_bytes - state.value_bytes) {
                trace("        %d more value bytes exceed what one file may hold!\n", static_cast<int>(size));
                return false;
            }
            if (!read_external_value(file, base + offset, size, entry.data))
                return false;
            state.value_bytes += size;
        }
    }
    ifd.entries.push_back(std::move(entry));
    return true;
}

bool Texif_stl::read_external_value(file_reader& file, std::int64_t position, std::size_t size,
                                    std::vector<std::uint8_t>& data)
{
    const std::int64_t saved = file.position();
    // Refuse sizes past the end before allocating for them.
    if (position < 0 || position > file.size() || static_cast<std::int64_t>(size) > file.size() - position) {
        trace("        failed to read %d bytes from file!\n", static_cast<int>(size));
        return false;
    }
    data.resize(size);
    file.seek(position);
    if (!file.read(data.data(), size)) {
        trace("        failed to read %d bytes from file!\n", static_cast<int>(size));
        return false;
    }
    file.seek(saved);
    if (tracer) {
        trace("        Ok, %d bytes read from file. First bytes are:\n", static_cast<int>(size));
        trace("        '");
        for (std::size_t i = 0; i < size && i < dumped_bytes; ++i) {
            if (data[i] < 32)
                trace("<%02d>", data[i]);
            else
                trace("%c", data[i]);
        }
        trace("'\n");
    }
    return true;
}

bool Texif_stl::read_sub_ifd(file_reader& file, std::uint16_t tag, std::uint32_t offset, std::int64_t base,
                             read_state& state)
{
    static constexpr sub_ifd_kind exif_kind{"   ----> Tag is SUBIFD. Reading Sub-IFD:\n",
                                            "   ----> SUBIFD read.\n",
                                            "   ----> failed to read SUBIFD, read it normally.\n", nullptr};
    static constexpr sub_ifd_kind gps_kind{"   ----> Tag is GPSIFD. Reading GPS-IFD:\n",
                                           "   ----> GPSIFD read.\n",
                                           "   ----> failed to read GPSIFD, read it normally.\n", nullptr};
    static constexpr sub_ifd_kind interop_kind{"   ----> Tag is INTEROP IFD. Reading INTEROP-IFD:\n",
                                               "   ----> INTEROP IFD read.\n",
                                               "   ----> failed to read INTEROP IFD, read it normally.\n",
                                               "   ----> INTEROP IFD already read !\n"};
    static constexpr sub_ifd_kind maker_note_kind{"   ----> Tag is MAKER_NOTE_IFD. Reading:\n",
                                                  "   ----> MAKER NOTE IFD read.\n",
                                                  "   ----> read MAKER NOTE IFD normally.\n",
                                                  "   ----> MAKER_NOTE_IFD already read !\n"};
    const sub_ifd_kind* kind = nullptr;
    ifd_type* target = nullptr;
    switch (tag) {
    case tag_exif_ifd: kind = &exif_kind; target = &exif_ifd; break;
    case tag_gps_ifd: kind = &gps_kind; target = &gps_ifd; break;
    case tag_interop_ifd: kind = &interop_kind; target = &interop_ifd; break;
    case tag_maker_note: kind = &maker_note_kind; target = &maker_note_ifd; break;
    default: return false;
    }

    trace("%s", kind->first);
    const std::int64_t position = base + offset;
    bool read = false;
    if (kind->already_read && !target->entries.empty()) {
        trace("%s", kind->already_read);
    } else if (state.ifd_offsets_read.count(position)) {
        trace("   ----> IFD at offset %u was already read\n", offset);
    } else if (state.sub_ifd_depth >= read_state::max_sub_ifd_depth) {
        trace("   ----> sub-IFDs nested too deeply\n");
    } else {
        const std::int64_t saved = file.position();
        state.ifd_offsets_read.insert(position);
        ++state.sub_ifd_depth;
        file.seek(position);
        read = read_ifd(file, *target, base, state);
        --state.sub_ifd_depth;
        file.seek(saved);
    }
    trace("%s", read ? kind->success : kind->failure);
    return read;
}
