// The rename pattern language and the index counter of "%N".
//
// A pattern mixes literal characters with specifiers ("%Y", "%MM", "%ND2",
// "%U8:8"...) that stand for values of a photo record. Texts are UTF-8;
// counts and positions in suffixes count characters (code points).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "catalogue/DateTimeValue.h"
#include "catalogue/Titem.h"

namespace lumitag {

// The letter written after "%N": 'Y', 'M', 'D', 'h', 'm', 's', or kNoReset.
using ResetUnit = char;
inline constexpr ResetUnit kNoReset = '\0';

// True for the six letters that may follow "%N".
bool IsResetUnit(char letter);

// The key of a date-time for a reset unit: "yyyy", "yyyymm", "yyyymmdd",
// "yyyymmddhh", "yyyymmddhhnn" or "yyyymmddhhnnss", zero-padded; empty for
// kNoReset or a value that is no date.
std::string ResetKey(DateTimeValue dateTime, ResetUnit unit);

// The index of `record` (found by identity, not by contents) among the
// folder records walked in order: the first record gets startIndex, and
// with a reset unit the count starts again whenever the key of a record
// differs from the previous one's. -1 when the record is not in the list.
// The count is wide enough that no start index can make it overflow.
long long RenameIndex(const std::vector<Titem>& folderRecords, const Titem& record, int startIndex,
                      ResetUnit unit);

// The same numbers for a walk through one folder in order, every reset unit
// at once, at constant cost per record: Next takes the following record's
// date-time, after which Index gives what RenameIndex gives for it.
class FolderNumbering {
public:
    explicit FolderNumbering(int startIndex);
    void Next(DateTimeValue dateTime);
    long long Index(ResetUnit unit) const;

private:
    static constexpr int kUnits = 7;  // kNoReset and the six letters
    static int Slot(ResetUnit unit);

    long long startIndex_;
    bool started_ = false;
    long long counters_[kUnits] = {};
    std::string keys_[kUnits];
};

// The cleaning that follows the expansion, in its fixed order: accents,
// then spaces, then the characters that file names cannot hold.
struct NameCleaning {
    bool foldAccents = false;
    bool spacesToUnderscores = false;
};

// Gives the value of a "%N" specifier for the record being expanded.
using IndexOfRecord = std::function<long long(ResetUnit unit)>;

// The new file name of `record` under `pattern`: the expansion, cleaned,
// followed by "." and the record's extension in lower case. A name only,
// never a folder part; never fails. "%N" is numbered among folderRecords
// (the record's own folder in scan order); the month and weekday names are
// those of the current language.
std::string BuildNewFileName(const std::string& pattern, const Titem& record, const std::vector<Titem>& folderRecords,
                             int startIndex, const std::string& rootFolder, bool foldAccents,
                             bool spacesToUnderscores);

// The same with the "%N" values given by the caller, for walks that number
// a folder as they go (see FolderNumbering).
std::string BuildNewFileName(const std::string& pattern, const Titem& record, const IndexOfRecord& indexOf,
                             const std::string& rootFolder, const NameCleaning& cleaning);

// Suffix numbers are read saturating at this bound, so no digit run can
// overflow; a number is never padded to more characters than a file name
// may hold.
inline constexpr int kMaxSuffixNumber = 2147483647;
inline constexpr int kMaxPaddedDigits = 255;

}  // namespace lumitag
