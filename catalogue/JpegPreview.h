// The preview picture of a photo: its JPEG decoded at one eighth of its
// width and height, and where to show it in the preview area.
#pragma once

#include <QImage>
#include <QRect>
#include <QSize>

#include <optional>
#include <string>

namespace lumitag {

struct JpegPreview {
    QImage image;        // null on failure
    std::string error;   // why it failed; empty on success
};

// Decodes the JPEG file at path to ceil(width / 8) x ceil(height / 8)
// pixels: Format_Grayscale8 for grey files, Format_RGB32 for colour and
// CMYK ones. A missing file, a file without JPEG data, a damaged or
// truncated one gives a null image and an error text.
JpegPreview DecodeJpegPreview(const std::string& path);

// Where the picture goes in an area of the given inner size: as high as the
// area when its proportions allow, else as wide, never larger than the
// picture itself, centred. nullopt (leave it where it is) when the picture
// has no width or no height.
std::optional<QRect> FitPreview(QSize area, QSize picture);

}  // namespace lumitag
