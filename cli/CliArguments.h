// The command line of lumitag-cli: commands, their options and operands,
// turned into one request or a one-line error.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "catalogue/PhotoEdit.h"

namespace lumitag::cli {

enum class OutputFormat { Table, Tsv, Json };

struct ListRequest {
    std::string folder;
    bool recursive = false;
    OutputFormat format = OutputFormat::Table;
};

struct ShowRequest {
    std::vector<std::string> files;
    OutputFormat format = OutputFormat::Table;
};

struct SetRequest {
    PhotoEdits edits;
    bool fileDate = false;  // the modification time follows the EXIF date
    std::vector<std::string> files;
};

struct RenameRequest {
    std::string pattern;
    std::string folder;
    bool recursive = false;
    int startIndex = 1;
    // Unset: taken from the user's options file.
    std::optional<bool> foldAccents;
    std::optional<bool> spacesToUnderscores;
    std::optional<int> language;  // 0 English, 1 French
    bool apply = false;
    OutputFormat format = OutputFormat::Table;
};

struct TraceRequest {
    std::string file;
};

// --help or --version: the text to print, and nothing else to do.
struct TextRequest {
    std::string text;
};

using Request = std::variant<ListRequest, ShowRequest, SetRequest, RenameRequest, TraceRequest, TextRequest>;

struct ParseResult {
    std::optional<Request> request;
    std::string error;  // one line, set exactly when request is not
};

// `arguments` are the program's arguments without the program name.
ParseResult ParseCommandLine(const std::vector<std::string>& arguments);

// The date of --date: "YYYY-MM-DD HH:MM:SS" or "YYYY-MM-DD"; nullopt when the
// text is no valid date.
std::optional<DateTimeParts> ParseDateArgument(const std::string& text);

}  // namespace lumitag::cli
