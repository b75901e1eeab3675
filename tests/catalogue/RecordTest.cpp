// Photo records, the folder scan and applying edits, on real small JPEGs.
#include <gtest/gtest.h>

#include <QLocale>
#include <filesystem>

#include "catalogue/PhotoEdit.h"
#include "catalogue/Titem.h"
#include "exif/Exif_stl.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using lumitag::Titem;

namespace {

// Stores raw tag texts the setters would refuse to make.
void StoreRaw(const std::string& path, std::uint16_t tag, const std::string& text)
{
    Texif_stl exif;
    ASSERT_TRUE(exif.read_jpeg(path));
    exif.set_string(tag, text, 2);
    ASSERT_TRUE(exif.write_jpeg(path));
}

class RecordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GuiApp();
        QLocale::setDefault(QLocale::c());
    }
    ScratchDir scratch;
    Texif_stl exif;
};

TEST_F(RecordTest, FieldsAreRepairedTrimmedAndDatesChecked)
{
    struct Case {
        const char* what;
        std::uint16_t tag;
        std::string stored;
        std::string description, comment, artist, dateText;
    };
    const Case cases[] = {
        {"blanks around a description", 0x010E, "  Beach  ", "Beach", "", "", "no date"},
        {"UTF-8 description", 0x010E, "\xC3\x89t\xC3\xA9", "\xC3\x89t\xC3\xA9", "", "", "no date"},
        {"Windows-1252 description", 0x010E, "No\xEBl", "No\xC3\xABl", "", "", "no date"},
        {"UTF-8 artist kept as stored", 0x013B, "\xC3\x89t\xC3\xA9", "", "", "\xC3\x89t\xC3\xA9", "no date"},
        {"29 February of a leap year", 0x9003, "2004:02:29 10:00:00", "", "", "", "2004-02-29 10:00:00"},
        {"30 February", 0x9003, "2004:02:30 10:00:00", "", "", "", "no date"},
        {"hour 24", 0x9003, "2004:07:14 24:00:00", "", "", "", "no date"},
        {"month 0", 0x9003, "0000:00:00 00:00:00", "", "", "", "no date"},
        {"midnight shows the date only", 0x9003, "2004:07:14 00:00:00", "", "", "", "2004-07-14"},
        {"DateTime without DateTimeOriginal", 0x0132, "2004:07:14 10:00:00", "", "", "", "no date"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = scratch.file("photo.jpg");
        MakePhoto(path);
        StoreRaw(path, c.tag, c.stored);
        const Titem record("photo.jpg", scratch.path(), exif);
        EXPECT_EQ(record.imageDescription, c.description);
        EXPECT_EQ(record.userComment, c.comment);
        EXPECT_EQ(record.artist, c.artist);
        EXPECT_EQ(lumitag::ItemDateText(record), c.dateText);
        EXPECT_EQ(record.hasDate, record.dateTime != 0);
    }
}

TEST_F(RecordTest, UnreadableFileGivesQuestionMarks)
{
    WriteBytes(scratch.file("photo.jpg"), {'p', 'l', 'a', 'i', 'n'});
    const Titem record("photo.jpg", scratch.path(), exif);
    EXPECT_EQ(record.imageDescription, "?");
    EXPECT_EQ(record.userComment, "?");
    EXPECT_EQ(record.artist, "?");
    EXPECT_FALSE(record.hasDate);
}

TEST_F(RecordTest, FullFileName)
{
    EXPECT_EQ(lumitag::FullFileName("sub/a.jpg", "/photos/"), "/photos/sub/a.jpg");
    EXPECT_EQ(lumitag::FullFileName("/x/a.jpg", "/photos/"), "/x/a.jpg");
    EXPECT_EQ(lumitag::FullFileName("", "/photos/"), "");
}

TEST_F(RecordTest, ScanListsPhotosOnlyInDateOrder)
{
    MakePhoto(scratch.file("IMG_1.JPG"), {"", "", "", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("b.Jpeg"), {"", "", "", 2004, 7, 9, 9, 59, 59});
    MakePhoto(scratch.file("z-undated.jpg"));
    MakePhoto(scratch.file("a-undated.jpg"));
    for (const char* other : {"c.jpe", "d.jpg.bak", "notes.txt"})
        WriteBytes(scratch.file(other), {1});
    fs::create_directory(scratch.file("folder.jpg"));
    fs::create_directory(scratch.file("sub"));
    MakePhoto(scratch.file("sub/inner.jpg"));

    std::vector<Titem> records;
    lumitag::ScanFolder(scratch.path(), scratch.path(), exif, records);
    std::vector<std::string> names;
    for (const auto& r : records)
        names.push_back(r.fileName);
    // Undated photos first, in name order; then by date.
    EXPECT_EQ(names, (std::vector<std::string>{"a-undated.jpg", "z-undated.jpg", "b.Jpeg", "IMG_1.JPG"}));

    lumitag::ScanFolder(scratch.file("sub/"), scratch.path(), exif, records);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].fileName, "sub/inner.jpg");

    lumitag::ScanFolder(scratch.path(), "/elsewhere/", exif, records);
    EXPECT_EQ(records.front().fileName, scratch.file("a-undated.jpg"));
}

TEST_F(RecordTest, SubFoldersNeverLoopOnLinkCycles)
{
    fs::create_directories(scratch.file("a/b"));
    fs::create_directory_symlink(scratch.file("a"), scratch.file("a/b/back"));
    lumitag::VisitedFolders visited;
    std::vector<std::string> walked;
    std::function<void(const std::string&)> walk = [&](const std::string& folder) {
        if (!visited.Enter(folder))
            return;
        walked.push_back(folder);
        for (const auto& sub : lumitag::SubFolders(folder))
            walk(sub);
    };
    walk(scratch.path());
    EXPECT_EQ(walked, (std::vector<std::string>{scratch.path(), scratch.file("a/"), scratch.file("a/b/")}));
}

TEST_F(RecordTest, EditsAreStoredOnlyWhenTheyChangeSomething)
{
    using lumitag::EditOutcome;
    const std::string path = scratch.file("photo.jpg");
    MakePhoto(path, {"Beach", "", "Anne", 2004, 7, 9, 10, 0, 0});
    const auto imageData = [&] {
        const auto bytes = ReadBytes(path);
        const std::vector<std::uint8_t> sos = {0xFF, 0xDA};
        return std::vector<std::uint8_t>(std::search(bytes.begin(), bytes.end(), sos.begin(), sos.end()), bytes.end());
    };
    const auto before = imageData();

    lumitag::PhotoEdits none;
    EXPECT_EQ(lumitag::ApplyPhotoEdits(exif, path, none), EditOutcome::NothingEdited);

    lumitag::PhotoEdits same;
    same.imageDescription = "  Beach ";
    same.artist = "Anne";
    EXPECT_EQ(lumitag::ApplyPhotoEdits(exif, path, same), EditOutcome::Unchanged);

    lumitag::PhotoEdits changed;
    changed.imageDescription = " \xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl ";
    changed.date = std::optional<lumitag::DateTimeParts>();  // removes the three dates
    EXPECT_EQ(lumitag::ApplyPhotoEdits(exif, path, changed), EditOutcome::Wrote);
    const Titem record("photo.jpg", scratch.path(), exif);
    EXPECT_EQ(record.imageDescription, "\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl");
    EXPECT_EQ(record.artist, "Anne");
    EXPECT_FALSE(record.hasDate);
    EXPECT_EQ(exif.find_entry(0x0132), nullptr);
    EXPECT_EQ(exif.find_entry(0x9004), nullptr);
    EXPECT_EQ(imageData(), before);

    WriteBytes(scratch.file("text.jpg"), {'x'});
    EXPECT_EQ(lumitag::ApplyPhotoEdits(exif, scratch.file("text.jpg"), changed), EditOutcome::ReadFailed);
    EXPECT_EQ(ReadBytes(scratch.file("text.jpg")), (std::vector<std::uint8_t>{'x'}));
}

}  // namespace
