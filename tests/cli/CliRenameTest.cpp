// rename of the installed binary against the window's rename tab on the
// same folders, its defaults from the options file, and its apply.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>

#include "CliTestSupport.h"
#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using clitest::Cli;
using Table = std::vector<std::vector<std::string>>;

namespace {

struct RenameCase {
    const char* what;
    std::string pattern;
    bool recursive;
    int start;
    bool foldAccents;
    bool underscores;
};

std::vector<std::string> CliArguments(const RenameCase& c, const std::string& folder, bool apply)
{
    std::vector<std::string> arguments = {"rename", "--tsv", "--language", "en", "--pattern", c.pattern,
                                          "--start", std::to_string(c.start),
                                          c.foldAccents ? "--fold-accents" : "--keep-accents",
                                          c.underscores ? "--underscores" : "--keep-spaces"};
    if (c.recursive)
        arguments.push_back("--recursive");
    if (apply)
        arguments.push_back("--apply");
    arguments.push_back(folder);
    return arguments;
}

// The window's rename rows after a preview or an apply of the case.
Table WindowRenameRows(TfrmMain& window, const RenameCase& c, const std::string& folder, bool apply)
{
    window.tabMain->setCurrentWidget(window.tabRename);
    window.cbLastDirs->setEditText(QString::fromStdString(folder));
    window.chkRecursive->setChecked(c.recursive);
    window.chkRemoveAccent->setChecked(c.foldAccents);
    window.chkRemoveSpace->setChecked(c.underscores);
    window.txIndex->setText(QString::number(c.start));
    window.cbFormat->setEditText(QString::fromStdString(c.pattern));
    window.btPreviewClick(window.tbPreview);
    if (apply) {
        EXPECT_TRUE(window.btApply->isEnabled());
        window.btPreviewClick(window.btApply);
    }
    Table rows;
    for (int i = 0; i < window.lvRename->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = window.lvRename->topLevelItem(i);
        rows.push_back({item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(),
                        window.IsRenameRowMarked(item) ? "yes" : "no"});
    }
    return rows;
}

// Undated photos are named from their modification time: two trees that
// are compared must agree on it.
void SetAllModificationTimes(const std::string& folder)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {1'100'000'000, 0}};
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            utimensat(AT_FDCWD, entry.path().c_str(), times, 0);
}

// The sample cameras in three folders, and what the pattern cases need:
// accents and blanks in a description, two photos of the same second, an
// undated photo and an unreadable one.
void MakeTree(const std::string& folder)
{
    clitest::CopySamplesInto(folder);
    MakePhoto(folder + "noel.jpg", {"\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl", "", "", 2004, 12, 25, 10, 0, 0});
    MakePhoto(folder + "same-a.jpg", {"Beach", "", "", 2004, 7, 9, 14, 5, 3});
    MakePhoto(folder + "same-b.jpg", {"Beach", "", "", 2004, 7, 9, 14, 5, 3});
    MakePhoto(folder + "2004/undated.jpg", clitest::DescriptionOnly("Nothing"));
    WriteBytes(folder + "2004/July/notes.jpg", {'t', 'e', 'x', 't'});
    SetAllModificationTimes(folder);
}

class CliRenameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetOptions();
        QLocale::setDefault(QLocale::c());
    }
    ScratchDir scratch;
};

TEST_F(CliRenameTest, PreviewGivesTheWindowsRowsNamesAndCollisions)
{
    LUMITAG_REQUIRE_SAMPLES();
    MakeTree(scratch.path());
    const RenameCase cases[] = {
        {"the first recent pattern", "%Y-%M2-%D2.%ND2.%I", true, 1, true, false},
        {"photos of the same second collide", "%Y%M2%D2_%h2%m2%s2", true, 1, false, false},
        {"index from a negative start, underscores", "%N3 %I %MM", false, -5, false, true},
        {"old names and folders", "%F_%P_%PP %Dd", true, 7, true, true},
    };
    auto window = OpenWindow({QString::fromStdString(scratch.path())});
    const auto before = clitest::Snapshot(scratch.path());
    bool someCollide = false;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Table windowRows = WindowRenameRows(*window, c, scratch.path(), false);
        const auto result = Cli(CliArguments(c, scratch.path(), false));
        const bool collide = !window->btApply->isEnabled();
        someCollide = someCollide || collide;
        EXPECT_EQ(result.status, collide ? 1 : 0) << result.errors;
        EXPECT_EQ(clitest::Lines(result.errors).size(), collide ? 1u : 0u);
        EXPECT_EQ(clitest::TsvBody(result.output), windowRows);
        EXPECT_GT(windowRows.size(), 5u);
    }
    EXPECT_TRUE(someCollide);
    EXPECT_EQ(clitest::Snapshot(scratch.path()), before);
}

TEST_F(CliRenameTest, ApplyRenamesAsTheWindowDoes)
{
    LUMITAG_REQUIRE_SAMPLES();
    const std::string byWindow = scratch.file("window/Trip/");
    const std::string byTool = scratch.file("tool/Trip/");
    MakeTree(byWindow);
    fs::remove(byWindow + "same-b.jpg");
    fs::create_directories(byTool);
    fs::copy(byWindow, byTool, fs::copy_options::recursive);
    SetAllModificationTimes(scratch.path());
    const RenameCase c{"apply", "%Y-%M2-%D2 %h2%m2%s2 %N2 %P", true, 1, true, true};

    auto window = OpenWindow({QString::fromStdString(byWindow)});
    const Table windowRows = WindowRenameRows(*window, c, byWindow, true);
    const auto result = Cli(CliArguments(c, byTool, true));
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(clitest::TsvBody(result.output), windowRows);

    auto contents = [](const std::string& folder) {
        std::map<std::string, std::vector<std::uint8_t>> files;
        for (const auto& [name, state] : clitest::Snapshot(folder))
            files[name] = state.bytes;
        return files;
    };
    EXPECT_EQ(contents(byTool), contents(byWindow));
    EXPECT_FALSE(fs::exists(byTool + "noel.jpg"));
}

TEST_F(CliRenameTest, ApplyNeverReplacesAFile)
{
    // x.jpg is to take the name that 2004.jpg still has: it fails, and
    // 2004.jpg, later in date order, is renamed.
    MakePhoto(scratch.file("2004.jpg"), {"Later", "", "", 2005, 1, 1, 12, 0, 0});
    MakePhoto(scratch.file("x.jpg"), {"Earlier", "", "", 2004, 6, 1, 12, 0, 0});
    const auto later = ReadBytes(scratch.file("2004.jpg"));
    const auto earlier = ReadBytes(scratch.file("x.jpg"));
    const auto result = Cli({"rename", "--tsv", "--language", "en", "--pattern", "%Y", "--apply", scratch.path()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(clitest::TsvBody(result.output),
              (Table{{"x.jpg", "2004.jpg", "Failed", "no"}, {"2005.jpg", "2005.jpg", "Done", "no"}}));
    EXPECT_EQ(clitest::Lines(result.errors),
              (std::vector<std::string>{"lumitag-cli rename: 'x.jpg' was not renamed to '2004.jpg': File exists"}));
    EXPECT_EQ(ReadBytes(scratch.file("x.jpg")), earlier);
    EXPECT_EQ(ReadBytes(scratch.file("2005.jpg")), later);
    EXPECT_FALSE(fs::exists(scratch.file("2004.jpg")));
}

TEST_F(CliRenameTest, DefaultsComeFromTheOptionsFileWhichIsNeverWritten)
{
    MakePhoto(scratch.file("a.jpg"), {"\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl", "", "", 2004, 7, 9, 14, 5, 3});
    const std::string ini = LumitagOptions().IniPath();
    fs::create_directories(fs::path(ini).parent_path());
    std::ofstream(ini) << "[Options]\nremove_accentuated_letters=0\nremove_spaces=1\nlanguage=1\n";
    const auto iniBefore = clitest::Snapshot(fs::path(ini).parent_path().string());

    struct Case {
        std::vector<std::string> options;
        std::vector<std::string> row;
    };
    const Case cases[] = {
        {{}, {"a.jpg", "\xC3\x89t\xC3\xA9_\xC3\xA0_No\xC3\xABl_juillet.jpg", "Non", "no"}},
        {{"--fold-accents", "--keep-spaces", "--language", "en"}, {"a.jpg", "ete a Noel July.jpg", "No", "no"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = {"rename", "--tsv", "--pattern", "%I %MM"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(scratch.path());
        const auto result = Cli(arguments);
        EXPECT_EQ(result.status, 0) << result.errors;
        EXPECT_EQ(clitest::TsvBody(result.output), Table{c.row});
    }
    EXPECT_EQ(clitest::Snapshot(fs::path(ini).parent_path().string()), iniBefore);
}

}  // namespace
