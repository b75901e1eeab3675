#include "catalogue/PhotoEdit.h"

#include "catalogue/Titem.h"
#include "exif/Exif_stl.h"

namespace lumitag {

namespace {

void StoreDate(Texif_stl& exif, const std::optional<DateTimeParts>& date)
{
    const DateTimeParts d = date.value_or(DateTimeParts{});
    exif.set_date_time_original(d.year, d.month, d.day, d.hour, d.minute, d.second);
    exif.set_date_time(d.year, d.month, d.day, d.hour, d.minute, d.second);
    exif.set_date_time_digitized(d.year, d.month, d.day, d.hour, d.minute, d.second);
}

}  // namespace

void PhotoEdits::SetDateFromText(QStringView text)
{
    date.reset();
    dateTextIgnored = false;
    if (text.isEmpty()) {
        date = std::optional<DateTimeParts>();
        return;
    }
    const auto value = ParseDateText(text);
    auto parts = value ? DecodeDateTime(*value) : std::nullopt;
    if (!parts) {
        dateTextIgnored = true;
        return;
    }
    parts->millisecond = 0;
    date = parts;
}

EditOutcome ApplyPhotoEdits(Texif_stl& exif, const std::string& path, const PhotoEdits& edits)
{
    if (!edits.any())
        return EditOutcome::NothingEdited;
    if (!exif.read_jpeg(path))
        return EditOutcome::ReadFailed;
    if (edits.imageDescription)
        exif.set_image_description(TrimControls(*edits.imageDescription));
    if (edits.userComment)
        exif.set_user_comment(TrimControls(*edits.userComment));
    if (edits.artist)
        exif.set_artist(TrimControls(*edits.artist));
    if (edits.date)
        StoreDate(exif, *edits.date);
    if (!exif.modified)
        return EditOutcome::Unchanged;
    return exif.write_jpeg(path) ? EditOutcome::Wrote : EditOutcome::WriteFailed;
}

}  // namespace lumitag
