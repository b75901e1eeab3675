// set of the installed binary, checked with exiftool and the file system.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "CliTestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using clitest::Cli;
using Fields = std::map<std::string, std::string>;

namespace {

const PhotoFields kStart{"Old description", "Old comment", "Anne", 2004, 7, 9, 10, 0, 0};

const Fields kStartFields{{"ImageDescription", "Old description"}, {"UserComment", "Old comment"},
                          {"Artist", "Anne"},
                          {"DateTimeOriginal", "2004:07:09 10:00:00"},
                          {"ModifyDate", "2004:07:09 10:00:00"},
                          {"CreateDate", "2004:07:09 10:00:00"}};

Fields Changed(Fields fields, const Fields& changes)
{
    for (const auto& [key, value] : changes) {
        if (value.empty())
            fields.erase(key);
        else
            fields[key] = value;
    }
    return fields;
}

long long ModifiedSeconds(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<long long>(info.st_mtim.tv_sec) : -1;
}

class CliSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GuiApp();
        if (!HaveProgram("exiftool"))
            GTEST_SKIP() << "exiftool not found: skipping";
    }
    ScratchDir scratch;
};

TEST_F(CliSetTest, WritesWhatExiftoolReadsAndNothingWhenNothingChanges)
{
    struct Case {
        const char* what;
        std::vector<std::string> options;
        Fields changes;  // an empty value: the tag is gone
        // Removing a tag the file lacks counts as a change to the engine,
        // so a second run rewrites the same bytes.
        bool removesAgain = false;
    };
    const Case cases[] = {
        {"trimmed description", {"--description", "  Beach party \t"}, {{"ImageDescription", "Beach party"}}},
        {"accented comment", {"--comment", "\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl"},
         {{"UserComment", "\xC3\x89t\xC3\xA9 \xC3\xA0 No\xC3\xABl"}}},
        {"artist removed", {"--artist", ""}, {{"Artist", ""}}, true},
        {"three dates", {"--date", "2005-01-02 03:04:05"},
         {{"DateTimeOriginal", "2005:01:02 03:04:05"}, {"ModifyDate", "2005:01:02 03:04:05"},
          {"CreateDate", "2005:01:02 03:04:05"}}},
        {"date without time is midnight", {"--date", "2005-01-02"},
         {{"DateTimeOriginal", "2005:01:02 00:00:00"}, {"ModifyDate", "2005:01:02 00:00:00"},
          {"CreateDate", "2005:01:02 00:00:00"}}},
        {"dates removed", {"--date=", "--comment=New"},
         {{"DateTimeOriginal", ""}, {"ModifyDate", ""}, {"CreateDate", ""}, {"UserComment", "New"}}, true},
        {"same values", {"--description", " Old description", "--artist", "Anne"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = scratch.file("photo.jpg");
        MakePhoto(path, kStart);
        std::vector<std::string> arguments = {"set"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(path);

        const auto before = ReadBytes(path);
        const auto first = Cli(arguments);
        EXPECT_EQ(first.status, 0) << first.errors;
        EXPECT_EQ(first.output, path + (c.changes.empty() ? ": unchanged\n" : ": wrote\n"));
        EXPECT_EQ(clitest::ExiftoolFields(path), Changed(kStartFields, c.changes));
        if (c.changes.empty()) {
            EXPECT_EQ(ReadBytes(path), before);
        }

        const auto written = ReadBytes(path);
        const auto again = Cli(arguments);
        EXPECT_EQ(again.output, path + (c.removesAgain ? ": wrote\n" : ": unchanged\n"));
        EXPECT_EQ(ReadBytes(path), written);
    }
}

TEST_F(CliSetTest, CameraFilesKeepTheirOtherTags)
{
    LUMITAG_REQUIRE_SAMPLES();
    for (const char* sample : {"Canon_40D.jpg", "Nikon_D70.jpg", "Olympus_C8080WZ.jpg"}) {
        SCOPED_TRACE(sample);
        const std::string path = scratch.file(sample);
        CopyFile(SamplesDir() + sample, path);
        const auto model = RunCommand({"exiftool", "-s3", "-Model", "-ExposureTime", path}).output;
        const auto result = Cli({"set", "--description", "Beach", "--artist", "Anne", path});
        EXPECT_EQ(result.output, path + ": wrote\n");
        const Fields fields = clitest::ExiftoolFields(path);
        EXPECT_EQ(fields.at("ImageDescription"), "Beach");
        EXPECT_EQ(fields.at("Artist"), "Anne");
        EXPECT_EQ(RunCommand({"exiftool", "-s3", "-Model", "-ExposureTime", path}).output, model);
    }
}

TEST_F(CliSetTest, FileDateFollowsTheDateTheWindowWouldShow)
{
    struct Case {
        const char* what;
        PhotoFields photo;
        std::vector<std::string> options;
        std::string status;
        long long expectedSeconds;  // -1: the modification time stays
    };
    const Case cases[] = {
        {"new date", kStart, {"--date", "2004-07-14 10:30:00"}, "wrote, file date set",
         LocalSeconds(2004, 7, 14, 10, 30, 0)},
        {"the file's own date", kStart, {}, "unchanged, file date set", LocalSeconds(2004, 7, 9, 10, 0, 0)},
        {"other field, own date", kStart, {"--artist", "Bob"}, "wrote, file date set",
         LocalSeconds(2004, 7, 9, 10, 0, 0)},
        {"date removed", kStart, {"--date", ""}, "wrote, no date to set the file date from", -1},
        {"no date at all", clitest::DescriptionOnly("Undated"), {}, "unchanged, no date to set the file date from", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = scratch.file("photo.jpg");
        MakePhoto(path, c.photo);
        const long long before = ModifiedSeconds(path);
        std::vector<std::string> arguments = {"set", "--file-date"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        arguments.push_back(path);
        const auto result = Cli(arguments);
        EXPECT_EQ(result.status, 0) << result.errors;
        EXPECT_EQ(result.output, path + ": " + c.status + "\n");
        EXPECT_EQ(ModifiedSeconds(path), c.expectedSeconds < 0 ? before : c.expectedSeconds);
    }
}

TEST_F(CliSetTest, AFailedFileIsReportedAndTheOthersAreStillWritten)
{
    MakePhoto(scratch.file("a.jpg"), kStart);
    WriteBytes(scratch.file("text.jpg"), {'p', 'l', 'a', 'i', 'n'});
    MakePhoto(scratch.file("b.jpg"), kStart);
    const auto result = Cli({"set", "--artist", "Bob", "--file-date", "a.jpg", "text.jpg", "b.jpg"}, scratch.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(clitest::Lines(result.output),
              (std::vector<std::string>{
                  "a.jpg: wrote, file date set",
                  "text.jpg: failed: the EXIF information could not be read; the file is unchanged",
                  "b.jpg: wrote, file date set"}));
    EXPECT_EQ(ReadBytes(scratch.file("text.jpg")), (std::vector<std::uint8_t>{'p', 'l', 'a', 'i', 'n'}));
    EXPECT_EQ(clitest::ExiftoolFields(scratch.file("b.jpg")).at("Artist"), "Bob");
}

TEST_F(CliSetTest, AFullDiskLeavesTheFileAsItWas)
{
    // A file size limit fails the writes as a full disk does.
    const std::string path = scratch.file("a.jpg");
    MakePhoto(path, kStart);
    const auto before = clitest::Snapshot(scratch.path());
    const auto result = RunCommand({"sh", "-c", "trap '' XFSZ; ulimit -f 1; exec \"$@\"", "sh", clitest::CliPath(),
                                    "set", "--artist", "Bob", path});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, path + ": failed: the file could not be written; it is unchanged\n");
    EXPECT_EQ(clitest::Snapshot(scratch.path()), before);
}

}  // namespace
