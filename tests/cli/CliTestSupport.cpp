#include "CliTestSupport.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace clitest {

namespace {

std::string Unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 't')
            out += '\t';
        else if (next == 'n')
            out += '\n';
        else if (next == 'r')
            out += '\r';
        else if (next == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else
            out += next;
    }
    return out;
}

}  // namespace

testsupport::CommandResult Cli(const std::vector<std::string>& arguments, const std::string& workingFolder)
{
    std::vector<std::string> argv;
    if (!workingFolder.empty())
        argv = {"sh", "-c", "cd \"$0\" && exec \"$@\"", workingFolder};
    argv.push_back(CliPath());
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return testsupport::RunCommand(argv);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::vector<std::string>> ParseTsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    for (const auto& line : Lines(text)) {
        std::vector<std::string> cells;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            cells.push_back(Unescape(line.substr(start, tab - start)));
        cells.push_back(Unescape(line.substr(start)));
        rows.push_back(cells);
    }
    return rows;
}

std::vector<std::vector<std::string>> TsvBody(const std::string& text)
{
    auto rows = ParseTsv(text);
    if (!rows.empty())
        rows.erase(rows.begin());
    return rows;
}

std::map<std::string, FileState> Snapshot(const std::string& folder)
{
    std::map<std::string, FileState> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        struct stat info {};
        if (lstat(entry.path().c_str(), &info) != 0)
            continue;
        FileState state;
        if (S_ISREG(info.st_mode))
            state.bytes = testsupport::ReadBytes(entry.path().string());
        state.modifiedNs = info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec;
        files[fs::relative(entry.path(), folder).string()] = state;
    }
    return files;
}

std::map<std::string, std::string> ExiftoolFields(const std::string& path)
{
    const auto result = testsupport::RunCommand({"exiftool", "-j", "-charset", "exif=UTF8", "-EXIF:ImageDescription",
                                                 "-EXIF:UserComment", "-EXIF:Artist", "-EXIF:DateTimeOriginal",
                                                 "-EXIF:ModifyDate", "-EXIF:CreateDate", path});
    std::map<std::string, std::string> fields;
    const auto json = nlohmann::json::parse(result.output, nullptr, false);
    if (!json.is_array() || json.empty())
        return fields;
    for (const auto& [key, value] : json[0].items())
        if (key != "SourceFile")
            fields[key] = value.is_string() ? value.get<std::string>() : value.dump();
    return fields;
}

std::vector<std::string> CopySamplesInto(const std::string& folder)
{
    const auto samples = testsupport::SampleFiles();
    std::vector<std::string> copies;
    fs::create_directories(folder + "2004/July");
    for (size_t i = 0; i < samples.size(); ++i) {
        const char* sub = i < samples.size() / 3 ? "" : (i < 2 * samples.size() / 3 ? "2004/" : "2004/July/");
        const std::string copy = folder + sub + fs::path(samples[i]).filename().string();
        testsupport::CopyFile(samples[i], copy);
        copies.push_back(copy);
    }
    return copies;
}

}  // namespace clitest
