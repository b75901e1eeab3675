// Reading: the segment walk, the IFD tree, maker notes and the thumbnail.
#include "ExifFixtures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>

using namespace exiftest;

namespace {

constexpr std::uint16_t kApp0 = 0xFFE0;
constexpr std::uint16_t kApp1 = 0xFFE1;
constexpr std::uint16_t kCom = 0xFFFE;
// File offset of the TIFF header when the EXIF APP1 is the first segment.
constexpr std::uint32_t kTiffBase = 2 + 4 + 6;

class ReadFixture : public ::testing::Test {
protected:
    std::string Write(const Bytes& bytes, const std::string& name = "photo.jpg")
    {
        const std::string path = scratch.file(name);
        testsupport::WriteBytes(path, bytes);
        return path;
    }
    // Reads a file made of one EXIF APP1 segment holding `tiff` and `trailer`
    // after the image data; true when the EXIF block parsed.
    bool ReadExif(const Tiff& tiff, const Bytes& trailer = {})
    {
        EXPECT_TRUE(doc.read_jpeg(Write(Jpeg({App1Exif(tiff)}, trailer))));
        return doc.markers.size() > 1 && doc.markers[1].code == kApp1 && doc.markers[1].is_exif;
    }
    // TIFF offset of the trailer of a file built by ReadExif.
    static std::uint32_t TrailerOffset(const Tiff& tiff)
    {
        return static_cast<std::uint32_t>(2 + 4 + tiff.Payload().size() + ImageData().size()) - kTiffBase;
    }

    testsupport::ScratchDir scratch;
    Texif_stl doc;
    TraceRecorder trace;
};

std::vector<std::uint16_t> Codes(const Texif_stl& doc)
{
    std::vector<std::uint16_t> codes;
    for (const auto& segment : doc.markers)
        codes.push_back(segment.code);
    return codes;
}

std::vector<std::uint16_t> Tags(const Texif_stl::ifd_type& ifd)
{
    std::vector<std::uint16_t> tags;
    for (const auto& entry : ifd.entries)
        tags.push_back(entry.tag);
    return tags;
}

}  // namespace

TEST_F(ReadFixture, MalformedFilesFailWithTheirTraceLine)
{
    struct Case {
        const char* name;
        Bytes bytes;
        std::string line;
    };
    const Case cases[] = {
        {"empty file", {}, "First marker is not SOI: the file is shorter than 2 bytes\n"},
        {"not a JPEG", {0x89, 'P', 'N', 'G'}, "First marker is not SOI 8950 instead of ffd8\n"},
        {"ends after SOI", {0xFF, 0xD8}, "   Unexpected end of file at position 2\n"},
        {"ends inside a length", {0xFF, 0xD8, 0xFF, 0xE0, 0x00}, "   Unexpected end of file at position 4\n"},
        {"payload cut short", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 1, 2, 3}, "   Failed to read 14 bytes for marker ffe0\n"},
        {"raw APP1 cut short", {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10, 'E', 'x'}, "   Failed to read 14 bytes for marker ffe1\n"},
    };
    doc.tracer = &trace;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace.pieces.clear();
        EXPECT_FALSE(doc.read_jpeg(Write(c.bytes)));
        EXPECT_TRUE(trace.Contains(c.line)) << trace.Text();
        EXPECT_FALSE(doc.write_jpeg(scratch.file("out.jpg")));
    }
    trace.pieces.clear();
    const std::string missing = scratch.file("missing.jpg");
    EXPECT_FALSE(doc.read_jpeg(missing));
    EXPECT_EQ(trace.pieces, std::vector<std::string>{"Reading file " + missing + "\n"});
}

TEST_F(ReadFixture, TraceOfATypicalRead)
{
    Tiff tiff;
    tiff.AddIfd({tiff.Ascii(0x010E, "Hello world")});
    const std::string path = Write(Jpeg({App1Exif(tiff), App0Jfif()}));
    doc.tracer = &trace;
    ASSERT_TRUE(doc.read_jpeg(path));
    std::vector<std::string> expected = {
        "Reading file " + path + "\n",
        "Found marker ffe1 at position 2\n",
        "   Size of marker = 44 (2c)\n",
        "   Marker is EXIF, data at position 6\n",
        "**************** READING EXIF MARKER ****************\n",
        "EXIF string read = Exif\n",
        "ALIGNMENT string read = II\n",
        "INTEL byte order\n",
        "Exif check value read = 2a\n",
        "Offset of data = 0\n",
        "Reading IFD0\n",
        "   IFD has 1 (1) entrie(s)\n",
        "   000. IFD tag = 010e, type = 2 (2), size = 12 (c)\n",
        "        Offset = 0000001a, Bytes = 12\n",
        "        Ok, 12 bytes read from file. First bytes are:\n",
        "        '"};
    for (char c : std::string("Hello world"))
        expected.push_back(std::string(1, c));
    expected.insert(expected.end(), {"<00>", "'\n", "   OK, IFD read.\n", "EXIF MARKER READ SUCCESSFULLY\n",
                                     "**************** END OF READING EXIF MARKER ****************\n",
                                     "Found marker ffe0 at position 32\n", "   Size of marker = 14 (e)\n",
                                     "Found marker ffda at position 44\n", "   Marker is SOS at position 68\n"});
    EXPECT_EQ(trace.pieces, expected);
    EXPECT_EQ(doc.sos_position, 68);
    EXPECT_EQ(doc.file_name, path);
    EXPECT_FALSE(doc.modified);
}

TEST_F(ReadFixture, SegmentsKeepFileOrderWithTheExifSegmentAfterSoi)
{
    Tiff tiff;
    tiff.AddIfd({tiff.Ascii(0x010E, "x")});
    const Segment xmp{kApp1, ToBytes("http://ns.adobe.com/xap/1.0/\0<x/>")};
    const Segment empty_app1{kApp1, {}};
    const Segment comment{kCom, ToBytes("note")};
    ASSERT_TRUE(doc.read_jpeg(Write(Jpeg({App0Jfif(), xmp, App1Exif(tiff), empty_app1, comment}))));

    EXPECT_EQ(Codes(doc), (std::vector<std::uint16_t>{0xFFD8, kApp1, kApp0, kApp1, kApp1, kCom}));
    EXPECT_TRUE(doc.markers[1].is_exif);
    EXPECT_TRUE(doc.markers[1].data.empty());
    EXPECT_FALSE(doc.markers[3].is_exif);
    EXPECT_EQ(doc.markers[3].data, xmp.payload);
    // An empty APP1 is kept raw, never given a generated block.
    EXPECT_FALSE(doc.markers[4].is_exif);
    EXPECT_TRUE(doc.markers[4].data.empty());
    EXPECT_EQ(doc.markers[5].data, comment.payload);
}

TEST_F(ReadFixture, TwoExifSegmentsReadIntoOneDocument)
{
    Tiff first, second;
    first.AddIfd({first.Ascii(0x010E, "first")});
    second.AddIfd({second.Ascii(0x013B, "second")});
    ASSERT_TRUE(doc.read_jpeg(Write(Jpeg({App1Exif(first), App0Jfif(), App1Exif(second)}))));
    ASSERT_EQ(doc.ifds.size(), 2u);
    EXPECT_EQ(Tags(doc.ifds[0]), std::vector<std::uint16_t>{0x010E});
    EXPECT_EQ(Tags(doc.ifds[1]), std::vector<std::uint16_t>{0x013B});
    EXPECT_EQ(Codes(doc), (std::vector<std::uint16_t>{0xFFD8, kApp1, kApp1, kApp0}));
}

TEST_F(ReadFixture, EoiBeforeSosMarksTheEoiAsImageData)
{
    const Bytes bytes = Concat({{0xFF, 0xD8}, {0xFF, 0xE0, 0x00, 0x04, 'a', 'b'}, {0xFF, 0xD9}, ToBytes("tail")});
    doc.tracer = &trace;
    const std::string path = Write(bytes);
    ASSERT_TRUE(doc.read_jpeg(path));
    EXPECT_EQ(doc.sos_position, 8);
    EXPECT_TRUE(trace.Contains("   Marker is EOI : ciao\n"));
    doc.set_artist("Ann");
    ASSERT_TRUE(doc.write_jpeg(path));
    const Bytes written = testsupport::ReadBytes(path);
    ASSERT_GE(written.size(), 6u);
    EXPECT_EQ(Bytes(written.end() - 6, written.end()), Concat({{0xFF, 0xD9}, ToBytes("tail")}));
}

TEST_F(ReadFixture, ByteOrderComesFromTheAlignmentMark)
{
    struct Case {
        const char* mark;
        bool big_endian;
    };
    for (const Case c : {Case{"II", false}, Case{"MM", true}, Case{"XX", false}}) {
        SCOPED_TRACE(c.mark);
        Tiff tiff(c.big_endian);
        tiff.AddIfd({tiff.Short(0x0112, 6), tiff.Ascii(0x010E, "order")});
        Bytes payload = tiff.Payload();
        payload[6] = static_cast<std::uint8_t>(c.mark[0]);
        payload[7] = static_cast<std::uint8_t>(c.mark[1]);
        ASSERT_TRUE(doc.read_jpeg(Write(Jpeg({Segment{kApp1, payload}}))));
        EXPECT_EQ(doc.exif_motorola, c.big_endian);
        EXPECT_EQ(doc.get_image_description(), std::string("order\0", 6));
        const auto* orientation = doc.find_entry(0x0112);
        ASSERT_NE(orientation, nullptr);
        EXPECT_EQ(orientation->data, tiff.U16(6));  // kept raw, in the block's order
    }
}

TEST_F(ReadFixture, FirstIfdOffsetIsHonoured)
{
    Tiff tiff(false, 26);
    tiff.PadTo(26);
    tiff.AddIfd({tiff.Ascii(0x013B, "me")});
    ASSERT_TRUE(ReadExif(tiff));
    EXPECT_EQ(doc.get_artist(), std::string("me\0", 3));
}

TEST_F(ReadFixture, EntryLimits)
{
    struct Case {
        const char* name;
        std::function<void(Tiff&)> build;
        bool parses;
        std::string line;  // expected trace piece, or empty
    };
    auto entries_of = [](int n) {
        std::vector<Tiff::Entry> entries;
        for (int i = 0; i < n; ++i)
            entries.push_back({static_cast<std::uint16_t>(0x1000 + i), 1, 1, {7}});
        return entries;
    };
    auto value_in_trailer = [this](Tiff& tiff, std::uint32_t count) {
        const std::uint32_t ifd = tiff.AddIfd({{0x0200, 1, count, {0, 0, 0, 0}}});
        tiff.Patch32(Tiff::ValueField(ifd, 0), TrailerOffset(tiff));
    };
    const Case cases[] = {
        {"300 entries", [&](Tiff& t) { t.AddIfd(entries_of(300)); }, true, "   IFD has 300 (12c) entrie(s)\n"},
        {"301 entries", [&](Tiff& t) { t.AddIfd(entries_of(301)); }, false, "   IFD has 301 (12d) entrie(s)\n"},
        {"no entry", [&](Tiff& t) { t.AddIfd({}); }, false, "   IFD has 0 (0) entrie(s)\n"},
        {"type 13", [](Tiff& t) { t.AddIfd({{0x0200, 13, 1, {1}}}); }, false, "   Invalid data type 13 (d) for tag 512\n"},
        {"type 0, 4 bytes local", [](Tiff& t) { t.AddIfd({{0x0200, 0, 4, {1, 2, 3, 4}}}); }, true,
         "        Value = 01 02 03 04, Bytes = 4\n"},
        {"type 7, 4 bytes local", [](Tiff& t) { t.AddIfd({{0x0200, 7, 4, {1, 2, 3, 4}}}); }, true,
         "        Value = 01 02 03 04, Bytes = 4\n"},
        {"rational at its offset", [](Tiff& t) { t.AddIfd({{0x011A, 5, 1, {72, 0, 0, 0, 1, 0, 0, 0}}}); }, true,
         "        Offset = 0000001a, Bytes = 8\n"},
        {"count 204800", [&](Tiff& t) { value_in_trailer(t, 204800); }, true, ""},
        {"count 204801", [&](Tiff& t) { value_in_trailer(t, 204801); }, false, "   Invalid SIZE !"},
        {"value past the end", [&](Tiff& t) { value_in_trailer(t, 204800); }, false,
         "        failed to read 204800 bytes from file!\n"},
    };
    doc.tracer = &trace;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace.pieces.clear();
        Tiff tiff;
        c.build(tiff);
        const bool past_end = std::string(c.name) == "value past the end";
        EXPECT_EQ(ReadExif(tiff, Bytes(past_end ? 100 : 204800, 0x55)), c.parses);
        if (!c.line.empty()) {
            EXPECT_TRUE(trace.Contains(c.line)) << trace.Text();
        }
    }
}

TEST_F(ReadFixture, ManyEntriesNamingOneLargeRegionFailTheIfd)
{
    Tiff tiff;
    std::vector<Tiff::Entry> entries;
    for (std::uint16_t i = 0; i < 11; ++i)
        entries.push_back({static_cast<std::uint16_t>(0x1000 + i), 12, 204800, {0, 0, 0, 0}});
    const std::uint32_t ifd0 = tiff.AddIfd(entries);
    for (int i = 0; i < 11; ++i)
        tiff.Patch32(Tiff::ValueField(ifd0, i), TrailerOffset(tiff));
    doc.tracer = &trace;
    EXPECT_FALSE(ReadExif(tiff, Bytes(8 * 204800, 1)));
    EXPECT_TRUE(trace.Contains("        1638400 more value bytes exceed what one file may hold!\n"));
}

TEST_F(ReadFixture, SubIfdPointers)
{
    Tiff tiff;
    const std::uint32_t bad_gps = 0x3E8;  // past the end: the GPS IFD fails
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Long(0x8769, 0), tiff.Long(0x8825, bad_gps)});
    const std::uint32_t ifd1 = tiff.AddIfd({tiff.Long(0x8769, 0)});
    tiff.Patch32(Tiff::NextField(ifd0, 2), ifd1);
    const std::uint32_t exif1 = tiff.AddIfd({tiff.Ascii(0x9003, "2004:08:27 13:52:55"), tiff.Long(0xA005, 0)});
    const std::uint32_t exif2 = tiff.AddIfd({{0x9286, 7, 4, ToBytes("abcd")}, tiff.Long(0xA005, 0)});
    const std::uint32_t interop1 = tiff.AddIfd({tiff.Ascii(0x0001, "R98")});
    const std::uint32_t interop2 = tiff.AddIfd({tiff.Ascii(0x0001, "THM")});
    tiff.Patch32(Tiff::ValueField(ifd0, 0), exif1);
    tiff.Patch32(Tiff::ValueField(ifd1, 0), exif2);
    tiff.Patch32(Tiff::ValueField(exif1, 1), interop1);
    tiff.Patch32(Tiff::ValueField(exif2, 1), interop2);
    doc.tracer = &trace;
    ASSERT_TRUE(ReadExif(tiff));

    ASSERT_EQ(doc.ifds.size(), 2u);
    EXPECT_TRUE(doc.ifds[0].entries[0].data.empty());  // read as a sub-IFD
    EXPECT_EQ(Tags(doc.exif_ifd), (std::vector<std::uint16_t>{0x9003, 0xA005, 0x9286, 0xA005}));
    EXPECT_TRUE(doc.exif_ifd.entries[1].data.empty());
    EXPECT_EQ(doc.exif_ifd.entries[3].data, tiff.U32(interop2));  // second interop kept as an entry
    EXPECT_TRUE(trace.Contains("   ----> INTEROP IFD already read !\n"));
    EXPECT_EQ(Tags(doc.interop_ifd), std::vector<std::uint16_t>{0x0001});
    EXPECT_EQ(doc.ifds[0].entries[1].data, tiff.U32(bad_gps));
    EXPECT_FALSE(doc.gps_ifd.present);
    EXPECT_TRUE(trace.Contains("   ----> failed to read GPSIFD, read it normally.\n"));
}

TEST_F(ReadFixture, CyclesEndTheirBranch)
{
    struct Case {
        const char* name;
        std::function<void(Tiff&)> build;
        std::size_t main_ifds;
        std::size_t exif_entries;
    };
    const Case cases[] = {
        {"next IFD leads back to IFD0",
         [](Tiff& t) {
             const auto ifd0 = t.AddIfd({t.Ascii(0x010E, "a")});
             const auto ifd1 = t.AddIfd({t.Ascii(0x011A, "b")}, ifd0);
             t.Patch32(Tiff::NextField(ifd0, 1), ifd1);
         },
         2, 0},
        {"Exif pointer to IFD0",
         [](Tiff& t) { t.AddIfd({t.Ascii(0x010E, "a"), t.Long(0x8769, 8)}); }, 1, 0},
        {"Exif IFD pointing to itself",
         [](Tiff& t) {
             const auto ifd0 = t.AddIfd({t.Long(0x8769, 0)});
             const auto exif = t.AddIfd({t.Ascii(0x9003, "2004:08:27 13:52:55"), t.Long(0x8769, 0)});
             t.Patch32(Tiff::ValueField(ifd0, 0), exif);
             t.Patch32(Tiff::ValueField(exif, 1), exif);
         },
         1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tiff tiff;
        c.build(tiff);
        ASSERT_TRUE(ReadExif(tiff));
        EXPECT_EQ(doc.ifds.size(), c.main_ifds);
        EXPECT_EQ(doc.exif_ifd.entries.size(), c.exif_entries);
        // The pointer that closed the cycle is kept with its raw offset.
        const auto& last = c.exif_entries ? doc.exif_ifd.entries.back() : doc.ifds[0].entries.back();
        if (last.tag == 0x8769) {
            EXPECT_EQ(last.data.size(), 4u);
        }
        EXPECT_TRUE(doc.write_jpeg(scratch.file("cycle.jpg")));
    }
}

TEST_F(ReadFixture, ByteDumpShowsThirtyBytesControlCodesAsNumbers)
{
    Tiff tiff;
    Bytes value{0x01, 0x1F};
    value.resize(40, 'z');
    tiff.AddIfd({{0x010E, 2, 40, value}});
    doc.tracer = &trace;
    ASSERT_TRUE(ReadExif(tiff));
    const auto start = std::find(trace.pieces.begin(), trace.pieces.end(), "        '");
    ASSERT_NE(start, trace.pieces.end());
    const auto end = std::find(start, trace.pieces.end(), "'\n");
    ASSERT_EQ(end - start - 1, 30);
    EXPECT_EQ(start[1], "<01>");
    EXPECT_EQ(start[2], "<31>");
    EXPECT_EQ(start[3], "z");
}

TEST_F(ReadFixture, MakerNoteSignatures)
{
    struct Case {
        const char* name;
        Bytes prefix;          // bytes before the maker note's IFD
        bool read_as_ifd;
        std::size_t header;    // header bytes kept
        std::string line;
    };
    const Case cases[] = {
        {"OLYMP", Concat({ToBytes(std::string("OLYMP\0\x01\0", 8))}), true, 8,
         "   Found OLYMP ifd header for maker notes\n"},
        {"Nikon with its own TIFF header", Concat({ToBytes(std::string("nIkOn\0\x02\x10", 8)), {0, 0}}), false, 8,
         "   Found NIKON ifd header for maker notes\n"},
        {"FUJIFILM", ToBytes("FUJIFILM\x0c\0\0\0"), false, 0,
         "   Read FUJI maker notes normally (indexes are relative)\n"},
        {"SONY", ToBytes("SONY DSC \0\0\0"), false, 0, "   Read maker notes normally because format is unknown\n"},
        {"no signature", {}, true, 0, "   Trying to read MakerNote as IFD at the very begining of data\n"},
    };
    doc.tracer = &trace;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace.pieces.clear();
        Tiff tiff;
        const std::uint32_t ifd0 = tiff.AddIfd({{0x927C, 7, 0, {}}});
        const std::uint32_t note = tiff.Append(c.prefix);
        Tiff::Entry inner{0x0001, 7, 6, ToBytes("inside")};
        tiff.AddIfd({inner, tiff.Short(0x0002, 3)});
        const std::uint32_t note_size = static_cast<std::uint32_t>(tiff.bytes().size()) - note;
        tiff.Append(Bytes(60, 0));  // room for the 50-byte probe
        tiff.Patch32(Tiff::ValueField(ifd0, 0) - 4, note_size);
        tiff.Patch32(Tiff::ValueField(ifd0, 0), note);
        ASSERT_TRUE(ReadExif(tiff));
        EXPECT_TRUE(trace.Contains(c.line)) << trace.Text();
        EXPECT_EQ(doc.maker_note_ifd.present, c.read_as_ifd);
        EXPECT_EQ(doc.maker_note_ifd.header.size(), c.header);
        const auto* entry = doc.find_entry(0x927C);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->data.size(), c.read_as_ifd ? 0u : note_size);
        if (!c.read_as_ifd)
            continue;
        EXPECT_EQ(Tags(doc.maker_note_ifd), (std::vector<std::uint16_t>{0x0001, 0x0002}));
        // Regenerated with its header, its offsets from the main TIFF header.
        const std::string copy = scratch.file("maker.jpg");
        ASSERT_TRUE(doc.write_jpeg(copy));
        Texif_stl again;
        ASSERT_TRUE(again.read_jpeg(copy));
        EXPECT_EQ(again.maker_note_ifd.header, doc.maker_note_ifd.header);
        ASSERT_EQ(again.maker_note_ifd.entries.size(), 2u);
        EXPECT_EQ(again.maker_note_ifd.entries[0].data, ToBytes("inside"));
    }
}

TEST_F(ReadFixture, MakerNoteFailingAfterItsSignatureIsKeptRaw)
{
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({{0x927C, 7, 0, {}}});
    const std::uint32_t note = tiff.Append(ToBytes(std::string("OLYMP\0\x01\0", 8)));
    tiff.AddIfd({tiff.Short(0x0001, 1), {0x0002, 99, 1, {0}}});  // second entry has no valid type
    const std::uint32_t note_size = static_cast<std::uint32_t>(tiff.bytes().size()) - note;
    tiff.Append(Bytes(60, 0));
    tiff.Patch32(Tiff::ValueField(ifd0, 0) - 4, note_size);
    tiff.Patch32(Tiff::ValueField(ifd0, 0), note);
    ASSERT_TRUE(ReadExif(tiff));
    EXPECT_FALSE(doc.maker_note_ifd.present);
    EXPECT_EQ(doc.maker_note_ifd.header.size(), 8u);
    EXPECT_EQ(Tags(doc.maker_note_ifd), std::vector<std::uint16_t>{0x0001});
    EXPECT_EQ(doc.find_entry(0x927C)->data.size(), note_size);
}

TEST_F(ReadFixture, Thumbnail)
{
    struct Case {
        const char* name;
        std::uint16_t compression;  // 0: no Compression tag
        bool offset_tag;
        std::uint32_t length;
        bool strips;           // strip tags instead of JPEG interchange tags
        bool length_as_short;
        bool kept;
        std::string line;
    };
    const Case cases[] = {
        {"JPEG of 102400 bytes", 6, true, 102400, false, false, true, "   Thumbnail image read OK\n"},
        {"JPEG of 102401 bytes", 6, true, 102401, false, false, false, "   Byte count too big!\n"},
        {"no JPEGInterchangeFormat", 6, false, 10, false, false, false, "   Offset tag not found!\n"},
        {"length 0", 6, true, 0, false, false, false, "   Thumbnail image read FAILED\n"},
        {"uncompressed, first strip", 1, true, 300, true, false, true, "   Searching for offset tag 0111\n"},
        {"unsupported compression", 7, true, 10, false, false, false, "   Unsupported compression value!\n"},
        {"no Compression tag, JPEG tags", 0, true, 500, false, false, true,
         "   JPEG thumbnail tags found: reading thumbnail image\n"},
        {"mislabelled uncompressed JPEG", 1, true, 500, false, false, true, "   Thumbnail image read OK\n"},
        {"length stored as SHORT", 6, true, 500, false, true, true, "   Byte count = 500\n"},
    };
    doc.tracer = &trace;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace.pieces.clear();
        Tiff tiff(true);
        const std::uint32_t ifd0 = tiff.AddIfd({tiff.Ascii(0x010E, "with thumbnail")});
        std::vector<Tiff::Entry> entries;
        if (c.compression)
            entries.push_back(tiff.Short(0x0103, c.compression));
        entries.push_back(tiff.Long(0x011A, 72));
        const std::uint16_t offset_tag = c.strips ? 0x0111 : 0x0201;
        const std::uint16_t length_tag = c.strips ? 0x0117 : 0x0202;
        if (c.offset_tag)
            entries.push_back(c.strips ? Tiff::Entry{offset_tag, 4, 2, Bytes(8, 0)} : tiff.Long(offset_tag, 0));
        if (c.strips)
            entries.push_back({length_tag, 4, 2, Concat({tiff.U32(c.length), tiff.U32(7)})});
        else
            entries.push_back(c.length_as_short ? tiff.Short(length_tag, static_cast<std::uint16_t>(c.length))
                                                : tiff.Long(length_tag, c.length));
        const std::uint32_t ifd1 = tiff.AddIfd(entries);
        tiff.Patch32(Tiff::NextField(ifd0, 1), ifd1);
        Bytes image(c.length + 16);
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7);
        if (c.offset_tag) {
            // The strip offsets are an external array: patch its first value.
            const std::uint32_t field = Tiff::ValueField(ifd1, c.compression ? 2 : 1);
            const std::uint32_t target = c.strips ? (tiff.bytes()[field] << 24 | tiff.bytes()[field + 1] << 16 |
                                                     tiff.bytes()[field + 2] << 8 | tiff.bytes()[field + 3])
                                                  : field;
            tiff.Patch32(target, TrailerOffset(tiff));
        }
        ASSERT_TRUE(ReadExif(tiff, image));
        EXPECT_TRUE(trace.Contains(c.line)) << trace.Text();
        if (c.kept) {
            EXPECT_EQ(doc.thumbnail, Bytes(image.begin(), image.begin() + c.length));
            EXPECT_FALSE(doc.modified);
            EXPECT_NE(doc.find_entry_in(doc.ifds[1], offset_tag), nullptr);
        } else {
            EXPECT_TRUE(doc.thumbnail.empty());
            EXPECT_TRUE(doc.modified);
            EXPECT_EQ(Tags(doc.ifds[1]), std::vector<std::uint16_t>{0x011A});
        }
    }
}

TEST_F(ReadFixture, RemovingAnAbsentThumbnailKeepsEarlierChanges)
{
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Ascii(0x010E, "two IFDs")});
    tiff.Patch32(Tiff::NextField(ifd0, 1), tiff.AddIfd({tiff.Long(0x011A, 72)}));
    ASSERT_TRUE(ReadExif(tiff));
    ASSERT_FALSE(doc.modified);
    doc.set_artist("Ann");
    doc.remove_thumbnail();
    EXPECT_TRUE(doc.modified);  // the edit must still be written
}

TEST_F(ReadFixture, OnlyIfd0MeansNoThumbnailAndNoChange)
{
    Tiff tiff;
    tiff.AddIfd({tiff.Ascii(0x010E, "alone")});
    ASSERT_TRUE(ReadExif(tiff));
    EXPECT_TRUE(doc.thumbnail.empty());
    EXPECT_FALSE(doc.modified);
}

TEST_F(ReadFixture, ReadReplacesEverythingOfTheEarlierFile)
{
    Tiff tiff;
    const std::uint32_t ifd0 = tiff.AddIfd({tiff.Long(0x8769, 0)});
    tiff.Patch32(Tiff::ValueField(ifd0, 0), tiff.AddIfd({tiff.Ascii(0x9003, "2004:08:27 13:52:55")}));
    ASSERT_TRUE(ReadExif(tiff));
    doc.set_artist("changed");
    ASSERT_TRUE(doc.read_jpeg(Write(Jpeg({App0Jfif()}), "plain.jpg")));
    EXPECT_TRUE(doc.ifds.empty());
    EXPECT_TRUE(doc.exif_ifd.entries.empty());
    EXPECT_EQ(doc.markers.size(), 2u);
    EXPECT_FALSE(doc.modified);
    EXPECT_FALSE(doc.exif_motorola);
}
