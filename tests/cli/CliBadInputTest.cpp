// Bad arguments, missing files and folders: one line on standard error,
// a non-zero status, and no file changed.
#include <gtest/gtest.h>

#include "CliTestSupport.h"
#include "support/WindowTestSupport.h"

using namespace testsupport;
using clitest::Cli;

namespace {

TEST(CliBadInputTest, OneLineNonZeroStatusAndNoFileChanges)
{
    GuiApp();
    ScratchDir scratch;
    MakePhoto(scratch.file("a.jpg"), {"Beach", "", "Anne", 2004, 7, 9, 10, 0, 0});
    WriteBytes(scratch.file("text.jpg"), {'t', 'e', 'x', 't'});
    const std::string a = scratch.file("a.jpg");
    const std::string missing = scratch.file("nowhere");

    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string message;  // a part of the one line
    };
    const Case cases[] = {
        {{}, 2, "a command is needed"},
        {{"frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"list", missing}, 2, "Folder '" + missing + "/' does not exist!"},
        {{"list", a}, 2, "is a file, not a folder"},
        {{"list"}, 2, "a folder is needed"},
        {{"list", "--tsv", "--json", scratch.path()}, 2, "give either '--tsv' or '--json'"},
        {{"list", "--recursive=yes", scratch.path()}, 2, "option '--recursive' takes no value"},
        {{"show", "--colour", a}, 2, "unknown option '--colour'"},
        {{"show", a, missing}, 2, "'" + missing + "' does not exist"},
        {{"show", scratch.path()}, 2, "is a folder, not a file"},
        {{"set", "--date", "2004-02-30 10:00:00", a}, 2, "'2004-02-30 10:00:00' is no date"},
        {{"set", "--date", "tomorrow", a}, 2, "'tomorrow' is no date"},
        {{"set", "--frobnicate", a}, 2, "unknown option '--frobnicate'"},
        {{"set", a}, 2, "nothing to set"},
        {{"set", "--artist", "Bob"}, 2, "a file is needed"},
        {{"set", "--artist", "Bob", a, missing}, 2, "'" + missing + "' does not exist"},
        {{"set", a, "--description"}, 2, "option '--description' needs a value"},
        {{"set", "--description", "Cat", scratch.file("text.jpg")}, 1, "text.jpg: failed: "},
        {{"rename", "--pattern", "%Y", missing}, 2, "Folder '" + missing + "/' does not exist!"},
        {{"rename", scratch.path()}, 2, "a pattern is needed"},
        {{"rename", "--pattern", "%Y", "--start", "abc", scratch.path()}, 2, "'abc' is not a valid integer value"},
        {{"rename", "--pattern", "%Y", "--language", "de", scratch.path()}, 2, "'en' or 'fr', not 'de'"},
        {{"rename", "--pattern", "%Y", "--fold-accents", "--keep-accents", scratch.path()}, 2,
         "give either '--fold-accents' or '--keep-accents'"},
        {{"rename", "--pattern", "same", "--apply", scratch.path()}, 1, "Can not apply: some files in same folder"},
        {{"trace", missing}, 2, "does not exist"},
        {{"trace", scratch.file("text.jpg")}, 1, "could not be read"},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& argument : c.arguments)
            joined += " [" + argument + "]";
        SCOPED_TRACE(joined);
        const auto before = clitest::Snapshot(scratch.path());
        const auto result = Cli(c.arguments);
        EXPECT_EQ(result.status, c.status);
        // A failed file is a line of the result; a refusal is an error.
        const std::string& report = c.status == 1 && c.arguments[0] == "set" ? result.output : result.errors;
        const auto lines = clitest::Lines(report);
        ASSERT_EQ(lines.size(), 1u) << report;
        EXPECT_NE(lines[0].find(c.message), std::string::npos) << lines[0];
        EXPECT_EQ(clitest::Snapshot(scratch.path()), before);
    }
}

TEST(CliBadInputTest, HelpAndVersion)
{
    for (const char* command : {"list", "show", "set", "rename", "trace"}) {
        SCOPED_TRACE(command);
        const auto result = Cli({command, "--help"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.output.rfind(std::string("Usage: lumitag-cli ") + command, 0), 0u) << result.output;
    }
    const auto version = Cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.output.rfind("lumitag-cli ", 0), 0u);
}

}  // namespace
