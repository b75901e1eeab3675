#include "rename/RenameBatch.h"

#include <QDir>
#include <QString>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <unordered_map>

#include "app/Kivlocal.h"
#include "catalogue/DateTimeValue.h"

namespace lumitag {

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The folder part of a path, delimiter included ("" when it has none).
std::string FolderPart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The text each code point folded as QString::compare(..., Qt::CaseInsensitive)
// folds it, so two names have equal keys exactly when that comparison finds
// them equal.
QString CaseKey(const std::string& text)
{
    const QString source = Q(text);
    QString key;
    key.reserve(source.size());
    for (const char32_t codePoint : source.toUcs4())
        key.append(QChar::fromUcs4(QChar::toCaseFolded(codePoint)));
    return key;
}

// Two rows collide when their folders are the same folder and their new
// names are equal ignoring case. Folder paths are compared exactly: on this
// file system sub/ and Sub/ are two folders whose files cannot collide.
QString CollisionKey(const RenameRow& row, const std::string& rootFolder)
{
    const std::string folder = FolderPart(FullFileName(row.fileName, rootFolder));
    return Q(folder) + CaseKey(row.newName);
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return QString::compare(Q(a), Q(b), Qt::CaseInsensitive) == 0;
}

std::string NamePart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// An undated photo is named from its file's modification time, at the
// two-second precision of a DOS date-time.
void DateFromFile(Titem& record, const std::string& rootFolder)
{
    const auto modified = FileModificationDateTime(FullFileName(record.fileName, rootFolder));
    if (!modified)
        return;
    record.dateTime = CutToEvenSeconds(*modified);
    record.hasDate = record.dateTime != kNoDate;
}

void ApplyRename(RenameRow& row, const std::string& rootFolder)
{
    const std::string from = FullFileName(row.fileName, rootFolder);
    row.error = RenameWithoutReplacing(from, FolderPart(from) + row.newName);
    if (row.error != 0) {
        row.status = RenameStatus::Failed;
        return;
    }
    row.status = RenameStatus::Done;
    row.fileName = FolderPart(row.fileName) + row.newName;
}

}  // namespace

const char* StatusKey(RenameStatus status)
{
    switch (status) {
    case RenameStatus::Yes: return "_yes";
    case RenameStatus::No: return "_no";
    case RenameStatus::Done: return "_done";
    case RenameStatus::Failed: return "_failed";
    }
    return "_no";
}

std::string StatusText(RenameStatus status)
{
    return TextOfKey(StatusKey(status));
}

std::string RenameRootFolder(const std::string& folderText)
{
    return RootFolderFromText(folderText);
}

std::optional<int> ParseStartIndex(const std::string& text)
{
    bool ok = false;
    const int value = Q(text).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::string NotAnIntegerMessage(const std::string& text)
{
    return "'" + text + "' is not a valid integer value";
}

void RenameFolder(const RenameSettings& settings, const std::string& folder, Texif_stl& exif,
                  VisitedFolders& visited, std::vector<RenameRow>& rows)
{
    if (!visited.Enter(folder))
        return;
    std::vector<Titem> records;
    ScanFolder(folder, settings.rootFolder, exif, records);
    FolderNumbering numbering(settings.startIndex);
    const IndexOfRecord indexOf = [&numbering](ResetUnit unit) { return numbering.Index(unit); };
    for (auto& record : records) {
        // The records before this one keep the dates they were named with,
        // which is what the numbering compares.
        if (record.dateTime == kNoDate)
            DateFromFile(record, settings.rootFolder);
        numbering.Next(record.dateTime);
        RenameRow row;
        row.fileName = record.fileName;
        row.newName = BuildNewFileName(settings.pattern, record, indexOf, settings.rootFolder, settings.cleaning);
        row.status = EqualIgnoringCase(row.newName, NamePart(record.fileName)) ? RenameStatus::Yes : RenameStatus::No;
        if (settings.apply && row.status == RenameStatus::No)
            ApplyRename(row, settings.rootFolder);
        rows.push_back(std::move(row));
    }
    if (!settings.recursive)
        return;
    for (const auto& sub : SubFolders(folder))
        RenameFolder(settings, sub, exif, visited, rows);
}

std::vector<RenameRow> RenameTree(const RenameSettings& settings, Texif_stl& exif)
{
    std::vector<RenameRow> rows;
    VisitedFolders visited;
    RenameFolder(settings, settings.rootFolder, exif, visited, rows);
    return rows;
}

std::string TargetPath(const RenameRow& row, const std::string& rootFolder)
{
    return FolderPart(FullFileName(row.fileName, rootFolder)) + row.newName;
}

bool MarkDuplicates(std::vector<RenameRow>& rows, const std::string& rootFolder)
{
    // Each target's first row; a later row with the same key marks both.
    std::unordered_map<QString, std::size_t> firstWithTarget;
    firstWithTarget.reserve(rows.size());
    bool none = true;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].duplicate = false;
        const auto [found, inserted] = firstWithTarget.emplace(CollisionKey(rows[i], rootFolder), i);
        if (!inserted) {
            rows[found->second].duplicate = true;
            rows[i].duplicate = true;
            none = false;
        }
    }
    return none;
}

int LinkThenUnlink(const std::string& from, const std::string& to)
{
    if (link(from.c_str(), to.c_str()) != 0)
        return errno;
    if (unlink(from.c_str()) != 0) {
        const int error = errno;
        // The file must not stay under two names: take the new one back.
        unlink(to.c_str());
        return error;
    }
    return 0;
}

int RenameWithoutReplacing(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    // File systems without the flag answer EINVAL; old kernels ENOSYS.
    if (error == EINVAL || error == ENOSYS)
        return LinkThenUnlink(from, to);
    return error;
}

}  // namespace lumitag
