// Tag access: the getters' decoding, the setters' change tracking and where
// created tags go.
#include "ExifFixtures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>

using namespace exiftest;

namespace {

const std::string kAsciiPrefix("ASCII\0\0\0", 8);

class TagFixture : public ::testing::Test {
protected:
    // Reads a file whose EXIF block has IFD0 (`ifd0` plus an Exif pointer
    // when `exif` is not empty), the Exif IFD and, on request, an IFD1.
    void ReadExif(std::vector<Tiff::Entry> ifd0, std::vector<Tiff::Entry> exif, bool with_ifd1 = false,
                  bool big_endian = false)
    {
        Tiff tiff(big_endian);
        if (!exif.empty())
            ifd0.push_back(tiff.Long(0x8769, 0));
        const std::uint32_t first = tiff.AddIfd(ifd0);
        if (with_ifd1)
            tiff.Patch32(Tiff::NextField(first, static_cast<int>(ifd0.size())), tiff.AddIfd({tiff.Long(0x011A, 1)}));
        if (!exif.empty())
            tiff.Patch32(Tiff::ValueField(first, static_cast<int>(ifd0.size()) - 1), tiff.AddIfd(exif));
        ReadFile(Jpeg({App1Exif(tiff)}));
    }
    void ReadWithoutExif() { ReadFile(Jpeg({App0Jfif()})); }
    void ReadFile(const Bytes& bytes)
    {
        const std::string path = scratch.file("photo.jpg");
        testsupport::WriteBytes(path, bytes);
        ASSERT_TRUE(doc.read_jpeg(path));
        ASSERT_FALSE(doc.modified);
    }
    static Tiff::Entry Ascii(std::uint16_t tag, const std::string& text) { return Tiff().Ascii(tag, text); }
    static Tiff::Entry Undefined(std::uint16_t tag, const std::string& bytes)
    {
        return Tiff::Entry{tag, 7, static_cast<std::uint32_t>(bytes.size()), ToBytes(bytes)};
    }

    testsupport::ScratchDir scratch;
    Texif_stl doc;
};

}  // namespace

TEST_F(TagFixture, SettersMarkTheDocumentOnlyWhenAValueChanges)
{
    struct Case {
        const char* name;
        std::function<void(Texif_stl&)> set;
        bool changes;
    };
    const Case cases[] = {
        {"same description", [](Texif_stl& d) { d.set_image_description("Rome"); }, false},
        {"other description", [](Texif_stl& d) { d.set_image_description("Roma"); }, true},
        {"longer description", [](Texif_stl& d) { d.set_image_description("Rome!"); }, true},
        {"same artist", [](Texif_stl& d) { d.set_artist("Ann"); }, false},
        {"same comment", [](Texif_stl& d) { d.set_user_comment("note"); }, false},
        {"other comment", [](Texif_stl& d) { d.set_user_comment("notes"); }, true},
        {"same date", [](Texif_stl& d) { d.set_date_time_original(2004, 8, 27, 13, 52, 55); }, false},
        {"other second", [](Texif_stl& d) { d.set_date_time_original(2004, 8, 27, 13, 52, 56); }, true},
        {"clearing an absent tag", [](Texif_stl& d) { d.set_date_time(0, 0, 0, 0, 0, 0); }, true},
        {"clearing the comment", [](Texif_stl& d) { d.set_user_comment(""); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReadExif({Ascii(0x010E, "Rome"), Ascii(0x013B, "Ann")},
                 {Ascii(0x9003, "2004:08:27 13:52:55"), Undefined(0x9286, kAsciiPrefix + "note")});
        c.set(doc);
        EXPECT_EQ(doc.modified, c.changes);
    }
}

TEST_F(TagFixture, CreatedTagsGoToIfd0ExceptDateTimeOriginal)
{
    ReadExif({Ascii(0x010E, "Rome")}, {Ascii(0x829A, "exposure")}, true);
    doc.set_artist("Ann");
    doc.set_user_comment("note");
    doc.set_date_time_digitized(2005, 1, 2, 3, 4, 5);
    doc.set_date_time_original(2005, 1, 2, 3, 4, 5);
    ASSERT_EQ(doc.ifds.size(), 2u);
    EXPECT_NE(doc.find_entry_in(doc.ifds[0], 0x013B), nullptr);
    EXPECT_NE(doc.find_entry_in(doc.ifds[0], 0x9004), nullptr);
    const auto* comment = doc.find_entry_in(doc.ifds[0], 0x9286);
    ASSERT_NE(comment, nullptr);
    EXPECT_EQ(comment->type, 7);
    EXPECT_EQ(ToText(comment->data), kAsciiPrefix + "note");
    const auto* date = doc.find_entry_in(doc.exif_ifd, 0x9003);
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->type, 2);
    EXPECT_EQ(ToText(date->data), std::string("2005:01:02 03:04:05\0", 20));
    EXPECT_EQ(doc.get_artist(), std::string("Ann\0", 4));
}

TEST_F(TagFixture, DateTimeOriginalWithoutExifPointerAddsAMainIfdForThePointer)
{
    for (bool with_ifd1 : {false, true}) {
        SCOPED_TRACE(with_ifd1 ? "IFD0 and IFD1" : "IFD0 only");
        ReadExif({Ascii(0x010E, "Rome")}, {}, with_ifd1);
        doc.set_date_time_original(2005, 1, 2, 3, 4, 5);
        ASSERT_EQ(doc.ifds.size(), with_ifd1 ? 3u : 2u);
        ASSERT_EQ(doc.ifds.back().entries.size(), 1u);
        EXPECT_EQ(doc.ifds.back().entries[0].tag, 0x8769);
        EXPECT_NE(doc.find_entry_in(doc.exif_ifd, 0x9003), nullptr);
    }
}

TEST_F(TagFixture, FirstFieldOfAFileWithoutExifCreatesTheBlock)
{
    ReadWithoutExif();
    doc.set_artist("Ann");
    EXPECT_TRUE(doc.modified);
    ASSERT_EQ(doc.markers.size(), 3u);
    EXPECT_EQ(doc.markers[1].code, 0xFFE1);
    EXPECT_TRUE(doc.markers[1].is_exif);
    EXPECT_EQ(doc.markers[2].code, 0xFFE0);
    ASSERT_EQ(doc.ifds.size(), 1u);
    std::vector<std::uint16_t> tags;
    for (const auto& entry : doc.ifds[0].entries)
        tags.push_back(entry.tag);
    EXPECT_EQ(tags, (std::vector<std::uint16_t>{0x010E, 0x8769, 0x013B}));
    ASSERT_EQ(doc.exif_ifd.entries.size(), 1u);
    EXPECT_EQ(doc.exif_ifd.entries[0].tag, 0x9000);
    EXPECT_EQ(ToText(doc.exif_ifd.entries[0].data), "0210");
    EXPECT_FALSE(doc.exif_motorola);

    // Clearing an absent field also creates the block, then drops the tag.
    ReadWithoutExif();
    doc.set_user_comment("");
    EXPECT_TRUE(doc.modified);
    ASSERT_EQ(doc.ifds.size(), 1u);
    EXPECT_EQ(doc.find_entry(0x9286), nullptr);
}

TEST_F(TagFixture, DateSetters)
{
    ReadExif({Ascii(0x0132, "2004:08:27 13:52:55"), Ascii(0x9004, "2004:08:27 13:52:55")},
             {Ascii(0x9003, "2004:08:27 13:52:55")});
    doc.set_date_time_original(0, 0, 0, 10, 10, 10);
    doc.set_date_time(0, 0, 0, 10, 10, 10);
    doc.set_date_time_digitized(0, 0, 0, 10, 10, 10);
    EXPECT_EQ(doc.find_entry(0x9003), nullptr);
    EXPECT_EQ(doc.find_entry(0x0132), nullptr);
    EXPECT_EQ(doc.find_entry(0x9004), nullptr);

    doc.set_date_time_original(0, 1, 1, 0, 0, 0);
    EXPECT_EQ(doc.get_string(0x9003), std::string("0000:01:01 00:00:00\0", 20));
}

TEST_F(TagFixture, DateTimeOriginalIsScannedLikeScanf)
{
    struct Case {
        std::string stored;  // empty: no tag
        bool valid;
        std::array<int, 6> values;
    };
    const Case cases[] = {
        {"2004:08:27 13:52:55", true, {2004, 8, 27, 13, 52, 55}},
        {"    :  :     :  :  ", false, {0, 0, 0, 0, 0, 0}},
        {"2004:08", false, {2004, 8, 0, 0, 0, 0}},
        {"2004:13:01 00:00:00", false, {2004, 13, 1, 0, 0, 0}},
        {"2004:02:31 23:59:59", true, {2004, 2, 31, 23, 59, 59}},  // day not checked against month
        {"-12:1:1\t1:2:3", true, {-12, 1, 1, 1, 2, 3}},
        {"2004:08:27 24:00:00", false, {2004, 8, 27, 24, 0, 0}},
        {"99999999999:01:01 00:00:00", true, {2147483647, 1, 1, 0, 0, 0}},
        {"", false, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        if (c.stored.empty())
            ReadExif({Ascii(0x010E, "no date")}, {});
        else
            ReadExif({}, {Ascii(0x9003, c.stored)});
        std::array<int, 6> values{-1, -1, -1, -1, -1, -1};
        EXPECT_EQ(doc.get_date_time_original(values[0], values[1], values[2], values[3], values[4], values[5]),
                  c.valid);
        EXPECT_EQ(values, c.values);
    }
}

TEST_F(TagFixture, UserCommentByCharacterCode)
{
    struct Case {
        const char* name;
        std::string stored;
        std::string text;
    };
    const std::string unicode("UNICODE\0", 8);
    const Case cases[] = {
        {"ASCII", kAsciiPrefix + "note", "note"},
        {"JIS prefix, bytes unchanged", std::string("JIS\0\0\0\0\0", 8) + "\x1b$B", "\x1b$B"},
        {"undefined prefix", std::string(8, '\0') + "x y", "x y"},
        {"exactly the prefix", kAsciiPrefix, ""},
        {"shorter than a prefix", "ASC", ""},
        {"UNICODE, low byte first", unicode + std::string("\xC9\0t\0\xE9\0", 6), "\xC3\x89t\xC3\xA9"},
        {"UNICODE euro sign", unicode + std::string("\xAC\x20", 2), "\xE2\x82\xAC"},
        {"UNICODE surrogate pair", unicode + std::string("\x3D\xD8\x00\xDE", 4), "\xF0\x9F\x98\x80"},
        {"UNICODE lone surrogate", unicode + std::string("\x3D\xD8" "a\0", 4), "_a"},
        {"UNICODE odd last byte dropped", unicode + std::string("a\0b", 3), "a"},
    };
    for (bool big_endian : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (big_endian ? " (MM)" : " (II)"));
            ReadExif({Undefined(0x9286, c.stored)}, {}, false, big_endian);
            EXPECT_EQ(doc.get_user_comment(), c.text);
        }
    }
}

TEST_F(TagFixture, GettersReturnStoredBytesWithTheirZero)
{
    ReadExif({Ascii(0x010E, "Rome  "), Ascii(0x013B, "Ann")}, {});
    EXPECT_EQ(doc.get_image_description(), std::string("Rome  \0", 7));
    EXPECT_EQ(doc.get_artist(), std::string("Ann\0", 4));
    EXPECT_EQ(doc.get_user_comment(), "");
}
