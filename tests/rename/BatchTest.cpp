// The window-free batch: the walk over real folders, the collision check and
// the rename that never replaces.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <unistd.h>

#include "RenameTestSupport.h"
#include "exif/Exif_stl.h"
#include "rename/RenameBatch.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using lumitag::RenameRow;
using lumitag::RenameStatus;
using namespace testsupport;
using namespace rename_test;

namespace {

struct RowTexts {
    std::string fileName, newName;
    RenameStatus status;
    friend bool operator==(const RowTexts&, const RowTexts&) = default;
    friend std::ostream& operator<<(std::ostream& out, const RowTexts& row)
    {
        return out << row.fileName << " -> " << row.newName << " (" << lumitag::StatusKey(row.status) << ")";
    }
};

std::vector<RowTexts> Texts(const std::vector<RenameRow>& rows)
{
    std::vector<RowTexts> texts;
    for (const auto& row : rows)
        texts.push_back({row.fileName, row.newName, row.status});
    return texts;
}

class BatchTest : public ::testing::Test {
protected:
    void SetUp() override { GuiApp(); }

    std::vector<RenameRow> Run(const std::string& pattern, bool recursive, bool apply, int startIndex = 1)
    {
        lumitag::RenameSettings settings;
        settings.pattern = pattern;
        settings.rootFolder = scratch.path();
        settings.recursive = recursive;
        settings.startIndex = startIndex;
        settings.apply = apply;
        return lumitag::RenameTree(settings, exif);
    }

    ScratchDir scratch;
    Texif_stl exif;
};

TEST_F(BatchTest, FilesOfAFolderComeBeforeItsSubFoldersAndEachFolderCountsAgain)
{
    fs::create_directories(scratch.file("2005"));
    fs::create_directories(scratch.file("2004/deep"));
    MakePhoto(scratch.file("late.jpg"), {"", "", "", 2006, 1, 2, 0, 0, 0});
    MakePhoto(scratch.file("early.jpg"), {"", "", "", 2006, 1, 1, 0, 0, 0});
    MakePhoto(scratch.file("2005/x.jpg"), {"", "", "", 2005, 3, 1, 0, 0, 0});
    MakePhoto(scratch.file("2004/b.jpg"), {"", "", "", 2004, 2, 1, 0, 0, 0});
    MakePhoto(scratch.file("2004/a.jpg"), {"", "", "", 2004, 2, 2, 0, 0, 0});
    MakePhoto(scratch.file("2004/deep/c.jpg"), {"", "", "", 2003, 1, 1, 0, 0, 0});

    const std::string rootName = fs::path(scratch.path()).parent_path().filename().string();
    EXPECT_EQ(Texts(Run("%P_%N2", true, false, 7)), (std::vector<RowTexts>{
                                                         {"early.jpg", rootName + "_07.jpg", RenameStatus::No},
                                                         {"late.jpg", rootName + "_08.jpg", RenameStatus::No},
                                                         {"2004/b.jpg", "2004_07.jpg", RenameStatus::No},
                                                         {"2004/a.jpg", "2004_08.jpg", RenameStatus::No},
                                                         {"2004/deep/c.jpg", "deep_07.jpg", RenameStatus::No},
                                                         {"2005/x.jpg", "2005_07.jpg", RenameStatus::No},
                                                     }));
    // Without recursion only the root's own files.
    EXPECT_EQ(Run("%N", false, false).size(), 2u);
}

TEST_F(BatchTest, AnUndatedPhotoIsNamedFromItsModificationTimeAtEvenSeconds)
{
    MakePhoto(scratch.file("undated.jpg"));
    ASSERT_TRUE(SetModificationTime(scratch.file("undated.jpg"), 2004, 7, 9, 14, 5, 3));
    MakePhoto(scratch.file("dated.jpg"), {"", "", "", 2004, 7, 9, 18, 0, 0});
    // Undated photos come first; their replaced date counts for the numbering.
    EXPECT_EQ(Texts(Run("%Y-%M2-%D2 %h2.%m2.%s2 %ND", false, false)),
              (std::vector<RowTexts>{{"undated.jpg", "2004-07-09 14.05.02 1.jpg", RenameStatus::No},
                                     {"dated.jpg", "2004-07-09 18.00.00 2.jpg", RenameStatus::No}}));
}

TEST_F(BatchTest, ApplyRenamesWhatDiffersAndKeepsEveryFilesBytes)
{
    MakePhoto(scratch.file("beach.JPG"), {"Beach", "", "", 2004, 7, 9, 9, 0, 0});
    MakePhoto(scratch.file("two.jpeg"), {"Sea", "", "", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("Sea.jpeg"), {"Sea", "", "", 2004, 7, 9, 11, 0, 0}, 80, 60);
    MakePhoto(scratch.file("three.jpg"), {"Sand", "", "", 2004, 7, 9, 12, 0, 0});
    const auto before = Contents(scratch.path());

    const auto rows = Run("%I", false, true);
    EXPECT_EQ(Texts(rows), (std::vector<RowTexts>{{"beach.JPG", "Beach.jpg", RenameStatus::Yes},
                                                  {"two.jpeg", "Sea.jpeg", RenameStatus::Failed},
                                                  {"Sea.jpeg", "Sea.jpeg", RenameStatus::Yes},
                                                  {"Sand.jpg", "Sand.jpg", RenameStatus::Done}}));
    EXPECT_EQ(rows[1].error, EEXIST);
    EXPECT_EQ(Names(scratch.path()), (std::set<std::string>{"beach.JPG", "two.jpeg", "Sea.jpeg", "Sand.jpg"}));
    EXPECT_EQ(Contents(scratch.path()), before);
}

TEST(MarkDuplicates, MarksExactlyTheRowsThatShareATargetIgnoringCase)
{
    using Rows = std::vector<RenameRow>;
    auto row = [](const char* fileName, const char* newName) {
        RenameRow r;
        r.fileName = fileName;
        r.newName = newName;
        r.duplicate = true;  // stale marks are cleared
        return r;
    };
    const struct {
        const char* what;
        Rows rows;
        std::vector<bool> marks;
    } cases[] = {
        {"distinct names", {row("a.jpg", "x.jpg"), row("b.jpg", "y.jpg")}, {false, false}},
        {"same name", {row("a.jpg", "x.jpg"), row("b.jpg", "c.jpg"), row("d.jpg", "x.jpg")}, {true, false, true}},
        {"case only", {row("a.jpg", "Été.jpg"), row("b.jpg", "éTÉ.JPG")}, {true, true}},
        {"three of one name", {row("a.jpg", "x.jpg"), row("b.jpg", "x.jpg"), row("c.jpg", "X.jpg")}, {true, true, true}},
        // sub/ and Sub/ are two folders: only names are compared ignoring case.
        {"other folders",
         {row("a.jpg", "x.jpg"), row("sub/a.jpg", "x.jpg"), row("Sub/b.jpg", "x.jpg"), row("sub/c.jpg", "X.jpg")},
         {false, true, false, true}},
        {"a new name that is another file's present name", {row("a.jpg", "b.jpg"), row("b.jpg", "c.jpg")}, {false, false}},
        {"no rows", {}, {}},
    };
    for (auto c : cases) {
        const bool none = lumitag::MarkDuplicates(c.rows, "/root/");
        std::vector<bool> marks;
        for (const auto& r : c.rows)
            marks.push_back(r.duplicate);
        EXPECT_EQ(marks, c.marks) << c.what;
        EXPECT_EQ(none, std::find(c.marks.begin(), c.marks.end(), true) == c.marks.end()) << c.what;
    }
}

TEST(RenameWithoutReplacing, NeverReplacesAndLeavesBothFilesOnFailure)
{
    using Rename = int (*)(const std::string&, const std::string&);
    const struct {
        const char* what;
        Rename rename;
    } ways[] = {{"renameat2", &lumitag::RenameWithoutReplacing}, {"link and unlink", &lumitag::LinkThenUnlink}};
    for (const auto& way : ways) {
        ScratchDir scratch;
        WriteBytes(scratch.file("a.jpg"), {'A'});
        WriteBytes(scratch.file("b.jpg"), {'B'});
        EXPECT_EQ(way.rename(scratch.file("a.jpg"), scratch.file("b.jpg")), EEXIST) << way.what;
        EXPECT_EQ(Text(scratch.file("a.jpg")), "A") << way.what;
        EXPECT_EQ(Text(scratch.file("b.jpg")), "B") << way.what;

        EXPECT_EQ(way.rename(scratch.file("a.jpg"), scratch.file("c.jpg")), 0) << way.what;
        EXPECT_EQ(Names(scratch.path()), (std::set<std::string>{"b.jpg", "c.jpg"})) << way.what;
        EXPECT_EQ(Text(scratch.file("c.jpg")), "A") << way.what;

        EXPECT_EQ(way.rename(scratch.file("gone.jpg"), scratch.file("d.jpg")), ENOENT) << way.what;
    }
}

TEST(RenameWithoutReplacing, AFolderWithoutWritePermissionFailsAndKeepsTheFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root: permissions are not enforced, skipping";
    ScratchDir scratch;
    fs::create_directories(scratch.file("locked"));
    WriteBytes(scratch.file("locked/a.jpg"), {'A'});
    fs::permissions(scratch.file("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(lumitag::RenameWithoutReplacing(scratch.file("locked/a.jpg"), scratch.file("locked/b.jpg")), EACCES);
    fs::permissions(scratch.file("locked"), fs::perms::owner_all);
    EXPECT_EQ(Text(scratch.file("locked/a.jpg")), "A");
}

TEST(StartIndex, ParsesThirtyTwoBitIntegersOnly)
{
    const struct {
        const char* text;
        std::optional<int> value;
    } cases[] = {{"1", 1},          {"-5", -5},       {" 12 ", 12},           {"2147483647", 2147483647},
                 {"abc", {}},       {"?", {}},        {"", {}},               {"2147483648", {}},
                 {"1.5", {}},       {"12a", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(lumitag::ParseStartIndex(c.text), c.value) << "'" << c.text << "'";
    EXPECT_EQ(lumitag::NotAnIntegerMessage("abc"), "'abc' is not a valid integer value");
}

}  // namespace
