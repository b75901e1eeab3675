#include "rename/RenamePattern.h"

#include <QString>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "app/Kivlocal.h"
#include "util/Utf8.h"
#include "util/kivUtil.h"

namespace lumitag {

namespace {

constexpr std::size_t kToEnd = std::string::npos;

// ---- values of one record

struct RecordValues {
    DateTimeParts date;
    int weekday = 7;  // 1 = Sunday ... 7 = Saturday
    std::string oldName;
    std::string folderName;
    std::string upperFolderName;
};

// The last component of a path without trailing delimiter, and the path
// that is left before it ("" for the file-system root).
std::string LastComponent(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentPath(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

RecordValues ValuesOf(const Titem& record, const std::string& rootFolder)
{
    RecordValues values;
    // A value that is no date expands as day 0, like a record without date.
    values.date = DecodeDateTime(record.dateTime).value_or(*DecodeDateTime(kNoDate));
    const int weekday = DayOfWeek(record.dateTime);
    values.weekday = weekday != 0 ? weekday : DayOfWeek(kNoDate);
    values.oldName = kivUtil::FileNameWithoutExtension(record.fileName);
    // The file's folder, from the full path so that a record named by a full
    // path gets its own folder rather than one made up from the root.
    const std::string folderPath = ParentPath(FullFileName(record.fileName, rootFolder));
    values.folderName = LastComponent(folderPath);
    values.upperFolderName = folderPath.empty() ? std::string() : LastComponent(ParentPath(folderPath));
    return values;
}

std::string LowerCaseExtension(const std::string& fileName)
{
    return QString::fromStdString(kivUtil::FileExtension(fileName)).toLower().toStdString();
}

// Entry `index` of a localised ";"-separated list, "" when it is missing.
std::string NameListEntry(const char* key, int index)
{
    const std::string list = TextOfKey(key);
    std::size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = list.find(';', start);
        if (start == std::string::npos)
            return {};
        ++start;
    }
    const auto end = list.find(';', start);
    return list.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// ---- suffixes

struct Suffix {
    int count = 0;
    bool hasColon = false;
    bool hasLength = false;  // digits followed the ":"
    int length = 0;
};

// Reads a run of digits at pos, saturating at kMaxSuffixNumber.
int ReadDigits(const std::string& pattern, std::size_t& pos, bool& any)
{
    long long value = 0;
    any = false;
    while (pos < pattern.size() && pattern[pos] >= '0' && pattern[pos] <= '9') {
        value = std::min<long long>(value * 10 + (pattern[pos] - '0'), kMaxSuffixNumber);
        any = true;
        ++pos;
    }
    return static_cast<int>(value);
}

Suffix ReadSuffix(const std::string& pattern, std::size_t& pos)
{
    Suffix suffix;
    bool any = false;
    suffix.count = ReadDigits(pattern, pos, any);
    if (pos < pattern.size() && pattern[pos] == ':') {
        ++pos;
        suffix.hasColon = true;
        suffix.length = ReadDigits(pattern, pos, suffix.hasLength);
    }
    return suffix;
}

std::string NumberText(long long value, const Suffix& suffix)
{
    std::string text = std::to_string(value);
    const std::size_t width = static_cast<std::size_t>(std::min(suffix.count, kMaxPaddedDigits));
    if (text.size() < width)
        text.insert(value < 0 ? 1 : 0, width - text.size(), '0');
    return text;
}

// `count` characters from character `first` (0-based); kToEnd for the rest.
std::string CutCharacters(const std::string& text, std::size_t first, std::size_t count)
{
    std::size_t index = 0, begin = text.size(), end = text.size();
    kivUtil::utf8::ForEachCharacter(text, [&](std::size_t pos, std::size_t, char32_t) {
        if (index == first)
            begin = pos;
        if (count != kToEnd && index == first + count && end == text.size())
            end = pos;
        ++index;
    });
    return begin < end ? text.substr(begin, end - begin) : std::string();
}

std::string TextPiece(const std::string& text, const Suffix& suffix)
{
    std::string piece;
    const auto count = static_cast<std::size_t>(suffix.count);
    if (suffix.count == 0)
        piece = text;
    else if (!suffix.hasColon || (suffix.hasLength && suffix.length == 0))
        piece = CutCharacters(text, 0, count);
    else
        piece = CutCharacters(text, count - 1, suffix.hasLength ? static_cast<std::size_t>(suffix.length) : kToEnd);
    return TrimControls(piece);
}

// ---- expansion

class Expansion {
public:
    Expansion(const std::string& pattern, const Titem& record, const IndexOfRecord& indexOf,
              const std::string& rootFolder)
        : pattern_(pattern), record_(record), indexOf_(indexOf), values_(ValuesOf(record, rootFolder))
    {
    }

    std::string Run()
    {
        while (pos_ < pattern_.size()) {
            const char c = pattern_[pos_++];
            if (c != '%')
                out_ += c;
            else if (pos_ < pattern_.size())
                Specifier(pattern_[pos_++]);
            // A "%" at the very end is dropped.
        }
        return out_;
    }

private:
    bool Take(char letter)
    {
        if (pos_ < pattern_.size() && pattern_[pos_] == letter) {
            ++pos_;
            return true;
        }
        return false;
    }

    void Number(long long value) { out_ += NumberText(value, ReadSuffix(pattern_, pos_)); }
    void Text(const std::string& value) { out_ += TextPiece(value, ReadSuffix(pattern_, pos_)); }

    // A number, or one of two name lists when its letter is doubled and then
    // followed by the short form's letter.
    void NumberOrName(int number, char longLetter, char shortLetter, const char* longKey, const char* shortKey,
                      int entry)
    {
        const char* key = nullptr;
        if (Take(longLetter))
            key = longKey;
        if (Take(shortLetter))
            key = shortKey;
        if (key)
            Text(NameListEntry(key, entry));
        else
            Number(number);
    }

    void Specifier(char letter)
    {
        const auto& date = values_.date;
        switch (letter) {
        case 'Y': Number(date.year); break;
        case 'y': Number(date.year % 100); break;
        case 'h': Number(date.hour); break;
        case 'm': Number(date.minute); break;
        case 's': Number(date.second); break;
        case 'M':
            NumberOrName(date.month, 'M', 'm', "_long_months", "_short_months", date.month - 1);
            break;
        case 'D':
            NumberOrName(date.day, 'D', 'd', "_long_days", "_short_days", values_.weekday - 1);
            break;
        case 'N': {
            ResetUnit unit = kNoReset;
            if (pos_ < pattern_.size() && IsResetUnit(pattern_[pos_]))
                unit = pattern_[pos_++];
            Number(indexOf_(unit));
            break;
        }
        case 'P': Text(Take('P') ? values_.upperFolderName : values_.folderName); break;
        case 'I': Text(record_.imageDescription); break;
        case 'U': Text(record_.userComment); break;
        case 'A': Text(record_.artist); break;
        case 'F': Text(values_.oldName); break;
        default:
            out_ += '%';
            out_ += letter;
            break;
        }
    }

    const std::string& pattern_;
    const Titem& record_;
    const IndexOfRecord& indexOf_;
    const RecordValues values_;
    std::size_t pos_ = 0;
    std::string out_;
};

}  // namespace

// ---- index counter

bool IsResetUnit(char letter)
{
    return letter == 'Y' || letter == 'M' || letter == 'D' || letter == 'h' || letter == 'm' || letter == 's';
}

std::string ResetKey(DateTimeValue dateTime, ResetUnit unit)
{
    static constexpr const char* kUnits = "YMDhms";
    const char* found = unit == kNoReset ? nullptr : std::strchr(kUnits, unit);
    const auto parts = DecodeDateTime(dateTime);
    if (!found || !parts)
        return {};
    const int fields[] = {parts->year, parts->month, parts->day, parts->hour, parts->minute, parts->second};
    char key[16];
    int length = std::snprintf(key, sizeof key, "%04d", fields[0]);
    for (long i = 1; i <= found - kUnits; ++i)
        length += std::snprintf(key + length, sizeof key - static_cast<std::size_t>(length), "%02d", fields[i]);
    return std::string(key, static_cast<std::size_t>(length));
}

long long RenameIndex(const std::vector<Titem>& folderRecords, const Titem& record, int startIndex,
                      ResetUnit unit)
{
    long long counter = static_cast<long long>(startIndex) - 1;
    for (std::size_t i = 0; i < folderRecords.size(); ++i) {
        if (i > 0 && unit != kNoReset &&
            ResetKey(folderRecords[i - 1].dateTime, unit) != ResetKey(folderRecords[i].dateTime, unit))
            counter = static_cast<long long>(startIndex) - 1;
        ++counter;
        if (&folderRecords[i] == &record)
            return counter;
    }
    return -1;
}

FolderNumbering::FolderNumbering(int startIndex) : startIndex_(startIndex) {}

int FolderNumbering::Slot(ResetUnit unit)
{
    static constexpr const char* kUnits = "YMDhms";
    const char* found = unit == kNoReset ? nullptr : std::strchr(kUnits, unit);
    return found ? static_cast<int>(found - kUnits) + 1 : 0;
}

void FolderNumbering::Next(DateTimeValue dateTime)
{
    for (int slot = 0; slot < kUnits; ++slot) {
        const ResetUnit unit = slot == 0 ? kNoReset : "YMDhms"[slot - 1];
        std::string key = ResetKey(dateTime, unit);
        const bool restart = !started_ || (unit != kNoReset && key != keys_[slot]);
        counters_[slot] = restart ? startIndex_ : counters_[slot] + 1;
        keys_[slot] = std::move(key);
    }
    started_ = true;
}

long long FolderNumbering::Index(ResetUnit unit) const
{
    return started_ ? counters_[Slot(unit)] : -1;
}

// ---- file names

std::string BuildNewFileName(const std::string& pattern, const Titem& record, const IndexOfRecord& indexOf,
                             const std::string& rootFolder, const NameCleaning& cleaning)
{
    Expansion expansion(pattern, record, indexOf, rootFolder);
    std::string name = expansion.Run();
    if (cleaning.foldAccents)
        name = kivUtil::FoldAccents(name);
    if (cleaning.spacesToUnderscores)
        name = kivUtil::SpacesToUnderscores(name);
    name = kivUtil::ReplaceInvalidChars(name);
    // The extension is appended after the cleaning, which never touches it.
    return name + "." + LowerCaseExtension(record.fileName);
}

std::string BuildNewFileName(const std::string& pattern, const Titem& record, const std::vector<Titem>& folderRecords,
                             int startIndex, const std::string& rootFolder, bool foldAccents,
                             bool spacesToUnderscores)
{
    const IndexOfRecord indexOf = [&](ResetUnit unit) {
        return RenameIndex(folderRecords, record, startIndex, unit);
    };
    return BuildNewFileName(pattern, record, indexOf, rootFolder, NameCleaning{foldAccents, spacesToUnderscores});
}

}  // namespace lumitag
