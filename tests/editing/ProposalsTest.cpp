// The window-free side of editing: the proposals for empty fields and the
// date edit taken from a date field's text.
#include <gtest/gtest.h>

#include <QLocale>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

#include "catalogue/CatalogueTestSupport.h"
#include "catalogue/EditProposals.h"
#include "catalogue/PhotoEdit.h"
#include "exif/Exif_stl.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

using namespace testsupport;
using lumitag::DateTimeParts;

namespace {

constexpr std::time_t kParisJuly14At1030 = 1089793800;  // 14/07/2004 10:30:00 in Paris

DateTimeParts Parts(std::optional<lumitag::DateTimeValue> value)
{
    return value ? lumitag::DecodeDateTime(*value).value_or(DateTimeParts{}) : DateTimeParts{};
}

TEST(ProposalsTest, DescriptionFromTheFileName)
{
    const struct {
        const char* path;
        const char* proposal;
    } cases[] = {
        {"/photos/IMG_0012.jpg", "IMG_0012"},
        {"/photos/2004.07.14 Beach.jpg", "14 Beach"},
        {"/photos/a.b.c.jpeg", "c"},
        {"IMG_0012.JPG", "IMG_0012"},
        {"/photos.2004/noextension", "noextension"},  // a dot of the folder is no extension
        {"/photos/.jpg", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lumitag::DescriptionFromFileName(c.path), c.proposal) << c.path;

    const char* byOption[] = {"", "IMG_1", "last", "first", "", ""};
    const int options[] = {0, 1, 2, 3, 4, -1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(lumitag::ProposedDescription(options[i], "/p/IMG_1.jpg", "last", "first"), byOption[i])
            << "option " << options[i];
}

TEST(ProposalsTest, AddSecondsCarriesIntoTheDate)
{
    const struct {
        DateTimeParts from;
        int seconds;
        std::optional<DateTimeParts> to;
    } cases[] = {
        {{2004, 7, 14, 10, 0, 0}, 1, DateTimeParts{2004, 7, 14, 10, 0, 1}},
        {{2004, 7, 14, 10, 5, 0}, -1, DateTimeParts{2004, 7, 14, 10, 4, 59}},
        {{2004, 12, 31, 23, 59, 59}, 1, DateTimeParts{2005, 1, 1, 0, 0, 0}},
        {{2004, 3, 1, 0, 0, 0}, -1, DateTimeParts{2004, 2, 29, 23, 59, 59}},
        {{1899, 12, 30, 0, 0, 0}, -1, DateTimeParts{1899, 12, 29, 23, 59, 59}},
        // Before 1899 the raw number would step the wrong way.
        {{1890, 5, 1, 12, 0, 0}, 1, DateTimeParts{1890, 5, 1, 12, 0, 1}},
        {{1890, 5, 1, 12, 0, 0}, -1, DateTimeParts{1890, 5, 1, 11, 59, 59}},
        {{9999, 12, 31, 23, 59, 59}, 1, std::nullopt},
        {{1, 1, 1, 0, 0, 0}, -1, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.year << "-" << c.from.month << "-" << c.from.day << " "
                                        << c.from.hour << ":" << c.from.minute << ":" << c.from.second << " "
                                        << c.seconds);
        const auto moved = lumitag::AddSeconds(*lumitag::EncodeDateTime(c.from), c.seconds);
        ASSERT_EQ(moved.has_value(), c.to.has_value());
        if (c.to) {
            EXPECT_EQ(Parts(moved), *c.to);
        }
    }
}

class GuessDateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GuiApp();
        std::filesystem::create_directory(scratch.file("other"));
        MakePhoto(scratch.file("ten.jpg"), {"", "", "", 2004, 7, 14, 10, 0, 0});
        MakePhoto(scratch.file("five-past.jpg"), {"", "", "", 2004, 7, 14, 10, 5, 0});
        MakePhoto(scratch.file("old.jpg"), {"", "", "", 1890, 5, 1, 12, 0, 0});
        MakePhoto(scratch.file("undated.jpg"));
        MakePhoto(scratch.file("other/dated.jpg"), {"", "", "", 2001, 1, 1, 0, 0, 0});
        WriteBytes(scratch.file("text.jpg"), {'n', 'o', 't', ' ', 'J', 'P', 'E', 'G'});
        MakePhoto(selected);
        const timespec times[2] = {{0, UTIME_OMIT}, {kParisJuly14At1030, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, selected.c_str(), times, 0), 0);
    }

    const catalogue_test::ScopedTimeZone paris{catalogue_test::kParisTime};
    ScratchDir scratch;
    const std::string selected = scratch.file("selected.jpg");
};

TEST_F(GuessDateTest, NeighboursOfTheSameFolderFirstThenTheModificationTime)
{
    const struct {
        const char* what;
        std::string previous, next;
        DateTimeParts expected;
    } cases[] = {
        {"a second after the previous", scratch.file("ten.jpg"), scratch.file("five-past.jpg"), {2004, 7, 14, 10, 0, 1}},
        {"a second before the next", scratch.file("undated.jpg"), scratch.file("five-past.jpg"),
         {2004, 7, 14, 10, 4, 59}},
        {"unreadable previous", scratch.file("text.jpg"), scratch.file("five-past.jpg"), {2004, 7, 14, 10, 4, 59}},
        {"previous in another folder", scratch.file("other/dated.jpg"), "", {2004, 7, 14, 10, 30, 0}},
        {"no neighbours", "", "", {2004, 7, 14, 10, 30, 0}},
        {"undated neighbours", scratch.file("undated.jpg"), scratch.file("undated.jpg"), {2004, 7, 14, 10, 30, 0}},
        {"vanished neighbour", scratch.file("gone.jpg"), "", {2004, 7, 14, 10, 30, 0}},
        {"before 1899", scratch.file("old.jpg"), "", {1890, 5, 1, 12, 0, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Parts(lumitag::GuessDate({selected, c.previous, c.next})), c.expected);
    }
    EXPECT_FALSE(lumitag::GuessDate({scratch.file("gone.jpg"), "", ""}));
}

TEST(PhotoEditsTest, DateFromTheTextOfTheField)
{
    GuiApp();
    const catalogue_test::ScopedDefaultLocale british{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    using Date = std::optional<std::optional<DateTimeParts>>;
    const struct {
        const char* text;
        Date date;
        bool ignored;
    } cases[] = {
        {"", Date(std::optional<DateTimeParts>()), false},
        {"14/07/2004 10:30:00", Date(DateTimeParts{2004, 7, 14, 10, 30, 0}), false},
        {"14/07/2004", Date(DateTimeParts{2004, 7, 14, 0, 0, 0}), false},
        {"31/02/2004", Date(), true},
        {"2004:07:14 10:30:00", Date(), true},
        {" ", Date(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        lumitag::PhotoEdits edits;
        edits.dateTextIgnored = !c.ignored;  // each call starts afresh
        edits.SetDateFromText(QString::fromUtf8(c.text));
        EXPECT_EQ(edits.date, c.date);
        EXPECT_EQ(edits.dateTextIgnored, c.ignored);
        EXPECT_TRUE(edits.any());
    }
}

// An ignored date still counts as an edit: the file is read (a read error is
// reported), and nothing is written when nothing else changed.
TEST(PhotoEditsTest, AnIgnoredDateReadsTheFileAndWritesNothing)
{
    GuiApp();
    ScratchDir scratch;
    const std::string path = scratch.file("photo.jpg");
    MakePhoto(path, {"Beach", "", "", 2004, 7, 14, 10, 0, 0});
    const auto before = ReadBytes(path);
    lumitag::PhotoEdits edits;
    edits.dateTextIgnored = true;
    Texif_stl exif;
    EXPECT_EQ(lumitag::ApplyPhotoEdits(exif, path, edits), lumitag::EditOutcome::Unchanged);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_EQ(lumitag::ApplyPhotoEdits(exif, scratch.file("gone.jpg"), edits), lumitag::EditOutcome::ReadFailed);
    EXPECT_FALSE(FileExists(scratch.file("gone.jpg")));
}

}  // namespace
