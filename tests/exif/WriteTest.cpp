// Writing: the generated block byte for byte, the rebuilt file, and the safe
// replacement of the destination under failures.
#include "ExifFixtures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

using namespace exiftest;
namespace fs = std::filesystem;

namespace {

constexpr std::uint16_t kApp1 = 0xFFE1;

class WriteFixture : public ::testing::Test {
protected:
    std::string Write(const Bytes& bytes, const std::string& name = "photo.jpg")
    {
        const std::string path = scratch.file(name);
        testsupport::WriteBytes(path, bytes);
        return path;
    }
    std::vector<std::string> FolderEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    testsupport::ScratchDir scratch;
    Texif_stl doc;
};

// Segment payloads of a written file, in order, up to the image data.
std::vector<Segment> SegmentsOf(const Bytes& file, std::size_t* image_data_start = nullptr)
{
    std::vector<Segment> segments;
    std::size_t i = 2;
    while (i + 4 <= file.size()) {
        const std::uint16_t code = static_cast<std::uint16_t>(file[i] << 8 | file[i + 1]);
        if (code == 0xFFDA || code == 0xFFD9)
            break;
        const std::size_t length = static_cast<std::size_t>(file[i + 2] << 8 | file[i + 3]);
        segments.push_back({code, Bytes(file.begin() + i + 4, file.begin() + i + 2 + length)});
        i += 2 + length;
    }
    if (image_data_start)
        *image_data_start = i;
    return segments;
}

}  // namespace

TEST_F(WriteFixture, WorkedExampleByteForByte)
{
    const Segment quantisation{0xFFDB, Bytes(67, 0x10)};
    const Bytes source = Jpeg({quantisation});
    const std::string path = Write(source);
    ASSERT_TRUE(doc.read_jpeg(path));
    doc.set_image_description("abc");
    ASSERT_TRUE(doc.modified);
    ASSERT_TRUE(doc.write_jpeg(path));
    EXPECT_FALSE(doc.modified);

    const Bytes block = {
        0x45, 0x78, 0x69, 0x66, 0x00, 0x00,                                      // identifier
        0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00,                          // "II", 42, IFD0 at 8
        0x02, 0x00,                                                              // IFD0: 2 entries
        0x0E, 0x01, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x61, 0x62, 0x63, 0x00,  // ImageDescription "abc"
        0x69, 0x87, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00, 0x26, 0x00, 0x00, 0x00,  // Exif pointer -> 38
        0x00, 0x00, 0x00, 0x00,                                                  // no next IFD
        0x01, 0x00,                                                              // Exif IFD: 1 entry
        0x00, 0x90, 0x07, 0x00, 0x04, 0x00, 0x00, 0x00, 0x30, 0x32, 0x31, 0x30,  // ExifVersion "0210"
        0x00, 0x00, 0x00, 0x00,                                                  // no next IFD
    };
    ASSERT_EQ(block.size(), 62u);
    const Bytes expected = Concat({{0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x40}, block,
                                   Bytes(source.begin() + 2, source.end())});
    EXPECT_EQ(testsupport::ReadBytes(path), expected);

    // Generating again gives the same bytes.
    Bytes again;
    EXPECT_EQ(doc.generate_exif_data(again), 1u);
    EXPECT_EQ(again, block);
}

TEST_F(WriteFixture, BigEndianBlockWithLocalExternalPointerAndThumbnailFields)
{
    Tiff tiff(true);
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Long(0x8769, 0), tiff.Long(0x8825, 0x3E8), tiff.Ascii(0x010F, "Ab"),
                                            Tiff::Entry{0x0110, 2, 0, {}}});
    const std::uint32_t exif = tiff.AddIfd({tiff.Ascii(0x9003, "2004:08:27 13:52:55")});
    const std::uint32_t ifd1 = tiff.AddIfd({tiff.Long(0x0202, 4), tiff.Long(0x0201, 0), tiff.Short(0x0103, 6)});
    tiff.Patch32(Tiff::ValueField(ifd0, 0), exif);
    tiff.Patch32(Tiff::NextField(ifd0, 4), ifd1);
    tiff.Patch32(Tiff::ValueField(ifd1, 1), tiff.Append({0xFF, 0xD8, 0xFF, 0xD9}));
    const std::string path = Write(Jpeg({App1Exif(tiff)}));
    ASSERT_TRUE(doc.read_jpeg(path));
    ASSERT_FALSE(doc.gps_ifd.present);
    ASSERT_TRUE(doc.write_jpeg(path));

    const Bytes date = ToBytes(std::string("2004:08:27 13:52:55\0", 20));
    const Bytes expected = Concat({
        {0x45, 0x78, 0x69, 0x66, 0x00, 0x00, 0x4D, 0x4D, 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08},
        {0x00, 0x04},
        {0x01, 0x0F, 0x00, 0x02, 0x00, 0x00, 0x00, 0x03, 0x41, 0x62, 0x00, 0x00},  // 3 bytes, padded
        {0x01, 0x10, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // no byte
        {0x88, 0x25, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x03, 0xE8},  // unread GPS: old bytes
        {0x87, 0x69, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x3E},  // Exif IFD at 62, last
        {0x00, 0x00, 0x00, 0x64},                                                  // IFD1 at 100
        {0x00, 0x01},
        {0x90, 0x03, 0x00, 0x02, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x50},  // date among the externs
        {0x00, 0x00, 0x00, 0x00},
        date,
        {0x00, 0x03},
        {0x01, 0x03, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, 0x06, 0x00, 0x00},
        {0x02, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x8E},  // thumbnail at 142
        {0x02, 0x02, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x04},
        {0x00, 0x00, 0x00, 0x00},                                                  // last main IFD
        {0xFF, 0xD8, 0xFF, 0xD9},
    });
    const auto segments = SegmentsOf(testsupport::ReadBytes(path));
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments[0].payload, expected);
}

TEST_F(WriteFixture, UncompressedThumbnailIsWrittenAsOneStrip)
{
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Ascii(0x010E, "strips")});
    const std::uint32_t ifd1 = tiff.AddIfd({tiff.Short(0x0103, 1), Tiff::Entry{0x0111, 4, 2, Bytes(8, 0)},
                                            Tiff::Entry{0x0117, 4, 2, Concat({tiff.U32(6), tiff.U32(6)})}});
    tiff.Patch32(Tiff::NextField(ifd0, 1), ifd1);
    const std::uint32_t strips = tiff.Append(ToBytes("stripAstripB"));
    const std::uint32_t array = tiff.bytes()[Tiff::ValueField(ifd1, 1)];  // little-endian, below 256
    tiff.Patch32(array, strips);
    tiff.Patch32(array + 4, strips + 6);
    const std::string path = Write(Jpeg({App1Exif(tiff)}));
    ASSERT_TRUE(doc.read_jpeg(path));
    EXPECT_EQ(ToText(doc.thumbnail), "stripA");
    ASSERT_TRUE(doc.write_jpeg(path));
    Texif_stl again;
    ASSERT_TRUE(again.read_jpeg(path));
    EXPECT_EQ(ToText(again.thumbnail), "stripA");
    EXPECT_EQ(again.find_entry_in(again.ifds[1], 0x0111)->count(), 1u);
    EXPECT_EQ(again.find_entry_in(again.ifds[1], 0x0117)->data, tiff.U32(6));
}

TEST_F(WriteFixture, SegmentsAreRewrittenInOrderAroundTheNewExifSegment)
{
    Tiff tiff;
    tiff.AddIfd({tiff.Ascii(0x010E, "old")});
    const Segment xmp{kApp1, ToBytes(std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 34))};
    const Segment broken_exif{kApp1, ToBytes(std::string("Exif\0\0II*\0\x08\0\0\0\0\0", 16))};
    const Segment tables{0xFFDB, Bytes(67, 3)};
    const Segment empty_comment{0xFFFE, {}};
    const Bytes trailer = ToBytes("bytes after EOI");
    const std::string path =
        Write(Jpeg({App0Jfif(), xmp, App1Exif(tiff), broken_exif, tables, empty_comment}, trailer));
    ASSERT_TRUE(doc.read_jpeg(path));
    doc.set_artist("Ann");
    ASSERT_TRUE(doc.write_jpeg(path));

    const Bytes written = testsupport::ReadBytes(path);
    std::size_t image_start = 0;
    const auto segments = SegmentsOf(written, &image_start);
    ASSERT_EQ(segments.size(), 6u);
    EXPECT_EQ(segments[0].code, kApp1);
    EXPECT_EQ(segments[0].payload, doc.markers[1].data);
    EXPECT_EQ(segments[1].payload, App0Jfif().payload);
    EXPECT_EQ(segments[2].payload, xmp.payload);
    EXPECT_EQ(segments[3].payload, broken_exif.payload);
    EXPECT_EQ(segments[4].payload, tables.payload);
    EXPECT_EQ(segments[5].code, 0xFFFE);
    EXPECT_TRUE(segments[5].payload.empty());  // length field 2
    EXPECT_EQ(Bytes(written.begin() + image_start, written.end()), ImageData(trailer));
}

TEST_F(WriteFixture, ChangesWithNoExifSegmentToCarryThemAreRefused)
{
    // IFD0 reads, IFD1 fails: the segment stays raw while ifds holds IFD0.
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Ascii(0x010E, "kept")});
    tiff.Patch32(Tiff::NextField(ifd0, 1), tiff.AddIfd({}));
    const std::string path = Write(Jpeg({App1Exif(tiff)}));
    const Bytes before = testsupport::ReadBytes(path);
    TraceRecorder trace;
    doc.tracer = &trace;
    ASSERT_TRUE(doc.read_jpeg(path));
    ASSERT_EQ(doc.ifds.size(), 1u);
    ASSERT_FALSE(doc.markers[1].is_exif);
    doc.set_artist("lost edit");
    ASSERT_TRUE(doc.modified);
    EXPECT_FALSE(doc.write_jpeg(path));
    EXPECT_EQ(testsupport::ReadBytes(path), before);
    EXPECT_TRUE(trace.Contains("The EXIF segment could not be read, so the changes cannot be written\n"));
}

TEST_F(WriteFixture, PointersIntoTheirOwnIfdAreWrittenAsEntries)
{
    // An Exif IFD holding an Exif pointer reads the nested IFD into itself;
    // regenerating it must not recurse without end.
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Long(0x8769, 0)});
    const std::uint32_t exif = tiff.AddIfd({tiff.Ascii(0x9003, "2004:08:27 13:52:55"), tiff.Long(0x8769, 0)});
    const std::uint32_t nested = tiff.AddIfd({tiff.Ascii(0x9004, "2004:08:27 13:52:55")});
    tiff.Patch32(Tiff::ValueField(ifd0, 0), exif);
    tiff.Patch32(Tiff::ValueField(exif, 1), nested);
    const std::string path = Write(Jpeg({App1Exif(tiff)}));
    ASSERT_TRUE(doc.read_jpeg(path));
    ASSERT_EQ(doc.exif_ifd.entries.size(), 3u);
    ASSERT_TRUE(doc.write_jpeg(path));
    Texif_stl again;
    ASSERT_TRUE(again.read_jpeg(path));
    EXPECT_TRUE(again.markers[1].is_exif);
    EXPECT_NE(again.find_entry(0x9004), nullptr);
    EXPECT_NE(again.find_entry(0x9003), nullptr);
}

TEST_F(WriteFixture, RepeatedPointerKindsAllPointAtTheOneCopy)
{
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Long(0x8769, 0), tiff.Long(0x8769, 0)});
    const std::uint32_t exif = tiff.AddIfd({tiff.Ascii(0x9003, "2004:08:27 13:52:55")});
    tiff.Patch32(Tiff::ValueField(ifd0, 0), exif);
    tiff.Patch32(Tiff::ValueField(ifd0, 1), exif);
    const std::string path = Write(Jpeg({App1Exif(tiff)}));
    ASSERT_TRUE(doc.read_jpeg(path));
    ASSERT_EQ(doc.ifds[0].entries[1].data, tiff.U32(exif));  // read once, then kept as an entry
    ASSERT_TRUE(doc.write_jpeg(path));
    Texif_stl again;
    ASSERT_TRUE(again.read_jpeg(path));
    ASSERT_EQ(again.ifds[0].entries.size(), 2u);
    EXPECT_EQ(again.ifds[0].entries[1].data, tiff.U32(8 + 2 + 2 * 12 + 4));  // the Exif IFD's new offset
    EXPECT_EQ(again.exif_ifd.entries.size(), 1u);
}

TEST_F(WriteFixture, BlockLargerThanASegmentIsRefused)
{
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Ascii(0x010E, "big"), Tiff::Entry{0x8298, 1, 70000, {0, 0, 0, 0}}});
    const std::uint32_t trailer_offset =
        static_cast<std::uint32_t>(2 + 4 + tiff.Payload().size() + ImageData().size()) - 12;
    tiff.Patch32(Tiff::ValueField(ifd0, 1), trailer_offset);
    const std::string path = Write(Jpeg({App1Exif(tiff)}, Bytes(70000, 'c')));
    const Bytes before = testsupport::ReadBytes(path);
    ASSERT_TRUE(doc.read_jpeg(path));
    ASSERT_TRUE(doc.markers[1].is_exif);
    doc.set_artist("Ann");
    EXPECT_FALSE(doc.write_jpeg(path));
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(testsupport::ReadBytes(path), before);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"photo.jpg"});
}

TEST_F(WriteFixture, ReplacementKeepsModeTimeAndLinksAndLeavesNoTemporaryFile)
{
    const std::string path = Write(Jpeg({App0Jfif()}));
    const struct timespec old_times[2] = {{0, UTIME_OMIT}, {1100000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), old_times, 0), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    const std::string link = scratch.file("link.jpg");
    fs::create_symlink(path, link);

    ASSERT_TRUE(doc.read_jpeg(link));
    doc.set_image_description("through the link");
    ASSERT_TRUE(doc.write_jpeg(link));

    EXPECT_TRUE(fs::is_symlink(link));
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u);  // read-only cleared for the owner only
    EXPECT_EQ(status.st_mtim.tv_sec, 1100000000);
    EXPECT_EQ(status.st_mtim.tv_nsec, 123456789);
    Texif_stl again;
    ASSERT_TRUE(again.read_jpeg(path));
    EXPECT_EQ(again.get_image_description(), std::string("through the link\0", 17));
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"link.jpg", "photo.jpg"}));
}

TEST_F(WriteFixture, DestinationFolderThatVanishedFails)
{
    const std::string path = Write(Jpeg({App0Jfif()}));
    ASSERT_TRUE(doc.read_jpeg(path));
    doc.set_artist("Ann");
    EXPECT_FALSE(doc.write_jpeg(scratch.file("gone/photo.jpg")));
    EXPECT_TRUE(doc.modified);
    EXPECT_FALSE(doc.write_jpeg(path + ".missing/x.jpg"));

    // The source itself vanished: its image data cannot be copied.
    fs::remove(path);
    EXPECT_FALSE(doc.write_jpeg(scratch.file("copy.jpg")));
    EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(WriteFixture, WriteFailingPartWayLeavesTheOriginalIntact)
{
    const std::string path = Write(Jpeg({App0Jfif()}, Bytes(200000, 'x')));
    const Bytes before = testsupport::ReadBytes(path);
    ASSERT_TRUE(doc.read_jpeg(path));
    doc.set_artist("Ann");

    // A file-size limit below the new file's size makes a write fail part-way.
    bool written = true;
    {
        const testsupport::ScopedFileSizeLimit limit(100000);
        written = doc.write_jpeg(path);
    }

    EXPECT_FALSE(written);
    EXPECT_TRUE(doc.modified);
    EXPECT_EQ(testsupport::ReadBytes(path), before);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"photo.jpg"});
    EXPECT_TRUE(doc.write_jpeg(path));  // and works once the limit is gone
}

TEST_F(WriteFixture, TracingChangesNothingButTheTrace)
{
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Long(0x8769, 0), tiff.Ascii(0x010E, "old")});
    tiff.Patch32(Tiff::ValueField(ifd0, 0), tiff.AddIfd({tiff.Ascii(0x9003, "2004:08:27 13:52:55")}));
    const Bytes source = Jpeg({App1Exif(tiff), App0Jfif()});
    auto run = [&](Texif_stl::tracer_interface* sink, const std::string& name) {
        const std::string path = Write(source, name);
        Texif_stl document;
        document.tracer = sink;
        EXPECT_TRUE(document.read_jpeg(path));
        document.set_image_description("new");
        document.set_date_time_original(2020, 2, 29, 1, 2, 3);
        EXPECT_TRUE(document.write_jpeg(path));
        return testsupport::ReadBytes(path);
    };
    TraceRecorder trace;
    EXPECT_EQ(run(nullptr, "quiet.jpg"), run(&trace, "traced.jpg"));
    EXPECT_TRUE(trace.Contains("Generate exif_data for writting\n"));
    EXPECT_TRUE(trace.Contains("  Generate ifd n\xC2\xB0" "1\n"));
    EXPECT_TRUE(trace.Contains("Writing marker ffd8 size = 0 hasData = 0\n"));
}

TEST_F(WriteFixture, TwoDocumentsOnTwoThreads)
{
    Tiff tiff;
    tiff.AddIfd({tiff.Ascii(0x010E, "shared")});
    const Bytes source = Jpeg({App1Exif(tiff)});
    auto work = [&](const std::string& name, TraceRecorder& trace, Bytes& result) {
        const std::string path = Write(source, name);
        for (int i = 0; i < 200; ++i) {
            Texif_stl document;
            document.tracer = &trace;
            document.flush_to_disk = false;
            if (!document.read_jpeg(path))
                return;
            document.set_artist(name + std::to_string(i));
            if (!document.write_jpeg(path))
                return;
        }
        result = testsupport::ReadBytes(path);
    };
    TraceRecorder trace_a, trace_b;
    Bytes result_a, result_b;
    std::thread a(work, "a.jpg", std::ref(trace_a), std::ref(result_a));
    std::thread b(work, "b.jpg", std::ref(trace_b), std::ref(result_b));
    a.join();
    b.join();
    Texif_stl check;
    ASSERT_TRUE(check.read_jpeg(scratch.file("a.jpg")));
    EXPECT_EQ(check.get_artist(), std::string("a.jpg199\0", 9));
    ASSERT_TRUE(check.read_jpeg(scratch.file("b.jpg")));
    EXPECT_EQ(check.get_artist(), std::string("b.jpg199\0", 9));
    // Each trace holds only its own file's lines.
    for (const auto& piece : trace_a.pieces)
        EXPECT_EQ(piece.find("b.jpg"), std::string::npos);
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
}
