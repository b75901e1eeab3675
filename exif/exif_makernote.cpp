// Maker-note signatures: which maker notes are read as an IFD, and from where.
#include "exif/exif_internal.h"

#include <strings.h>

namespace {

constexpr std::size_t probed_bytes = 50;
constexpr std::size_t signature_header_size = 8;

struct maker_signature {
    const char* prefix;
    const char* found;
    const char* refusal;  // null when the maker note is read as an IFD
};

constexpr maker_signature signatures[] = {
    {"OLYMP", "   Found OLYMP ifd header for maker notes\n", nullptr},
    {"NIKON", "   Found NIKON ifd header for maker notes\n", nullptr},
    {"FUJIFILM", "   Found FUJIFIM ifd header for maker notes\n",
     "   Read FUJI maker notes normally (indexes are relative)\n"},
    {"KDK", "   Found KODAK ifd header for maker notes\n",
     "   Read maker notes normally because format is unknown\n"},
    {"SONY", "   Found SONY ifd header for maker notes\n",
     "   Read maker notes normally because format is unknown\n"},
};

constexpr const char* read_from_start = "   Trying to read MakerNote as IFD at the very begining of data\n";

}  // namespace

bool Texif_stl::read_maker_note_header(file_reader& file, ifd_type& ifd)
{
    const std::int64_t start = file.position();
    char probe[probed_bytes];
    const std::size_t got = file.read_some(probe, sizeof probe);
    ifd.header.clear();
    if (got == sizeof probe) {
        for (const maker_signature& signature : signatures) {
            if (::strncasecmp(probe, signature.prefix, std::char_traits<char>::length(signature.prefix)) != 0)
                continue;
            trace("%s", signature.found);
            if (signature.refusal) {
                trace("%s", signature.refusal);
                return false;
            }
            ifd.header.assign(probe, probe + signature_header_size);
            file.seek(start + static_cast<std::int64_t>(signature_header_size));
            return true;
        }
    }
    trace("%s", read_from_start);
    file.seek(start);
    return true;
}
