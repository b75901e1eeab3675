// Batch renaming without a window: the walk through a root folder that lists
// every photo with its new name, the collision check, and the apply, which
// renames with a call that never replaces an existing file.
//
// The window's rename tab and the command line give the same rows because
// both run this walk.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/Titem.h"
#include "rename/RenamePattern.h"

class Texif_stl;

namespace lumitag {

enum class RenameStatus {
    Yes,     // the file already has its new name (ignoring case); never renamed
    No,      // the file would be renamed (preview)
    Done,    // renamed (apply)
    Failed,  // the rename failed (apply); the file keeps its name
};

// The localisation key of a status ("_yes", "_no", "_done", "_failed") and
// its text in the current language.
const char* StatusKey(RenameStatus status);
std::string StatusText(RenameStatus status);

// One row of the rename list.
struct RenameRow {
    std::string fileName;  // relative to the root folder; the new relative name once renamed
    std::string newName;   // the name the pattern gives, without folder part
    RenameStatus status = RenameStatus::No;
    bool duplicate = false;  // set by MarkDuplicates
    int error = 0;           // errno of a failed rename, 0 otherwise
};

struct RenameSettings {
    std::string pattern;
    std::string rootFolder;  // absolute, ending with "/"; see RenameRootFolder
    bool recursive = false;
    int startIndex = 1;
    NameCleaning cleaning;
    bool apply = false;  // rename on disk; otherwise list only
};

// The root folder of a folder-box or command-line text: a relative text is
// resolved against the current folder, and the result ends with "/".
// Empty for an empty text.
std::string RenameRootFolder(const std::string& folderText);

// The start index typed into the index box, or nothing when the text is no
// 32-bit integer (blanks around the number are allowed).
std::optional<int> ParseStartIndex(const std::string& text);
// "'<text>' is not a valid integer value".
std::string NotAnIntegerMessage(const std::string& text);

// Appends the rows of the photos directly in `folder` (ending with "/"), in
// scan order, then, when settings.recursive, those of its sub-folders in name
// order, depth first. A photo without EXIF date is named from its file's
// modification time cut to even seconds; "%N" counts again in every folder.
// In apply mode every file whose new name differs (ignoring case) is
// renamed within its folder, never replacing a file. `exif` is the document
// the records are read with; `visited` keeps link cycles from looping.
void RenameFolder(const RenameSettings& settings, const std::string& folder, Texif_stl& exif,
                  VisitedFolders& visited, std::vector<RenameRow>& rows);

// The whole walk from settings.rootFolder.
std::vector<RenameRow> RenameTree(const RenameSettings& settings, Texif_stl& exif);

// The full path a row's file would get: its folder followed by its new name.
std::string TargetPath(const RenameRow& row, const std::string& rootFolder);

// Marks exactly the rows whose target path equals another row's: the same
// folder and new names that are equal ignoring case (QString's
// case-insensitive comparison). True when no two rows collide. Linear in
// the number of rows.
bool MarkDuplicates(std::vector<RenameRow>& rows, const std::string& rootFolder);

// Renames `from` to `to` unless `to` exists; 0 on success, else an errno
// value (EEXIST when the name is taken) and both files as they were.
// Uses renameat2 with RENAME_NOREPLACE, and a hard link then an unlink of
// the old name on file systems that refuse that flag.
int RenameWithoutReplacing(const std::string& from, const std::string& to);
// The link-then-unlink way on its own.
int LinkThenUnlink(const std::string& from, const std::string& to);

}  // namespace lumitag
