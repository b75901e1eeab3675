// Regeneration of the EXIF block from the IFD tree, every offset computed anew.
#include "exif/exif_internal.h"

#include <algorithm>

namespace {

constexpr std::uint32_t tiff_header_position = 6;  // after "Exif" and two zero bytes

std::uint32_t tiff_offset(const std::vector<std::uint8_t>& out)
{
    return static_cast<std::uint32_t>(out.size() - tiff_header_position);
}

// Positions of value fields still to be filled once the pointed-to data is
// placed. An IFD may hold a kind twice; every such field then gets the one
// regenerated copy instead of a zero offset.
using positions = std::vector<std::size_t>;
struct pending_pointers {
    positions exif;
    positions gps;
    positions interop;
    positions maker_note;
    positions thumbnail;
};

void fill(const Texif_stl& document, std::vector<std::uint8_t>& out, const positions& fields, std::uint32_t value)
{
    for (std::size_t position : fields)
        document.put_u32(out, position, value);
}

}  // namespace

std::size_t Texif_stl::generate_exif_data(std::vector<std::uint8_t>& out)
{
    trace("Generate exif_data for writting\n");
    out.clear();
    out.insert(out.end(), {'E', 'x', 'i', 'f', 0, 0});
    motorola = exif_motorola;
    if (motorola)
        out.insert(out.end(), {'M', 'M'});
    else
        out.insert(out.end(), {'I', 'I'});
    put_u16(out, 42);
    put_u32(out, 8);
    generation_state state;
    for (std::size_t i = 0; i < ifds.size(); ++i) {
        trace("  Generate ifd n\xC2\xB0%d\n", static_cast<int>(i + 1));
        generate_ifd(out, ifds[i], i + 1 == ifds.size(), i == 1, state);
    }
    return ifds.size();
}

void Texif_stl::generate_ifd(std::vector<std::uint8_t>& out, ifd_type& ifd, bool no_next_link, bool is_ifd1,
                             generation_state& state)
{
    if (!ifd.header.empty()) {
        trace("   ifd has header\n");
        out.insert(out.end(), ifd.header.begin(), ifd.header.end());
    }
    pending_pointers pending;

    std::stable_sort(ifd.entries.begin(), ifd.entries.end(),
                     [](const ifd_entry& a, const ifd_entry& b) { return a.tag < b.tag; });
    const std::size_t count = ifd.entries.size();
    for (std::size_t i = 0; i < count; ++i)
        if (ifd.entries[i].tag == tag_exif_ifd)
            std::swap(ifd.entries[i], ifd.entries[count - 1]);

    trace("   ifd has %d entries\n", static_cast<int>(count));
    put_u16(out, static_cast<std::uint16_t>(count));

    std::vector<std::uint8_t> externs;
    std::vector<std::size_t> extern_fixups;
    int number = 0;
    for (const ifd_entry& entry : ifd.entries) {
        trace("       generate entry %d : type = %d, tag = %X\n", ++number, entry.type, entry.tag);
        put_u16(out, entry.tag);
        put_u16(out, entry.type);

        // A pointer to a sub-IFD that is being generated right now (it points
        // into itself) is written as an ordinary entry: regenerating it would
        // never end.
        positions* pointer = nullptr;
        const char* pointer_line = nullptr;
        if (entry.tag == tag_exif_ifd && !state.exif) {
            pointer = &pending.exif;
            pointer_line = "       = SUB_IFD entry\n";
        } else if (entry.tag == tag_gps_ifd && gps_ifd.present && !state.gps) {
            pointer = &pending.gps;
            pointer_line = "       = GPS_IFD entry\n";
        } else if (entry.tag == tag_interop_ifd && interop_ifd.present && !state.interop) {
            pointer = &pending.interop;
            pointer_line = "       = INTEROP_IFD entry\n";
        } else if (entry.tag == tag_maker_note && maker_note_ifd.present && !state.maker_note) {
            pointer = &pending.maker_note;
            pointer_line = "       = MAKER_NOTE_IFD entry\n";
        } else if (is_ifd1 && (entry.tag == tag_strip_offsets || entry.tag == tag_jpeg_if_offset)) {
            pointer = &pending.thumbnail;
            pointer_line = "       = STRIP_OFFSET or JPEG_IF_OFFSET entry\n";
        }

        if (pointer) {
            trace("%s", pointer_line);
            put_u32(out, 1);
            pointer->push_back(out.size());
            put_u32(out, 0);
        } else if (is_ifd1 && (entry.tag == tag_strip_byte_counts || entry.tag == tag_jpeg_if_byte_count)) {
            trace("       = STRIP_BYTE_COUNTS or JPEG_IF_BYTE_COUNT entry\n");
            put_u32(out, 1);
            put_u32(out, static_cast<std::uint32_t>(thumbnail.size()));
        } else {
            const std::uint32_t values = entry.count();
            put_u32(out, values);
            if (entry.data.size() <= 4) {
                trace("       = other entry with local data (size = %d)\n", static_cast<int>(values));
                out.insert(out.end(), entry.data.begin(), entry.data.end());
                out.insert(out.end(), 4 - entry.data.size(), 0);
            } else {
                trace("       = other entry with data in externs (size = %d)\n", static_cast<int>(values));
                extern_fixups.push_back(out.size());
                put_u32(out, static_cast<std::uint32_t>(externs.size()));
                externs.insert(externs.end(), entry.data.begin(), entry.data.end());
            }
        }
    }

    const std::size_t next_link = out.size();
    put_u32(out, 0);

    const std::uint32_t externs_offset = tiff_offset(out);
    out.insert(out.end(), externs.begin(), externs.end());
    for (std::size_t position : extern_fixups)
        put_u32(out, position, get_u32(out.data() + position) + externs_offset);

    struct sub_ifd {
        const positions& fields;
        ifd_type& ifd;
        bool& generating;
    };
    for (const sub_ifd& sub : {sub_ifd{pending.exif, exif_ifd, state.exif},
                               sub_ifd{pending.gps, gps_ifd, state.gps},
                               sub_ifd{pending.interop, interop_ifd, state.interop}}) {
        if (sub.fields.empty())
            continue;
        fill(*this, out, sub.fields, tiff_offset(out));
        sub.generating = true;
        generate_ifd(out, sub.ifd, true, false, state);
        sub.generating = false;
    }
    if (!pending.maker_note.empty()) {
        fill(*this, out, pending.maker_note, tiff_offset(out));
        const std::size_t start = out.size();
        state.maker_note = true;
        generate_ifd(out, maker_note_ifd, true, false, state);
        state.maker_note = false;
        for (std::size_t position : pending.maker_note)
            put_u32(out, position - 4, static_cast<std::uint32_t>(out.size() - start));
    }
    if (!pending.thumbnail.empty()) {
        fill(*this, out, pending.thumbnail, tiff_offset(out));
        out.insert(out.end(), thumbnail.begin(), thumbnail.end());
    }
    if (!no_next_link)
        put_u32(out, next_link, tiff_offset(out));
}
