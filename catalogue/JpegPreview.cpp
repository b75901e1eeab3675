#include "catalogue/JpegPreview.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace lumitag {

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not
// return: it jumps back to the decode with the message kept here.
struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool dataMissing;   // part of the image data was not there
};

void ErrorExit(j_common_ptr info)
{
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void EmitMessage(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
    // Warnings about extraneous bytes and the like leave a usable picture;
    // a data segment that ends early leaves a grey band, so it fails.
    if (level < 0 && info->err->msg_code == JWRN_HIT_MARKER) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        (*info->err->format_message)(info, errors->message);
        errors->dataMissing = true;
    }
}

void OutputMessage(j_common_ptr) {}

// Reads the file through its descriptor in large blocks.
constexpr size_t kInputBlock = 64 * 1024;

struct FileSource {
    jpeg_source_mgr base;
    int fd;
    JOCTET* buffer;
};

const JOCTET kFakeEnd[2] = {0xFF, JPEG_EOI};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<FileSource*>(info->src);
    ssize_t length;
    do
        length = read(source->fd, source->buffer, kInputBlock);
    while (length < 0 && errno == EINTR);
    if (length <= 0) {
        if (length < 0)
            ERREXIT(info, JERR_FILE_READ);
        // As libjpeg's own sources do: an end-of-image marker lets the
        // decoder notice the missing data itself.
        WARNMS(info, JWRN_JPEG_EOF);
        source->base.next_input_byte = kFakeEnd;
        source->base.bytes_in_buffer = sizeof kFakeEnd;
        return TRUE;
    }
    source->base.next_input_byte = source->buffer;
    source->base.bytes_in_buffer = static_cast<size_t>(length);
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    auto* source = reinterpret_cast<FileSource*>(info->src);
    if (count <= 0)
        return;
    const auto skip = static_cast<size_t>(count);
    if (skip <= source->base.bytes_in_buffer) {
        source->base.next_input_byte += skip;
        source->base.bytes_in_buffer -= skip;
        return;
    }
    // Large segments (EXIF thumbnails, maker notes) are skipped by seeking.
    const off_t beyond = static_cast<off_t>(skip - source->base.bytes_in_buffer);
    source->base.bytes_in_buffer = 0;
    if (lseek(source->fd, beyond, SEEK_CUR) < 0)
        ERREXIT(info, JERR_FILE_READ);
    FillInputBuffer(info);
}

void TermSource(j_decompress_ptr) {}

// Everything one decode owns; it lives in the caller's frame, outside the
// function that calls setjmp, so a jump back never leaves it in doubt.
struct Decode {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    FileSource source{};
    std::vector<JOCTET> buffer = std::vector<JOCTET>(kInputBlock);
    std::vector<JSAMPROW> rows;
    std::vector<JSAMPLE> cmykRow;
    QImage image;
    int fd = -1;
    bool created = false;

    ~Decode()
    {
        if (created)
            jpeg_destroy_decompress(&info);
        if (fd >= 0)
            close(fd);
    }
};

// The output colour space that needs no pass of its own: libjpeg writes
// grey and RGB32 straight into the image. CMYK has no Qt format here, so
// its rows are turned into RGB32 one at a time.
bool ChooseOutput(Decode& d)
{
    switch (d.info.jpeg_color_space) {
    case JCS_GRAYSCALE:
        d.info.out_color_space = JCS_GRAYSCALE;
        return true;
    case JCS_YCbCr:
    case JCS_RGB:
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        d.info.out_color_space = JCS_EXT_BGRX;
#else
        d.info.out_color_space = JCS_EXT_XRGB;
#endif
        return true;
    case JCS_CMYK:
    case JCS_YCCK:
        d.info.out_color_space = JCS_CMYK;
        return true;
    default:
        return false;
    }
}

// Adobe CMYK JPEGs, the only ones in use, store the inks inverted.
void CmykRowToRgb32(const JSAMPLE* cmyk, QRgb* rgb, JDIMENSION width)
{
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4) {
        const int black = cmyk[3];
        rgb[x] = qRgb(cmyk[0] * black / 255, cmyk[1] * black / 255, cmyk[2] * black / 255);
    }
}

void ReadRows(Decode& d)
{
    const JDIMENSION height = d.info.output_height;
    if (d.info.out_color_space == JCS_CMYK) {
        d.cmykRow.resize(static_cast<size_t>(d.info.output_width) * 4);
        JSAMPROW row = d.cmykRow.data();
        while (d.info.output_scanline < height) {
            const JDIMENSION y = d.info.output_scanline;
            if (jpeg_read_scanlines(&d.info, &row, 1) != 1)
                break;
            CmykRowToRgb32(row, reinterpret_cast<QRgb*>(d.image.scanLine(static_cast<int>(y))), d.info.output_width);
        }
        return;
    }
    d.rows.resize(height);
    uchar* bits = d.image.bits();
    for (JDIMENSION y = 0; y < height; ++y)
        d.rows[y] = bits + static_cast<qsizetype>(y) * d.image.bytesPerLine();
    while (d.info.output_scanline < height) {
        const JDIMENSION done = d.info.output_scanline;
        if (jpeg_read_scanlines(&d.info, d.rows.data() + done, height - done) == 0)
            break;
    }
}

// Only trivially destructible locals here: a longjmp may leave this frame.
bool RunDecode(Decode& d, std::string& error)
{
    d.info.err = jpeg_std_error(&d.errors.base);
    d.errors.base.error_exit = ErrorExit;
    d.errors.base.emit_message = EmitMessage;
    d.errors.base.output_message = OutputMessage;
    if (setjmp(d.errors.jump)) {
        error = d.errors.message;
        return false;
    }
    jpeg_create_decompress(&d.info);
    d.created = true;
    d.source.base.init_source = InitSource;
    d.source.base.fill_input_buffer = FillInputBuffer;
    d.source.base.skip_input_data = SkipInputData;
    d.source.base.resync_to_restart = jpeg_resync_to_restart;
    d.source.base.term_source = TermSource;
    d.source.fd = d.fd;
    d.source.buffer = d.buffer.data();
    d.info.src = &d.source.base;

    jpeg_read_header(&d.info, TRUE);
    if (!ChooseOutput(d)) {
        error = "unsupported JPEG colour space";
        return false;
    }
    d.info.scale_num = 1;
    d.info.scale_denom = 8;
    jpeg_start_decompress(&d.info);
    const QImage::Format format =
        d.info.out_color_space == JCS_GRAYSCALE ? QImage::Format_Grayscale8 : QImage::Format_RGB32;
    d.image = QImage(static_cast<int>(d.info.output_width), static_cast<int>(d.info.output_height), format);
    if (d.image.isNull()) {
        error = "not enough memory for the picture";
        return false;
    }
    ReadRows(d);
    if (d.errors.dataMissing) {
        error = d.errors.message;
        return false;
    }
    if (d.info.output_scanline < d.info.output_height) {
        error = "the image data ends early";
        return false;
    }
    // The rest of the file holds no pixels; destroying the decoder ends it.
    return true;
}

}  // namespace

JpegPreview DecodeJpegPreview(const std::string& path)
{
    JpegPreview result;
    Decode d;
    d.fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (d.fd < 0) {
        result.error = "cannot open " + path + ": " + std::strerror(errno);
        return result;
    }
    if (RunDecode(d, result.error))
        result.image = std::move(d.image);
    else if (result.error.empty())
        result.error = "cannot decode " + path;
    return result;
}

std::optional<QRect> FitPreview(QSize area, QSize picture)
{
    if (picture.width() == 0 || picture.height() == 0)
        return std::nullopt;
    int height = std::min(area.height(), picture.height());
    int width = height * picture.width() / picture.height();
    if (width > area.width()) {
        width = std::min(area.width(), picture.width());
        height = width * picture.height() / picture.width();
    }
    return QRect((area.width() - width) / 2, (area.height() - height) / 2, width, height);
}

}  // namespace lumitag
