// list, show and trace of the installed binary against the window and the
// engine on the same files.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLocale>
#include <QTreeWidget>
#include <nlohmann/json.hpp>

#include <filesystem>

#include "CliTestSupport.h"
#include "app/Frmmainmodule.h"
#include "catalogue/DateTimeValue.h"
#include "cli/CliOutput.h"
#include "exif/Exif_stl.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using clitest::Cli;
using Table = std::vector<std::vector<std::string>>;

namespace {

// The window's rows, its date text turned into the tool's.
Table WindowRows(const TfrmMain& window)
{
    Table rows;
    for (int i = 0; i < window.lvFiles->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = window.lvFiles->topLevelItem(i);
        const auto date = lumitag::ParseDateText(item->text(3));
        rows.push_back({item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(),
                        date ? lumitag::cli::IsoDateText(*date) : "", item->text(4).toStdString()});
    }
    return rows;
}

class CliListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetOptions();
        QLocale::setDefault(QLocale::c());
    }
    ScratchDir scratch;
};

TEST_F(CliListTest, ListGivesTheWindowsRowsInItsOrder)
{
    LUMITAG_REQUIRE_SAMPLES();
    clitest::CopySamplesInto(scratch.path());
    // What the order rules need beside the cameras: texts, an undated and an
    // unreadable photo, a later folder, a folder named like a photo.
    MakePhoto(scratch.file("made.JPEG"), {"  Beach\tparty ", "Summer", "Anne", 2004, 7, 9, 0, 0, 0});
    MakePhoto(scratch.file("2004/undated.jpg"), clitest::DescriptionOnly("No date here"));
    WriteBytes(scratch.file("2004/notes.jpg"), {'t', 'e', 'x', 't'});
    fs::create_directories(scratch.file("2005/folder.jpg"));
    MakePhoto(scratch.file("2005/z.jpg"), {"", "", "", 2005, 1, 1, 12, 0, 0});

    auto window = OpenWindow({QString::fromStdString(scratch.path())});
    for (const bool recursive : {false, true}) {
        SCOPED_TRACE(recursive ? "recursive" : "one folder");
        window->chkRecursive->setChecked(recursive);
        window->LoadFileList();
        std::vector<std::string> arguments = {"list", "--tsv", scratch.path()};
        if (recursive)
            arguments.insert(arguments.begin() + 1, "--recursive");
        const auto result = Cli(arguments);
        ASSERT_EQ(result.status, 0) << result.errors;
        EXPECT_EQ(clitest::TsvBody(result.output), WindowRows(*window));
    }
    EXPECT_GT(window->lvFiles->topLevelItemCount(), 20);
}

TEST_F(CliListTest, FormatsCarryTheSameRows)
{
    MakePhoto(scratch.file("a.jpg"), {"Caf\xC3\xA9 \\ \"quoted\"", "line\x01", "", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("b.jpg"));
    const auto tsv = Cli({"list", "--tsv", scratch.path()});
    const auto json = Cli({"list", "--json", scratch.path()});
    ASSERT_EQ(tsv.status, 0);
    ASSERT_EQ(json.status, 0);
    const Table rows = clitest::ParseTsv(tsv.output);
    ASSERT_EQ(rows.front(), (std::vector<std::string>{"file", "description", "comment", "date", "artist"}));
    const auto parsed = nlohmann::json::parse(json.output);
    ASSERT_EQ(parsed.size() + 1, rows.size());
    for (size_t i = 0; i < parsed.size(); ++i) {
        for (size_t c = 0; c < rows[0].size(); ++c) {
            const auto& value = parsed[i].at(rows[0][c]);
            // JSON says null where the table and TSV leave a date empty.
            EXPECT_EQ(value.is_null() ? "" : value.get<std::string>(), rows[i + 1][c]) << rows[0][c];
        }
    }
    EXPECT_TRUE(parsed[0]["date"].is_null());
    EXPECT_EQ(parsed[1]["description"], "Caf\xC3\xA9 \\ \"quoted\"");
}

TEST_F(CliListTest, ShowGivesTheRecordsOfTheNamedFiles)
{
    MakePhoto(scratch.file("a.jpg"), {" Beach ", "Summer", "Anne", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("b.jpg"), {"?", "?", "?"});
    WriteBytes(scratch.file("text.jpg"), {'t', 'e', 'x', 't'});
    const auto result = Cli({"show", "--tsv", "b.jpg", "a.jpg", "text.jpg"}, scratch.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(clitest::Lines(result.errors),
              (std::vector<std::string>{"lumitag-cli show: Error: EXIF information from '" + scratch.file("text.jpg")
                                        + "' could not be read."}));
    EXPECT_EQ(clitest::TsvBody(result.output),
              (Table{{"b.jpg", "?", "?", "", "?"},
                     {"a.jpg", "Beach", "Summer", "2004-07-09 10:00:00", "Anne"},
                     {"text.jpg", "?", "?", "", "?"}}));
}

TEST_F(CliListTest, TraceIsTheEnginesTraceOfTheRead)
{
    LUMITAG_REQUIRE_SAMPLES();
    for (const auto& sample : {std::string("Canon_40D.jpg"), std::string("corrupted.jpg")}) {
        SCOPED_TRACE(sample);
        const std::string copy = scratch.file(sample);
        CopyFile(SamplesDir() + sample, copy);
        struct Collector : Texif_stl::tracer {
            void trace(const std::string& text) override { collected += text; }
            std::string collected;
        } collector;
        Texif_stl exif;
        exif.tracer = &collector;
        const bool read = exif.read_jpeg(copy);

        const auto result = Cli({"trace", copy});
        EXPECT_EQ(result.status, read ? 0 : 1);
        EXPECT_EQ(result.output, collector.collected);
        EXPECT_GT(result.output.size(), 200u);
        EXPECT_EQ(clitest::Lines(result.errors).size(), read ? 0u : 1u);
    }
}

TEST_F(CliListTest, InstalledBinaryNeedsNoDisplay)
{
    const auto linked = RunCommand({"ldd", clitest::CliPath()});
    ASSERT_EQ(linked.status, 0);
    EXPECT_NE(linked.output.find("libQt6Core"), std::string::npos);
    EXPECT_EQ(linked.output.find("libQt6Gui"), std::string::npos);
    EXPECT_EQ(linked.output.find("libQt6Widgets"), std::string::npos);
    MakePhoto(scratch.file("a.jpg"), clitest::DescriptionOnly("Beach"));
    const auto result = RunCommand({"env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                                    clitest::CliPath(), "list", "--tsv", scratch.path()});
    EXPECT_EQ(result.status, 0) << result.errors;
    EXPECT_EQ(clitest::ParseTsv(result.output).at(1).at(1), "Beach");
}

TEST(CliOutputTest, TableAlignsByDisplayWidthAndKeepsOneLinePerRow)
{
    lumitag::cli::Rows rows;
    rows.columns = {{"File", "file"}, {"Text", "text"}, {"Flag", "flag"}};
    rows.cells = {{std::string("\xE5\x86\x99\xE7\x9C\x9F.jpg"), std::string("a\tb\nc"), true},
                  {std::string("e\xCC\x81.jpg"), nullptr, false},
                  {std::string("plain-name.jpg"), std::string("x"), true}};
    std::ostringstream out;
    lumitag::cli::WriteRows(out, rows, lumitag::cli::OutputFormat::Table);
    // Two wide characters take four columns; e and a combining accent one.
    EXPECT_EQ(clitest::Lines(out.str()), (std::vector<std::string>{
                                             "File            Text     Flag",
                                             "\xE5\x86\x99\xE7\x9C\x9F.jpg        a\\tb\\nc  yes",
                                             "e\xCC\x81.jpg",
                                             "plain-name.jpg  x        yes",
                                         }));
}

}  // namespace
