#include "cli/CliArguments.h"

#include <QLocale>
#include <QString>

#include <array>
#include <map>
#include <string_view>

#include "rename/RenameBatch.h"

namespace lumitag::cli {

namespace {

constexpr const char* kProgram = "lumitag-cli";

const char* const kProgramHelp =
    "Usage: lumitag-cli COMMAND [OPTION]... ARGUMENT...\n"
    "Lumitag's photo list, EXIF editing and batch renaming, without a window.\n"
    "\n"
    "Commands:\n"
    "  list [--recursive] FOLDER   the photos of a folder with their EXIF fields\n"
    "  show FILE...                the same fields for the named files\n"
    "  set [OPTION]... FILE...     change Image Description, User Comment, Artist, date\n"
    "  rename --pattern PATTERN [OPTION]... FOLDER\n"
    "                              new names from a rename pattern; --apply renames\n"
    "  trace FILE                  the EXIF engine's trace of reading a file\n"
    "\n"
    "  --help                      this text; 'lumitag-cli COMMAND --help' for a command\n"
    "  --version                   the program's version\n"
    "\n"
    "Exit status: 0 done, 1 a file failed or new names collide,\n"
    "2 bad arguments or a missing file or folder.\n";

const char* const kListHelp =
    "Usage: lumitag-cli list [--recursive] [--tsv | --json] FOLDER\n"
    "One line per photo (*.jpg, *.jpeg) of FOLDER in the order of the window's file\n"
    "list: each folder's photos by EXIF date (undated ones first), then its\n"
    "sub-folders in name order, depth first. Columns: the name relative to FOLDER,\n"
    "Image Description, User Comment, the date (YYYY-MM-DD HH:MM:SS, empty when\n"
    "there is none) and Artist. A file whose EXIF cannot be read shows \"?\".\n"
    "\n"
    "  --recursive   include the sub-folders\n"
    "  --tsv         tab-separated values with a header line (tab, line end and\n"
    "                backslash inside a value written as \\t, \\n, \\\\)\n"
    "  --json        an array of objects: file, description, comment, date, artist\n";

const char* const kShowHelp =
    "Usage: lumitag-cli show [--tsv | --json] FILE...\n"
    "The columns of 'list' for the named files, in the order given.\n"
    "Exit status 1 when the EXIF of a file cannot be read (its fields show \"?\").\n"
    "\n"
    "  --tsv         tab-separated values with a header line\n"
    "  --json        an array of objects: file, description, comment, date, artist\n";

const char* const kSetHelp =
    "Usage: lumitag-cli set [OPTION]... FILE...\n"
    "Changes the given fields of every FILE as the window's validation does: texts\n"
    "are trimmed, an empty text removes the tag, the date sets DateTimeOriginal,\n"
    "DateTime and DateTimeDigitized together, and a file is rewritten only when a\n"
    "value really changes. One line per file: 'FILE: wrote', 'FILE: unchanged' or\n"
    "'FILE: failed: REASON'; exit status 1 when any file failed.\n"
    "\n"
    "  --description TEXT   Image Description\n"
    "  --comment TEXT       User Comment\n"
    "  --artist TEXT        Artist\n"
    "  --date 'YYYY-MM-DD HH:MM:SS'   the three dates ('YYYY-MM-DD' is midnight)\n"
    "  --date ''            removes the three dates\n"
    "  --file-date          also set the file's modification time from the date\n"
    "                       (the new one, or the one the file has)\n";

const char* const kRenameHelp =
    "Usage: lumitag-cli rename --pattern PATTERN [OPTION]... FOLDER\n"
    "Lists every photo of FOLDER with its new name and the status of the window's\n"
    "rename tab: Yes (already named so), No (would be renamed), Done, Failed.\n"
    "Names that collide within a folder are marked; then nothing is renamed and\n"
    "the exit status is 1. Only with --apply are the files renamed, never\n"
    "replacing a file; exit status 1 when a rename failed.\n"
    "\n"
    "  --pattern PATTERN  the rename pattern, such as '%Y-%M2-%D2.%ND2.%I'\n"
    "  --recursive        include the sub-folders\n"
    "  --start N          the first value of %N (default 1)\n"
    "  --fold-accents | --keep-accents   replace accented letters or keep them\n"
    "  --underscores | --keep-spaces     replace spaces with '_' or keep them\n"
    "  --language en|fr   language of month and day names and of the status words\n"
    "  --apply            rename the files\n"
    "  --tsv | --json     for scripts: columns file, new_name, status, collision\n"
    "The defaults of the accent, space and language choices are those of the\n"
    "window's options file, which this program never writes; '--language en'\n"
    "gives scripts the same status words everywhere.\n";

const char* const kTraceHelp =
    "Usage: lumitag-cli trace FILE\n"
    "Reads FILE with the EXIF engine and prints the engine's trace on standard\n"
    "output. Exit status 1 when the file cannot be read.\n";

struct OptionDefinition {
    std::string_view name;
    bool takesValue;
};

struct CommandDefinition {
    std::string_view name;
    const char* help;
    std::vector<OptionDefinition> options;
};

const std::vector<CommandDefinition>& Commands()
{
    static const std::vector<CommandDefinition> commands = {
        {"list", kListHelp, {{"--recursive", false}, {"--tsv", false}, {"--json", false}}},
        {"show", kShowHelp, {{"--tsv", false}, {"--json", false}}},
        {"set", kSetHelp,
         {{"--description", true}, {"--comment", true}, {"--artist", true}, {"--date", true}, {"--file-date", false}}},
        {"rename", kRenameHelp,
         {{"--pattern", true}, {"--recursive", false}, {"--start", true}, {"--fold-accents", false},
          {"--keep-accents", false}, {"--underscores", false}, {"--keep-spaces", false}, {"--language", true},
          {"--apply", false}, {"--tsv", false}, {"--json", false}}},
        {"trace", kTraceHelp, {}},
    };
    return commands;
}

// The options and operands of one command; a later option replaces an
// earlier one of the same name.
struct ParsedArguments {
    std::map<std::string, std::string, std::less<>> options;
    std::vector<std::string> operands;
    bool help = false;

    bool has(std::string_view name) const { return options.find(name) != options.end(); }
    const std::string* value(std::string_view name) const
    {
        const auto found = options.find(name);
        return found == options.end() ? nullptr : &found->second;
    }
};

std::string SeeHelp(std::string_view command)
{
    return "; see '" + std::string(kProgram) + " " + std::string(command) + " --help'";
}

std::string Error(std::string_view command, const std::string& text)
{
    return std::string(kProgram) + " " + std::string(command) + ": " + text + SeeHelp(command);
}

const OptionDefinition* FindOption(const CommandDefinition& command, std::string_view name)
{
    for (const auto& option : command.options)
        if (option.name == name)
            return &option;
    return nullptr;
}

// Options may stand anywhere before "--"; an option's value is the text
// after "=" or the next argument, whatever it looks like ("--date ''").
std::string ParseArguments(const CommandDefinition& command, const std::vector<std::string>& arguments,
                           ParsedArguments& parsed)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            parsed.operands.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            parsed.help = true;
            continue;
        }
        const size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const OptionDefinition* option = name.starts_with("--") ? FindOption(command, name) : nullptr;
        if (!option)
            return Error(command.name, "unknown option '" + name + "'");
        if (!option->takesValue) {
            if (equals != std::string::npos)
                return Error(command.name, "option '" + name + "' takes no value");
            parsed.options[name];
        } else if (equals != std::string::npos) {
            parsed.options[name] = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            parsed.options[name] = arguments[++i];
        } else {
            return Error(command.name, "option '" + name + "' needs a value");
        }
    }
    return {};
}

std::string CheckExclusive(const CommandDefinition& command, const ParsedArguments& parsed, std::string_view a,
                           std::string_view b)
{
    if (parsed.has(a) && parsed.has(b))
        return Error(command.name, "give either '" + std::string(a) + "' or '" + std::string(b) + "'");
    return {};
}

std::string CheckOperands(const CommandDefinition& command, const ParsedArguments& parsed, const char* what,
                          bool many)
{
    if (parsed.operands.empty())
        return Error(command.name, std::string("a ") + what + " is needed");
    if (!many && parsed.operands.size() > 1)
        return Error(command.name, std::string("only one ") + what + " is taken, not '" + parsed.operands[1] + "'");
    return {};
}

OutputFormat FormatOf(const ParsedArguments& parsed)
{
    if (parsed.has("--json"))
        return OutputFormat::Json;
    return parsed.has("--tsv") ? OutputFormat::Tsv : OutputFormat::Table;
}

std::optional<bool> ChoiceOf(const ParsedArguments& parsed, std::string_view yes, std::string_view no)
{
    if (parsed.has(yes))
        return true;
    if (parsed.has(no))
        return false;
    return std::nullopt;
}

using Builder = std::string (*)(const CommandDefinition&, const ParsedArguments&, Request&);

std::string BuildList(const CommandDefinition& command, const ParsedArguments& parsed, Request& request)
{
    if (auto error = CheckOperands(command, parsed, "folder", false); !error.empty())
        return error;
    request = ListRequest{parsed.operands[0], parsed.has("--recursive"), FormatOf(parsed)};
    return {};
}

std::string BuildShow(const CommandDefinition& command, const ParsedArguments& parsed, Request& request)
{
    if (auto error = CheckOperands(command, parsed, "file", true); !error.empty())
        return error;
    request = ShowRequest{parsed.operands, FormatOf(parsed)};
    return {};
}

std::string BuildSet(const CommandDefinition& command, const ParsedArguments& parsed, Request& request)
{
    SetRequest set;
    auto text = [&](std::string_view name) -> std::optional<std::string> {
        const std::string* value = parsed.value(name);
        return value ? std::optional<std::string>(*value) : std::nullopt;
    };
    set.edits.imageDescription = text("--description");
    set.edits.userComment = text("--comment");
    set.edits.artist = text("--artist");
    if (const std::string* date = parsed.value("--date")) {
        if (date->empty()) {
            set.edits.date.emplace(std::nullopt);
        } else if (const auto parts = ParseDateArgument(*date)) {
            set.edits.date.emplace(*parts);
        } else {
            return Error(command.name, "'" + *date + "' is no date of the form 'YYYY-MM-DD HH:MM:SS'");
        }
    }
    set.fileDate = parsed.has("--file-date");
    if (!set.edits.any() && !set.fileDate)
        return Error(command.name, "nothing to set: give --description, --comment, --artist, --date or --file-date");
    if (auto error = CheckOperands(command, parsed, "file", true); !error.empty())
        return error;
    set.files = parsed.operands;
    request = std::move(set);
    return {};
}

std::string BuildRename(const CommandDefinition& command, const ParsedArguments& parsed, Request& request)
{
    for (const auto& [a, b] : std::array<std::pair<std::string_view, std::string_view>, 3>{
             {{"--fold-accents", "--keep-accents"}, {"--underscores", "--keep-spaces"}, {"--tsv", "--json"}}})
        if (auto error = CheckExclusive(command, parsed, a, b); !error.empty())
            return error;
    RenameRequest rename;
    const std::string* pattern = parsed.value("--pattern");
    if (!pattern)
        return Error(command.name, "a pattern is needed (--pattern)");
    rename.pattern = *pattern;
    if (const std::string* start = parsed.value("--start")) {
        const auto index = ParseStartIndex(*start);
        if (!index)
            return Error(command.name, NotAnIntegerMessage(*start));
        rename.startIndex = *index;
    }
    if (const std::string* language = parsed.value("--language")) {
        if (*language != "en" && *language != "fr")
            return Error(command.name, "the language is 'en' or 'fr', not '" + *language + "'");
        rename.language = *language == "fr" ? 1 : 0;
    }
    rename.foldAccents = ChoiceOf(parsed, "--fold-accents", "--keep-accents");
    rename.spacesToUnderscores = ChoiceOf(parsed, "--underscores", "--keep-spaces");
    rename.recursive = parsed.has("--recursive");
    rename.apply = parsed.has("--apply");
    rename.format = FormatOf(parsed);
    if (auto error = CheckOperands(command, parsed, "folder", false); !error.empty())
        return error;
    rename.folder = parsed.operands[0];
    request = std::move(rename);
    return {};
}

std::string BuildTrace(const CommandDefinition& command, const ParsedArguments& parsed, Request& request)
{
    if (auto error = CheckOperands(command, parsed, "file", false); !error.empty())
        return error;
    request = TraceRequest{parsed.operands[0]};
    return {};
}

Builder BuilderOf(std::string_view command)
{
    if (command == "list")
        return BuildList;
    if (command == "show")
        return BuildShow;
    if (command == "set")
        return BuildSet;
    if (command == "rename")
        return BuildRename;
    return BuildTrace;
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<std::string>& arguments)
{
    ParseResult result;
    if (arguments.empty()) {
        result.error = std::string(kProgram) + ": a command is needed; see '" + kProgram + " --help'";
        return result;
    }
    const std::string& first = arguments[0];
    if (first == "--help" || first == "-h" || first == "help") {
        result.request = TextRequest{kProgramHelp};
        return result;
    }
    if (first == "--version") {
        result.request = TextRequest{std::string(kProgram) + " " + LUMITAG_VERSION + "\n"};
        return result;
    }
    const CommandDefinition* command = nullptr;
    for (const auto& definition : Commands())
        if (definition.name == first)
            command = &definition;
    if (!command) {
        result.error = std::string(kProgram) + ": unknown command '" + first + "'; see '" + kProgram + " --help'";
        return result;
    }
    ParsedArguments parsed;
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (std::string error = ParseArguments(*command, rest, parsed); !error.empty()) {
        result.error = error;
        return result;
    }
    if (parsed.help) {
        result.request = TextRequest{command->help};
        return result;
    }
    if (std::string error = CheckExclusive(*command, parsed, "--tsv", "--json"); !error.empty()) {
        result.error = error;
        return result;
    }
    Request request;
    if (std::string error = BuilderOf(command->name)(*command, parsed, request); !error.empty()) {
        result.error = error;
        return result;
    }
    result.request = std::move(request);
    return result;
}

std::optional<DateTimeParts> ParseDateArgument(const std::string& text)
{
    // The C locale's date text is exactly "yyyy-MM-dd" and "HH:mm:ss".
    static const DateTextFormat format{QLocale::c()};
    const auto value = format.Parse(QString::fromStdString(text));
    if (!value)
        return std::nullopt;
    return DecodeDateTime(*value);
}

}  // namespace lumitag::cli
