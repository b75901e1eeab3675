// The JPEG segment walk from SOI to the first SOS or EOI marker.
#include "exif/exif_internal.h"

#include <fcntl.h>
#include <limits>
#include <sys/stat.h>

void Texif_stl::add_marker(const marker& segment)
{
    if (segment.code == marker_app1 && segment.is_exif && markers.size() > 1)
        markers.insert(markers.begin() + 1, segment);
    else
        markers.push_back(segment);
}

bool Texif_stl::read_jpeg(const std::string& path)
{
    clear_document();
    trace("Reading file %s\n", path.c_str());

    // Non-blocking, so that a FIFO named like a photo cannot hang the open.
    file_handle_auto_close file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file)
        return false;
    struct stat status {};
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return false;

    file_time = status.st_mtim;
    motorola = true;
    exif_motorola = false;
    file_name = path;

    file_reader reader(file.get(), status.st_size);
    return read_segments(reader);
}

bool Texif_stl::read_segments(file_reader& file)
{
    std::uint16_t code = 0;
    if (!read_u16(file, code)) {
        trace("First marker is not SOI: the file is shorter than 2 bytes\n");
        return false;
    }
    if (code != marker_soi) {
        trace("First marker is not SOI %04x instead of %04x\n", code, marker_soi);
        return false;
    }
    add_marker(marker{marker_soi, {}, true});

    read_state state;
    for (;;) {
        motorola = true;
        const std::int64_t marker_position = file.position();
        if (!read_u16(file, code)) {
            trace("   Unexpected end of file at position %llx\n", static_cast<unsigned long long>(marker_position));
            return false;
        }
        trace("Found marker %04x at position %llx\n", code, static_cast<unsigned long long>(marker_position));
        if (code == marker_eoi || code == marker_sos) {
            // The offset is a signed 32-bit field: a larger one cannot be kept.
            if (marker_position > std::numeric_limits<std::int32_t>::max()) {
                trace("   Image data beyond 2 GiB: not supported\n");
                return false;
            }
            // Past EOI without SOS, the writer copies EOI and whatever follows.
            sos_position = static_cast<std::int32_t>(marker_position);
            if (code == marker_eoi)
                trace("   Marker is EOI : ciao\n");
            else
                trace("   Marker is SOS at position %d\n", sos_position);
            return true;
        }

        std::uint16_t length = 0;
        if (!read_u16(file, length)) {
            trace("   Unexpected end of file at position %llx\n", static_cast<unsigned long long>(marker_position + 2));
            return false;
        }
        const std::uint16_t size = static_cast<std::uint16_t>(length - 2);
        trace("   Size of marker = %d (%x)\n", size, size);

        // An empty APP1 carries no EXIF block: kept raw, it is written back as
        // it was instead of receiving a generated block.
        marker segment{code, {}, !(code == marker_app1 && size == 0)};
        if (size != 0) {
            bool payload_needed = true;
            const std::int64_t payload_position = file.position();
            if (code == marker_app1) {
                trace("   Marker is EXIF, data at position %lld\n", static_cast<long long>(payload_position));
                trace("**************** READING EXIF MARKER ****************\n");
                segment.is_exif = read_exif_block(file, state);
                if (segment.is_exif) {
                    trace("EXIF MARKER READ SUCCESSFULLY\n");
                    payload_needed = false;
                } else {
                    trace("FAILED TO READ EXIF MARKER. Read marker normally\n");
                }
                file.seek(payload_position);
            }
            if (payload_needed) {
                segment.data.resize(size);
                if (!file.read(segment.data.data(), size)) {
                    trace("   Failed to read %d bytes for marker %x\n", size, code);
                    return false;
                }
            } else {
                file.seek(payload_position + size);
            }
            if (code == marker_app1)
                trace("**************** END OF READING EXIF MARKER ****************\n");
        }
        add_marker(segment);
    }
}
