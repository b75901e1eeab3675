#include "catalogue/Titem.h"

#include <QDir>
#include <algorithm>
#include <sys/stat.h>

#include "catalogue/DateTimeValue.h"
#include "exif/Exif_stl.h"
#include "util/kivUtil.h"

namespace lumitag {

namespace {

bool IsPhotoExtension(const std::string& path)
{
    std::string extension = kivUtil::FileExtension(path);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return extension == "jpg" || extension == "jpeg";
}

std::vector<std::string> SortedEntries(const std::string& folder, unsigned mask)
{
    std::vector<std::string> entries;
    kivUtil::ListFolder(folder, mask, entries);
    // Name order, so that listings do not depend on the file system's hash order.
    std::sort(entries.begin(), entries.end(),
              [](const std::string& a, const std::string& b) { return CompareIgnoringAsciiCase(a, b) < 0; });
    return entries;
}

// Text of an engine getter up to its first zero byte.
std::string UpToZero(const std::string& text)
{
    return text.substr(0, text.find('\0'));
}

}  // namespace

std::string TrimControls(const std::string& text)
{
    auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    return first < last ? std::string(first, last) : std::string();
}

Titem::Titem(const std::string& name, const std::string& rootFolder, Texif_stl& exif) : fileName(name)
{
    if (!exif.read_jpeg(FullFileName(name, rootFolder))) {
        imageDescription = userComment = artist = "?";
        return;
    }
    imageDescription = TrimControls(kivUtil::Utf8ToAnsi(UpToZero(exif.get_image_description())));
    userComment = TrimControls(kivUtil::Utf8ToAnsi(UpToZero(exif.get_user_comment())));
    dateTime = GetExifDate(exif);
    hasDate = dateTime != 0;
    // Artist is trimmed, not repaired; the decoder keeps valid UTF-8 as stored
    // and only turns stray bytes into characters the window can show.
    artist = TrimControls(kivUtil::Utf8ToAnsi(UpToZero(exif.get_artist())));
}

std::string RootFolderFromText(const std::string& text)
{
    if (text.empty())
        return {};
    std::string folder =
        text.front() == '/' ? text : QDir::current().absoluteFilePath(QString::fromStdString(text)).toStdString();
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

bool IsExistingFolder(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsExistingFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

int CompareIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = fold(static_cast<unsigned char>(a[i]));
        const int y = fold(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x - y;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::string FullFileName(const std::string& name, const std::string& rootFolder)
{
    if (name.empty())
        return {};
    if (name.front() == '/')
        return name;
    return rootFolder + name;
}

double GetExifDate(const Texif_stl& document)
{
    DateTimeParts parts;
    if (!document.get_date_time_original(parts.year, parts.month, parts.day, parts.hour, parts.minute,
                                         parts.second))
        return 0;
    return EncodeDateTime(parts).value_or(kNoDate);
}

std::string ItemDateText(const Titem& record)
{
    return DateText(record.hasDate ? record.dateTime : kNoDate).toStdString();
}

void ScanFolder(const std::string& folder, const std::string& rootFolder, Texif_stl& exif,
                std::vector<Titem>& records)
{
    records.clear();
    // Folders are never photos, whatever their name.
    for (const auto& path : SortedEntries(folder, kivUtil::lfFiles)) {
        if (!IsPhotoExtension(path))
            continue;
        const size_t prefix = kivUtil::RootPrefixLength(path, rootFolder);
        records.emplace_back(prefix > 0 ? path.substr(prefix) : path, rootFolder, exif);
    }
    // Stable, so that photos of equal date keep their name order.
    std::stable_sort(records.begin(), records.end());
}

std::vector<std::string> SubFolders(const std::string& folder)
{
    std::vector<std::string> folders;
    for (const auto& path : SortedEntries(folder, kivUtil::lfFolders))
        folders.push_back(path + "/");
    return folders;
}

bool VisitedFolders::Enter(const std::string& folder)
{
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0)
        return false;
    return seen_.emplace(static_cast<unsigned long long>(info.st_dev), static_cast<unsigned long long>(info.st_ino))
        .second;
}

}  // namespace lumitag
