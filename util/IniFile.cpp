#include "util/IniFile.h"
#include "util/PosixFile.h"

#include <QString>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kivUtil {

namespace {

constexpr const char* kBlanks = " \t";

struct Line {
    std::string text;    // without its line end
    std::string ending;  // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& content)
{
    std::vector<Line> lines;
    for (std::size_t start = 0; start < content.size();) {
        const std::size_t newline = content.find('\n', start);
        const std::size_t end = newline == std::string::npos ? content.size() : newline;
        const bool crlf = end > start && content[end - 1] == '\r';
        Line line;
        line.text = content.substr(start, end - start - (crlf ? 1 : 0));
        line.ending = newline == std::string::npos ? "" : (crlf ? "\r\n" : "\n");
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<Line>& lines)
{
    std::string content;
    for (const Line& line : lines)
        content.append(line.text).append(line.ending);
    return content;
}

std::string Trim(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The line's text as the parser sees it: trimmed, a UTF-8 byte order mark
// at the start of the file left out.
std::string ParsedText(const std::vector<Line>& lines, std::size_t index)
{
    const std::string& text = lines[index].text;
    if (index == 0 && text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        return Trim(text.substr(3));
    return Trim(text);
}

bool SameName(const std::string& a, const std::string& b)
{
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

bool IsComment(const std::string& parsed) { return !parsed.empty() && (parsed[0] == ';' || parsed[0] == '#'); }

// The section name of a header line "[name]", or nothing.
std::optional<std::string> SectionOf(const std::string& parsed)
{
    if (parsed.empty() || parsed[0] != '[')
        return std::nullopt;
    const std::size_t close = parsed.find(']');
    return Trim(parsed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// The key of a "key=value" line, or nothing.
std::optional<std::string> KeyOf(const std::string& parsed)
{
    const std::size_t equals = parsed.find('=');
    if (parsed.empty() || IsComment(parsed) || parsed[0] == '[' || equals == std::string::npos)
        return std::nullopt;
    return Trim(parsed.substr(0, equals));
}

struct Location {
    std::optional<std::size_t> header;     // the section's header line
    std::optional<std::size_t> keyLine;    // the key's line in that section
    std::size_t lastFilledLine = 0;        // the section's last non-blank line
};

Location Find(const std::vector<Line>& lines, const std::string& section, const std::string& key)
{
    Location found;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string parsed = ParsedText(lines, i);
        if (const auto name = SectionOf(parsed)) {
            if (found.header)
                break;
            if (SameName(*name, section))
                found.header = found.lastFilledLine = i;
            continue;
        }
        if (!found.header)
            continue;
        if (!parsed.empty())
            found.lastFilledLine = i;
        const auto name = KeyOf(parsed);
        if (name && SameName(*name, key)) {
            found.keyLine = i;
            break;
        }
    }
    return found;
}

std::string DecodeValue(const std::string& stored)
{
    const std::string value = Trim(stored);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

std::string EncodeValue(const std::string& value)
{
    const bool blankAtEdge = !value.empty() && (std::string(kBlanks).find(value.front()) != std::string::npos ||
                                                std::string(kBlanks).find(value.back()) != std::string::npos);
    const bool wrappedInQuotes = value.size() >= 2 && value.front() == '"' && value.back() == '"';
    return blankAtEdge || wrappedInQuotes ? '"' + value + '"' : value;
}

bool FitsOnOneLine(const std::string& text)
{
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

bool ValidNames(const std::string& section, const std::string& key)
{
    const std::string trimmedKey = Trim(key);
    return FitsOnOneLine(section) && FitsOnOneLine(key) && !Trim(section).empty() &&
           section.find(']') == std::string::npos && !trimmedKey.empty() && key.find('=') == std::string::npos &&
           trimmedKey[0] != '[' && !IsComment(trimmedKey);
}

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWholeFile(const std::string& path, std::string& content)
{
    content.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buffer[65536];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(fd);
            return ReadResult::Failed;
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return ReadResult::Ok;
}

// The file that a write replaces: the final target of a symbolic link.
std::string TargetOf(const std::string& path)
{
    char resolved[PATH_MAX];
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode) && ::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

bool MakeFolders(const std::string& folder)
{
    for (std::size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

// Writes content to a temporary file beside target and renames it over
// target; on any failure target is untouched and the temporary file gone.
bool ReplaceAtomically(const std::string& target, const std::string& content, mode_t mode)
{
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    const std::string name = target.substr(folder.size());
    if (!folder.empty() && !MakeFolders(folder))
        return false;
    std::string temporary = folder + "." + name + ".tmp-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = posix::WriteAll(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

std::optional<std::string> IniReadValue(const std::string& path, const std::string& section, const std::string& key)
{
    std::string content;
    if (ReadWholeFile(path, content) != ReadResult::Ok)
        return std::nullopt;
    const std::vector<Line> lines = SplitLines(content);
    const Location found = Find(lines, section, key);
    if (!found.keyLine)
        return std::nullopt;
    const std::string& text = lines[*found.keyLine].text;
    return DecodeValue(text.substr(text.find('=') + 1));
}

std::string IniReadString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& defaultValue)
{
    return IniReadValue(path, section, key).value_or(defaultValue);
}

bool IniWriteString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value)
{
    if (!ValidNames(section, key) || !FitsOnOneLine(value))
        return false;
    const std::string target = TargetOf(path);
    std::string content;
    const ReadResult read = ReadWholeFile(target, content);
    if (read == ReadResult::Failed || (read == ReadResult::Ok && ::access(target.c_str(), W_OK) != 0))
        return false;
    mode_t mode = 0644;
    struct stat info {};
    if (read == ReadResult::Ok && ::stat(target.c_str(), &info) == 0)
        mode = info.st_mode & 07777;

    std::vector<Line> lines = SplitLines(content);
    const std::string ending = !lines.empty() && lines[0].ending == "\r\n" ? "\r\n" : "\n";
    const Location found = Find(lines, section, key);
    if (found.keyLine) {
        std::string& text = lines[*found.keyLine].text;
        text = text.substr(0, text.find('=') + 1) + EncodeValue(value);
    } else {
        if (!lines.empty() && lines.back().ending.empty())
            lines.back().ending = ending;
        const Line keyLine{Trim(key) + "=" + EncodeValue(value), ending};
        if (found.header) {
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(found.lastFilledLine + 1), keyLine);
        } else {
            lines.push_back({"[" + Trim(section) + "]", ending});
            lines.push_back(keyLine);
        }
    }
    const std::string updated = JoinLines(lines);
    if (read == ReadResult::Ok && updated == content)
        return true;
    return ReplaceAtomically(target, updated, mode);
}

}  // namespace kivUtil
