// Running the installed lumitag-cli and reading what it prints.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace clitest {

// The binary installed into the scratch prefix by the test fixture.
inline std::string CliPath() { return LUMITAG_CLI_PATH; }

// Runs lumitag-cli with the arguments; with a folder, from inside it.
testsupport::CommandResult Cli(const std::vector<std::string>& arguments, const std::string& workingFolder = {});

std::vector<std::string> Lines(const std::string& text);

// The lines of a TSV output, header included, with the escapes undone.
std::vector<std::vector<std::string>> ParseTsv(const std::string& text);
// The same without the header line.
std::vector<std::vector<std::string>> TsvBody(const std::string& text);

// Every file below a folder with its bytes and modification time, to show
// that a command changed nothing.
struct FileState {
    std::vector<std::uint8_t> bytes;
    long long modifiedNs = 0;
    bool operator==(const FileState&) const = default;
};
std::map<std::string, FileState> Snapshot(const std::string& folder);

// The EXIF fields that exiftool reads from a file: member names as
// exiftool's JSON gives them (ImageDescription, UserComment, Artist,
// DateTimeOriginal, ModifyDate, CreateDate), absent tags left out.
std::map<std::string, std::string> ExiftoolFields(const std::string& path);

// Copies the sample photos into folder: the first third into it, the
// second into "2004/", the rest into "2004/July/", keeping their names.
// Returns the copies' paths.
std::vector<std::string> CopySamplesInto(const std::string& folder);

// Fields of a made-up photo that has an Image Description only.
inline testsupport::PhotoFields DescriptionOnly(const std::string& description)
{
    testsupport::PhotoFields fields;
    fields.description = description;
    return fields;
}

}  // namespace clitest
