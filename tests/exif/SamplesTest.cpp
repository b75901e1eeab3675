// Round trip of the real camera files: read, change the four fields, write a
// copy, and let two independent readers judge the copy.
#include "ExifFixtures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace exiftest;
using testsupport::ReadBytes;
using testsupport::RunCommand;

namespace {

const std::string new_description = "\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl";  // Été à Noël
const std::string new_comment = "Round trip comment";
const std::string new_artist = "Round Trip Artist";

struct Tag {
    std::string group;  // family 0 and 1, "EXIF:IFD0", "MakerNotes:Canon"
    std::string name;
    std::string value;
};

std::vector<Tag> ExiftoolTags(const std::string& path)
{
    const auto result = RunCommand({"exiftool", "-a", "-u", "-G0:1", "-s", "-charset", "exif=utf8", path});
    std::vector<Tag> tags;
    static const std::regex line(R"(^\[([^\]]+)\]\s+(\S+)\s*: (.*)$)");
    std::istringstream lines(result.output);
    for (std::string text; std::getline(lines, text);) {
        std::smatch match;
        if (std::regex_match(text, match, line))
            tags.push_back({match[1], match[2], match[3]});
    }
    return tags;
}

bool IsMakerNoteGroup(const std::string& group) { return group.rfind("MakerNotes:", 0) == 0; }
bool IsExifGroup(const std::string& group) { return group.rfind("EXIF:", 0) == 0 || IsMakerNoteGroup(group); }

bool IsMakerNoteOffsetWarning(const std::string& text)
{
    static const std::regex pattern("maker ?notes?.*(offset|base)|(offset|base).*maker ?notes?", std::regex::icase);
    return std::regex_search(text, pattern);
}

// Tags that the round trip changes on purpose, or that only say where data lies.
bool IsExpectedToChange(const Tag& tag)
{
    static const std::set<std::string> edited = {"ImageDescription", "UserComment", "Artist",
                                                 "DateTimeOriginal", "ModifyDate", "CreateDate"};
    return edited.count(tag.name) || tag.name.find("Offset") != std::string::npos ||
           tag.name.find("Start") != std::string::npos || tag.name == "GPSInfo";
}

// A complaint with its numbers masked: the same complaint about a maker-note
// directory may name another entry count once the block has moved.
std::string Shape(const std::string& complaint)
{
    static const std::regex digits("[0-9]+");
    return std::regex_replace(complaint, digits, "#");
}

std::multiset<std::string> Warnings(const std::vector<Tag>& tags)
{
    std::multiset<std::string> warnings;
    for (const Tag& tag : tags)
        if (tag.group.rfind("ExifTool", 0) == 0 && (tag.name == "Warning" || tag.name == "Error"))
            warnings.insert(tag.name + ": " + tag.value);
    return warnings;
}

std::set<std::string> Exiv2Complaints(const std::string& path, std::string* listing)
{
    const auto result = RunCommand({"exiv2", "-pa", path});
    if (listing)
        *listing = result.output;
    std::set<std::string> complaints;
    std::istringstream lines(result.errors);
    for (std::string text; std::getline(lines, text);)
        complaints.insert(text);
    if (result.status != 0 && result.status != 253)
        complaints.insert("exit status " + std::to_string(result.status));
    return complaints;
}

}  // namespace

TEST(CameraSamples, RoundTripKeepsImageAndTagsAndPeersAgree)
{
    LUMITAG_REQUIRE_SAMPLES();
    ASSERT_TRUE(testsupport::HaveProgram("exiftool") && testsupport::HaveProgram("exiv2"))
        << "exiftool and exiv2 are needed (scripts/install-deps.sh installs them)";
    testsupport::ScratchDir scratch;
    std::ostringstream measured_limits;
    int checked = 0;
    for (const std::string& original : testsupport::SampleFiles()) {
        const std::string name = original.substr(original.rfind('/') + 1);
        if (name == "corrupted.jpg")
            continue;
        SCOPED_TRACE(name);
        const std::string copy = scratch.file(name);
        const std::string second = scratch.file("again-" + name);
        testsupport::CopyFile(original, copy);

        Texif_stl doc;
        ASSERT_TRUE(doc.read_jpeg(original));
        const std::int32_t original_sos = doc.sos_position;
        doc.set_image_description(new_description);
        doc.set_user_comment(new_comment);
        doc.set_artist(new_artist);
        doc.set_date_time_original(2021, 7, 14, 10, 20, 30);
        doc.set_date_time(2021, 7, 14, 10, 20, 30);
        doc.set_date_time_digitized(2021, 7, 14, 10, 20, 30);
        const bool maker_note_regenerated = doc.maker_note_ifd.present;
        ASSERT_TRUE(doc.write_jpeg(copy));

        // (a) the image data is copied unchanged
        const Bytes before = ReadBytes(original);
        const Bytes after = ReadBytes(copy);
        Texif_stl reread;
        ASSERT_TRUE(reread.read_jpeg(copy));
        ASSERT_EQ(after.size() - reread.sos_position, before.size() - original_sos);
        EXPECT_TRUE(std::equal(before.begin() + original_sos, before.end(), after.begin() + reread.sos_position));
        EXPECT_EQ(reread.get_image_description(), new_description + '\0');
        EXPECT_EQ(reread.get_user_comment(), new_comment);

        // (b) the peers read the copy without new complaints and see the new values
        std::string exiv2_listing;
        const std::set<std::string> exiv2_exact = Exiv2Complaints(original, nullptr);
        std::set<std::string> exiv2_before;
        for (const std::string& complaint : exiv2_exact)
            exiv2_before.insert(Shape(complaint));
        for (const std::string& complaint : Exiv2Complaints(copy, &exiv2_listing)) {
            if (exiv2_before.count(Shape(complaint)) && !exiv2_exact.count(complaint))
                measured_limits << name << ": exiv2 now says " << complaint << "\n";
            if (!exiv2_before.count(Shape(complaint))) {
                if (IsMakerNoteOffsetWarning(complaint))
                    measured_limits << name << ": new exiv2 warning " << complaint << "\n";
                else
                    ADD_FAILURE() << "exiv2 complains about the copy only: " << complaint;
            }
        }
        EXPECT_NE(exiv2_listing.find("Exif.Image.Artist"), std::string::npos);
        EXPECT_NE(exiv2_listing.find(new_artist), std::string::npos);
        EXPECT_NE(exiv2_listing.find("2021:07:14 10:20:30"), std::string::npos);

        const std::vector<Tag> old_tags = ExiftoolTags(original);
        const std::vector<Tag> new_tags = ExiftoolTags(copy);
        const auto old_exact = Warnings(old_tags);
        std::set<std::string> old_warnings;
        for (const std::string& warning : old_exact)
            old_warnings.insert(Shape(warning));
        for (const std::string& warning : Warnings(new_tags))
            if (old_warnings.count(Shape(warning)) && !old_exact.count(warning))
                measured_limits << name << ": exiftool now says " << warning << "\n";
            else if (!old_warnings.count(Shape(warning))) {
                if (IsMakerNoteOffsetWarning(warning))
                    measured_limits << name << ": new warning " << warning << "\n";
                else
                    ADD_FAILURE() << "exiftool complains about the copy only: " << warning;
            }
        std::multimap<std::string, std::string> new_values;
        for (const Tag& tag : new_tags)
            new_values.emplace(tag.group + " " + tag.name, tag.value);
        auto value_of = [&](const std::string& key) {
            auto found = new_values.find(key);
            return found == new_values.end() ? std::string("(missing)") : found->second;
        };
        EXPECT_EQ(value_of("EXIF:IFD0 ImageDescription"), new_description);
        EXPECT_EQ(value_of("EXIF:IFD0 Artist"), new_artist);
        EXPECT_EQ(value_of("EXIF:ExifIFD DateTimeOriginal"), "2021:07:14 10:20:30");
        const std::string comment_key =
            new_values.count("EXIF:ExifIFD UserComment") ? "EXIF:ExifIFD UserComment" : "EXIF:IFD0 UserComment";
        EXPECT_EQ(value_of(comment_key), new_comment);

        // (c) every other EXIF and maker-note tag keeps its value
        for (const Tag& tag : old_tags) {
            if (!IsExifGroup(tag.group) || IsExpectedToChange(tag))
                continue;
            const std::string key = tag.group + " " + tag.name;
            auto range = new_values.equal_range(key);
            bool same = false;
            for (auto it = range.first; it != range.second && !same; ++it)
                same = it->second == tag.value;
            if (same)
                continue;
            if (IsMakerNoteGroup(tag.group) && !maker_note_regenerated)
                measured_limits << name << ": " << key << " '" << tag.value << "' -> '" << value_of(key) << "'\n";
            else
                ADD_FAILURE() << key << " was '" << tag.value << "', the copy has '" << value_of(key) << "'";
        }

        // (d) an unchanged rewrite of the copy gives the same bytes
        Texif_stl again;
        ASSERT_TRUE(again.read_jpeg(copy));
        EXPECT_FALSE(again.modified);
        ASSERT_TRUE(again.write_jpeg(second));
        EXPECT_EQ(ReadBytes(second), after);
        ++checked;
    }
    EXPECT_GT(checked, 0);
    if (!measured_limits.str().empty())
        std::cout << "Raw maker notes whose values or warnings change in the copy:\n" << measured_limits.str();
}

// The damage of corrupted.jpg lies in its entropy-coded data, which the
// engine never decodes: the EXIF block is read and the damaged image data is
// carried over unchanged.
TEST(CameraSamples, CorruptedFileGivesDefinedResult)
{
    LUMITAG_REQUIRE_SAMPLES();
    const std::string path = testsupport::SamplesDir() + "corrupted.jpg";
    if (!testsupport::FileExists(path))
        GTEST_SKIP() << "corrupted.jpg not among the samples";
    testsupport::ScratchDir scratch;
    Texif_stl doc;
    TraceRecorder trace;
    doc.tracer = &trace;
    ASSERT_TRUE(doc.read_jpeg(path));
    EXPECT_TRUE(doc.markers[1].is_exif);
    const std::string copy = scratch.file("copy.jpg");
    doc.set_artist("Someone");
    ASSERT_TRUE(doc.write_jpeg(copy));
    const Bytes before = ReadBytes(path);
    const Bytes after = ReadBytes(copy);
    Texif_stl reread;
    ASSERT_TRUE(reread.read_jpeg(copy));
    EXPECT_EQ(reread.get_artist(), std::string("Someone\0", 8));
    ASSERT_EQ(after.size() - reread.sos_position, before.size() - doc.sos_position);
    EXPECT_TRUE(std::equal(before.begin() + doc.sos_position, before.end(), after.begin() + reread.sos_position));
}
