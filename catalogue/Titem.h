// The photo record: the summary of one JPEG file that the list shows, the
// editing workflow rebuilds after a write and the renamer expands patterns from.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

class Texif_stl;

namespace lumitag {

struct Titem {
    std::string fileName;          // relative to the root folder, or a full path
    double dateTime = 0;           // days since 30 December 1899; 0 = no date
    bool hasDate = false;          // dateTime != 0
    std::string imageDescription;  // repaired and trimmed; "?" when EXIF is unreadable
    std::string artist;            // trimmed only; "?" when EXIF is unreadable
    std::string userComment;       // repaired and trimmed; "?" when EXIF is unreadable

    Titem() = default;
    // Reads the file named `fileName` (relative to `rootFolder` or full) into
    // `exif`, replacing what the document held. Never fails.
    Titem(const std::string& fileName, const std::string& rootFolder, Texif_stl& exif);

    bool operator<(const Titem& other) const { return dateTime < other.dateTime; }
};

// A folder named by the user (folder box, command line): a relative text is
// resolved once against the current folder; the result ends with "/". Empty
// for an empty text.
std::string RootFolderFromText(const std::string& text);
bool IsExistingFolder(const std::string& path);
bool IsExistingFile(const std::string& path);  // anything but a folder

// Compares ignoring the case of the letters a to z only, other bytes by code:
// negative, 0 or positive as a sorts before, with or after b.
int CompareIgnoringAsciiCase(const std::string& a, const std::string& b);

// The full path of a record's name: empty for an empty name, unchanged when
// already absolute, else appended to the root folder.
std::string FullFileName(const std::string& name, const std::string& rootFolder);

// DateTimeOriginal of a read document as a date-time value, 0 when it has none
// or it is no calendar date.
double GetExifDate(const Texif_stl& document);

// The date text the file list shows: the locale date and time, or "no date".
std::string ItemDateText(const Titem& record);

// Removes leading and trailing characters of code 32 or below.
std::string TrimControls(const std::string& text);

// The records of the JPEG files directly inside `folder` (ending with "/"),
// sorted by date. Entries are taken in name order; folders named like photos
// are not photos.
void ScanFolder(const std::string& folder, const std::string& rootFolder, Texif_stl& exif,
                std::vector<Titem>& records);

// The sub-folders of `folder` (each ending with "/") in name order,
// symbolic links to folders included.
std::vector<std::string> SubFolders(const std::string& folder);

// Guards a recursive walk: Enter is true the first time a folder (device and
// inode) is met, so that a symbolic-link cycle never loops.
class VisitedFolders {
public:
    bool Enter(const std::string& folder);

private:
    std::set<std::pair<unsigned long long, unsigned long long>> seen_;
};

}  // namespace lumitag
