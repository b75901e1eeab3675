#include "catalogue/JpegPreview.h"

#include "support/TestSupport.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

#include <algorithm>

#include <jpeglib.h>

using namespace lumitag;

namespace {

// A picture with four coloured quarters and a gradient band, so that both
// the channel order and the positions show in the decoded preview.
QImage TestPicture(int width, int height, QImage::Format format = QImage::Format_RGB32)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const int halfW = width / 2, halfH = height / 2;
    painter.fillRect(0, 0, halfW, halfH, QColor(220, 30, 30));
    painter.fillRect(halfW, 0, width - halfW, halfH, QColor(30, 200, 40));
    painter.fillRect(0, halfH, halfW, height - halfH, QColor(30, 40, 210));
    painter.fillRect(halfW, halfH, width - halfW, height - halfH, QColor(240, 240, 240));
    painter.end();
    return image.convertToFormat(format);
}

std::string SaveJpeg(const testsupport::ScratchDir& dir, const std::string& name, const QImage& image)
{
    const std::string path = dir.file(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPG", 92)) << path;
    return path;
}

// Qt writes no CMYK JPEGs; libjpeg does, with the Adobe marker and, as
// Adobe's programs do, the inks stored inverted.
std::string SaveCmykJpeg(const testsupport::ScratchDir& dir, int width, int height, const QColor& colour)
{
    const std::string path = dir.file("cmyk.jpg");
    FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    const int black = std::max({colour.red(), colour.green(), colour.blue()});
    const auto ink = [black](int channel) { return static_cast<JSAMPLE>(black == 0 ? 0 : channel * 255 / black); };
    std::vector<JSAMPLE> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), {ink(colour.red()), ink(colour.green()), ink(colour.blue()), static_cast<JSAMPLE>(black)});
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return path;
}

void ExpectColourNear(QRgb actual, const QColor& expected, int tolerance, const char* where)
{
    EXPECT_NEAR(qRed(actual), expected.red(), tolerance) << where;
    EXPECT_NEAR(qGreen(actual), expected.green(), tolerance) << where;
    EXPECT_NEAR(qBlue(actual), expected.blue(), tolerance) << where;
}

TEST(JpegPreview, DecodesAtOneEighthRoundedUp)
{
    testsupport::ScratchDir dir;
    const struct {
        int width, height, previewWidth, previewHeight;
    } cases[] = {
        {640, 480, 80, 60}, {801, 601, 101, 76}, {7, 3, 1, 1}, {1, 1, 1, 1}, {1000, 125, 125, 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        const JpegPreview preview = DecodeJpegPreview(SaveJpeg(dir, "photo.jpg", TestPicture(c.width, c.height)));
        ASSERT_FALSE(preview.image.isNull()) << preview.error;
        EXPECT_EQ(preview.error, "");
        EXPECT_EQ(preview.image.size(), QSize(c.previewWidth, c.previewHeight));
        EXPECT_EQ(preview.image.format(), QImage::Format_RGB32);
    }
}

TEST(JpegPreview, KeepsColoursInPlace)
{
    testsupport::ScratchDir dir;
    const JpegPreview preview = DecodeJpegPreview(SaveJpeg(dir, "photo.jpg", TestPicture(256, 192)));
    ASSERT_FALSE(preview.image.isNull()) << preview.error;
    ExpectColourNear(preview.image.pixel(8, 6), QColor(220, 30, 30), 12, "top left");
    ExpectColourNear(preview.image.pixel(24, 6), QColor(30, 200, 40), 12, "top right");
    ExpectColourNear(preview.image.pixel(8, 18), QColor(30, 40, 210), 12, "bottom left");
    ExpectColourNear(preview.image.pixel(24, 18), QColor(240, 240, 240), 12, "bottom right");
}

TEST(JpegPreview, DecodesGreyAndCmykFiles)
{
    testsupport::ScratchDir dir;
    const JpegPreview grey =
        DecodeJpegPreview(SaveJpeg(dir, "grey.jpg", TestPicture(160, 80, QImage::Format_Grayscale8)));
    ASSERT_FALSE(grey.image.isNull()) << grey.error;
    EXPECT_EQ(grey.image.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(grey.image.size(), QSize(20, 10));
    EXPECT_NEAR(qGray(grey.image.pixel(15, 7)), 240, 12);

    const QColor orange(230, 120, 20);
    const JpegPreview cmyk = DecodeJpegPreview(SaveCmykJpeg(dir, 96, 64, orange));
    ASSERT_FALSE(cmyk.image.isNull()) << cmyk.error;
    EXPECT_EQ(cmyk.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(cmyk.image.size(), QSize(12, 8));
    ExpectColourNear(cmyk.image.pixel(6, 4), orange, 8, "cmyk");
}

// Reads the pixels of a binary PPM (P6) or PGM (P5) as djpeg writes them.
std::vector<uint8_t> NetpbmPixels(const std::vector<uint8_t>& file, QSize& size, int& channels)
{
    std::istringstream header(std::string(file.begin(), file.begin() + std::min<size_t>(file.size(), 64)));
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    header >> magic >> width >> height >> maximum;
    channels = magic == "P6" ? 3 : 1;
    size = QSize(width, height);
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    return std::vector<uint8_t>(file.begin() + static_cast<long>(start), file.end());
}

void ExpectSameAsDjpeg(const std::string& path, const QImage& image)
{
    const auto result = testsupport::RunCommand({"djpeg", "-scale", "1/8", path});
    ASSERT_EQ(result.status, 0) << result.errors;
    QSize size;
    int channels = 0;
    const std::vector<uint8_t> reference =
        NetpbmPixels(std::vector<uint8_t>(result.output.begin(), result.output.end()), size, channels);
    ASSERT_EQ(image.size(), size);
    ASSERT_EQ(reference.size(), static_cast<size_t>(size.width() * size.height() * channels));
    int differing = 0;
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const uint8_t* expected = &reference[static_cast<size_t>((y * size.width() + x) * channels)];
            const QRgb actual = image.pixel(x, y);
            const bool same = channels == 3
                ? qRed(actual) == expected[0] && qGreen(actual) == expected[1] && qBlue(actual) == expected[2]
                : qGray(actual) == expected[0];
            differing += same ? 0 : 1;
        }
    EXPECT_EQ(differing, 0) << path;
}

TEST(JpegPreview, GivesTheSamePixelsAsDjpeg)
{
    if (!testsupport::HaveProgram("djpeg"))
        GTEST_SKIP() << "djpeg (libjpeg-turbo-progs) not installed: skipping";
    testsupport::ScratchDir dir;
    for (const QImage& picture : {TestPicture(333, 250), TestPicture(120, 96, QImage::Format_Grayscale8)}) {
        const std::string path = SaveJpeg(dir, "photo.jpg", picture);
        const JpegPreview preview = DecodeJpegPreview(path);
        ASSERT_FALSE(preview.image.isNull()) << preview.error;
        ExpectSameAsDjpeg(path, preview.image);
    }
}

TEST(JpegPreview, DecodesTheCameraSamples)
{
    LUMITAG_REQUIRE_SAMPLES();
    const bool haveDjpeg = testsupport::HaveProgram("djpeg");
    for (const std::string& path : testsupport::SampleFiles()) {
        SCOPED_TRACE(path);
        const JpegPreview preview = DecodeJpegPreview(path);
        if (std::filesystem::path(path).filename() == "corrupted.jpg") {
            EXPECT_TRUE(preview.image.isNull());
            EXPECT_NE(preview.error.find("premature end"), std::string::npos) << preview.error;
            continue;
        }
        ASSERT_FALSE(preview.image.isNull()) << preview.error;
        if (haveDjpeg)
            ExpectSameAsDjpeg(path, preview.image);
    }
}

TEST(JpegPreview, FailsCleanlyOnBadFiles)
{
    testsupport::ScratchDir dir;
    const std::vector<uint8_t> bytes = testsupport::ReadBytes(SaveJpeg(dir, "good.jpg", TestPicture(320, 240)));
    const auto firstBytes = [&](size_t length) {
        return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<long>(length));
    };
    const std::string text = "This is not a picture.\n";
    const std::string png = dir.file("png.jpg");
    ASSERT_TRUE(TestPicture(16, 16).save(QString::fromStdString(png), "PNG"));
    const struct {
        const char* what;
        std::vector<uint8_t> content;
    } cases[] = {
        {"empty file", {}},
        {"text", std::vector<uint8_t>(text.begin(), text.end())},
        {"PNG data", testsupport::ReadBytes(png)},
        {"start of image only", firstBytes(2)},
        {"cut in the headers", firstBytes(100)},
        {"cut in the image data", firstBytes(bytes.size() / 2)},
        {"cut near the end of the image data", firstBytes(bytes.size() - 40)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir.file("bad.jpg");
        testsupport::WriteBytes(path, c.content);
        const JpegPreview preview = DecodeJpegPreview(path);
        EXPECT_TRUE(preview.image.isNull());
        EXPECT_NE(preview.error, "");
        EXPECT_EQ(testsupport::ReadBytes(path), c.content);  // the file is only read
    }
    const JpegPreview missing = DecodeJpegPreview(dir.file("missing.jpg"));
    EXPECT_TRUE(missing.image.isNull());
    EXPECT_NE(missing.error.find("No such file"), std::string::npos) << missing.error;

    // Only the end-of-image marker missing: every pixel is there.
    testsupport::WriteBytes(dir.file("no-end.jpg"), firstBytes(bytes.size() - 2));
    const JpegPreview noEnd = DecodeJpegPreview(dir.file("no-end.jpg"));
    EXPECT_FALSE(noEnd.image.isNull()) << noEnd.error;
}

TEST(FitPreview, FitsCentresAndNeverEnlarges)
{
    const QSize area(840, 224);
    const struct {
        QSize picture;
        QRect placed;
    } cases[] = {
        {{500, 375}, {271, 0, 298, 224}},   // a 4000 x 3000 photo
        {{375, 500}, {336, 0, 168, 224}},   // a 3000 x 4000 photo
        {{80, 60}, {380, 82, 80, 60}},      // a 640 x 480 photo: not enlarged
        {{1000, 125}, {0, 59, 840, 105}},   // an 8000 x 1000 panorama: as wide as the area
        {{2000, 100}, {0, 91, 840, 42}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitPreview(area, c.picture), c.placed) << c.picture.width() << "x" << c.picture.height();
    EXPECT_EQ(FitPreview(area, QSize(0, 375)), std::nullopt);
    EXPECT_EQ(FitPreview(area, QSize(500, 0)), std::nullopt);
}

}  // namespace
