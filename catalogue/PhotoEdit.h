// The EXIF side of validating a photo's fields: read the file, store the
// fields that were edited, write only when a value really changed. The
// window's validation and the command line share it.
#pragma once

#include <optional>
#include <string>

#include "catalogue/DateTimeValue.h"

class Texif_stl;

namespace lumitag {

struct PhotoEdits {
    // A field that is set was edited; its text is trimmed before it is stored
    // and an empty text removes the tag.
    std::optional<std::string> imageDescription;
    std::optional<std::string> userComment;
    std::optional<std::string> artist;
    // The date was edited: nullopt inside removes DateTimeOriginal, DateTime and
    // DateTimeDigitized; a value sets all three (milliseconds dropped).
    std::optional<std::optional<DateTimeParts>> date;
    // The date was edited into a text that is no date: the dates stay as they
    // are, yet the edit still counts (the file is read, and written when its
    // read alone changed it).
    bool dateTextIgnored = false;

    bool any() const { return imageDescription || userComment || artist || date || dateTextIgnored; }

    // The date edit of a date field's text in QLocale()'s date text: an empty
    // text removes the dates, a text that does not parse is ignored, any other
    // sets them to the second.
    void SetDateFromText(QStringView text);
};

enum class EditOutcome {
    NothingEdited,  // no field edited: the file was not even read
    ReadFailed,     // the file's EXIF could not be read; nothing stored or written
    Unchanged,      // every edited value equals the stored one: nothing written
    Wrote,
    WriteFailed,    // the file is as it was
};

// Applies the edits to the file at path through the document, which then
// holds that file. The document may come to the call marked modified by its
// read alone (an unreadable thumbnail dropped): that is written too.
EditOutcome ApplyPhotoEdits(Texif_stl& exif, const std::string& path, const PhotoEdits& edits);

}  // namespace lumitag
