#include "util/IniFile.h"

#include "support/TestSupport.h"
#include "tests/util/UtilTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace kivUtil;
using testsupport::ReadText;
using testsupport::ScratchDir;
using testsupport::WriteText;

namespace fs = std::filesystem;

namespace {

const std::string kHandWritten =
    "\xEF\xBB\xBF; settings of Lumitag\r\n"
    "[Other]\r\n"
    "language=7\r\n"
    "\r\n"
    "[options]\r\n"
    "  Language = 1 \r\n"
    "; a comment=with an equals sign\r\n"
    "quoted=\"  padded  \"\r\n"
    "empty=\r\n"
    "\r\n"
    "[Options]\r\n"
    "language=9\r\n";

}  // namespace

TEST(IniFile, AMissingFileGivesTheDefaultAndTheFirstWriteCreatesIt)
{
    ScratchDir dir;
    const std::string path = dir.file("config/lumitag/lumitag.ini");
    EXPECT_EQ(IniReadString(path, "Options", "language", "default"), "default");
    ASSERT_TRUE(IniWriteString(path, "Options", "language", "1"));
    EXPECT_EQ(ReadText(path), "[Options]\nlanguage=1\n");
    EXPECT_EQ(IniReadString(path, "Options", "language", "default"), "1");
    EXPECT_EQ(IniReadString(path, "Options", "missing", "default"), "default");
    EXPECT_EQ(IniReadString(path, "Missing", "language", "default"), "default");
}

TEST(IniFile, ValuesReadBackExactlyAsWritten)
{
    ScratchDir dir;
    const std::string path = dir.file("lumitag.ini");
    const std::vector<std::string> values = {
        "", "plain", " leading", "trailing ", "  both  ", "\t", "\"quoted\"", "\"", "\"\"", "\"half",
        "a=b=c", "; not a comment", "# nor this", "[not a section]", "/home/me/Été à Noël/;/tmp/;",
        "tab\tinside", std::string(5000, 'x') + "é",
    };
    for (const auto& value : values) {
        ASSERT_TRUE(IniWriteString(path, "Options", "value", value)) << value;
        EXPECT_EQ(IniReadString(path, "Options", "value", "default"), value);
    }
}

TEST(IniFile, NamesIgnoreCaseAndTheFirstSectionAndKeyCount)
{
    ScratchDir dir;
    const std::string path = dir.file("lumitag.ini");
    WriteText(path, kHandWritten);
    const struct {
        std::string section, key, expected;
    } cases[] = {
        {"Options", "language", "1"},
        {"OPTIONS", "LANGUAGE", "1"},
        {"other", "Language", "7"},
        {"Options", "quoted", "  padded  "},
        {"Options", "empty", ""},
        {"Options", "; a comment", "default"},
        {"Options", "settings of Lumitag", "default"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IniReadString(path, c.section, c.key, "default"), c.expected) << c.section << "/" << c.key;
}

TEST(IniFile, AWriteChangesOneLineAndKeepsEveryOther)
{
    ScratchDir dir;
    const std::string path = dir.file("lumitag.ini");
    const struct {
        std::string section, key, value, expected;
    } cases[] = {
        {"OPTIONS", "language", "0",
         "\xEF\xBB\xBF; settings of Lumitag\r\n[Other]\r\nlanguage=7\r\n\r\n[options]\r\n  Language =0\r\n"
         "; a comment=with an equals sign\r\nquoted=\"  padded  \"\r\nempty=\r\n\r\n[Options]\r\nlanguage=9\r\n"},
        {"Options", "last_dirs", "/a/;/b/",
         "\xEF\xBB\xBF; settings of Lumitag\r\n[Other]\r\nlanguage=7\r\n\r\n[options]\r\n  Language = 1 \r\n"
         "; a comment=with an equals sign\r\nquoted=\"  padded  \"\r\nempty=\r\nlast_dirs=/a/;/b/\r\n\r\n"
         "[Options]\r\nlanguage=9\r\n"},
        {"Other", "language", "8",
         "\xEF\xBB\xBF; settings of Lumitag\r\n[Other]\r\nlanguage=8\r\n\r\n[options]\r\n  Language = 1 \r\n"
         "; a comment=with an equals sign\r\nquoted=\"  padded  \"\r\nempty=\r\n\r\n[Options]\r\nlanguage=9\r\n"},
        {"New", "key", " x", kHandWritten + "[New]\r\nkey=\" x\"\r\n"},
    };
    for (const auto& c : cases) {
        WriteText(path, kHandWritten);
        ASSERT_TRUE(IniWriteString(path, c.section, c.key, c.value)) << c.section << "/" << c.key;
        EXPECT_EQ(ReadText(path), c.expected) << c.section << "/" << c.key;
    }
    WriteText(path, "[Options]\nlanguage=1");
    ASSERT_TRUE(IniWriteString(path, "Extra", "a", "b"));
    EXPECT_EQ(ReadText(path), "[Options]\nlanguage=1\n[Extra]\na=b\n");
}

TEST(IniFile, RefusesWhatCannotStandInALineAndChangesNothing)
{
    ScratchDir dir;
    const std::string path = dir.file("lumitag.ini");
    const std::string before = "[Options]\nlanguage=1\n";
    const struct {
        std::string section, key, value;
    } cases[] = {
        {"Options", "language", "1\n[Evil]\nkey=x"},
        {"Options", "language", "a\rb"},
        {"Options", "language", std::string("a\0b", 3)},
        {"Opt\nions", "language", "1"},
        {"Options", "lang\nuage", "1"},
        {"Options", "lang=uage", "1"},
        {"Options", "[language", "1"},
        {"Options", ";language", "1"},
        {"Options", " ", "1"},
        {"", "language", "1"},
        {"Opt]ions", "language", "1"},
    };
    for (const auto& c : cases) {
        WriteText(path, before);
        EXPECT_FALSE(IniWriteString(path, c.section, c.key, c.value)) << c.section << "/" << c.key << "/" << c.value;
        EXPECT_EQ(ReadText(path), before);
    }
}

TEST(IniFile, ReplacesTheFileAtomicallyAndKeepsItsModeAndLink)
{
    ScratchDir dir;
    const std::string target = dir.file("real/lumitag.ini");
    WriteText(target, "[Options]\nlanguage=1\n");
    ::chmod(target.c_str(), 0600);
    const std::string link = dir.file("lumitag.ini");
    fs::create_symlink(target, link);

    ASSERT_TRUE(IniWriteString(link, "Options", "language", "0"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(target), "[Options]\nlanguage=0\n");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(testsupport::FolderEntries(dir.file("real")), std::vector<std::string>{"lumitag.ini"});
}

TEST(IniFile, AFailedWriteLeavesTheFileAsItWas)
{
    ScratchDir dir;
    const std::string path = dir.file("lumitag.ini");
    const std::string before = "[Options]\nlanguage=1\n";
    WriteText(path, before);
    {
        testsupport::ScopedFileSizeLimit limit(64);
        EXPECT_FALSE(IniWriteString(path, "Options", "last_dirs", std::string(1000, 'x')));
    }
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(testsupport::FolderEntries(dir.path()), std::vector<std::string>{"lumitag.ini"});

    // A path that cannot be read as a file is not replaced by one.
    fs::create_directory(dir.file("folder.ini"));
    EXPECT_FALSE(IniWriteString(dir.file("folder.ini"), "Options", "language", "1"));
    EXPECT_TRUE(fs::is_directory(dir.file("folder.ini")));
    EXPECT_EQ(IniReadString(dir.file("folder.ini"), "Options", "language", "default"), "default");
}

TEST(IniFile, AFileThatCannotBeWrittenIsLeftAlone)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "running as root, which may write any file: skipping";
    ScratchDir dir;
    const std::string path = dir.file("lumitag.ini");
    WriteText(path, "[Options]\nlanguage=1\n");
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(IniWriteString(path, "Options", "language", "0"));
    EXPECT_EQ(IniReadString(path, "Options", "language", ""), "1");
    ::chmod(path.c_str(), 0200);
    EXPECT_FALSE(IniWriteString(path, "Options", "language", "0"));
    ::chmod(path.c_str(), 0600);
    EXPECT_EQ(ReadText(path), "[Options]\nlanguage=1\n");
}
