// What the edit band proposes for a photo's empty fields: a description
// made from the file name, and a date next to the neighbours' dates.
#pragma once

#include <optional>
#include <string>

#include "catalogue/DateTimeValue.h"
#include "exif/Exif_stl.h"

namespace lumitag {

// The file name without its folder and its extension and, when what remains
// still holds a ".", only the part after the last one: "IMG_0012.jpg" gives
// "IMG_0012", "2004.07.14 Beach.jpg" gives "14 Beach".
std::string DescriptionFromFileName(const std::string& path);

// The description proposed by the option (0 nothing, 1 from the file name,
// 2 the last description, 3 the first description of the run); empty for
// any other option.
std::string ProposedDescription(int option, const std::string& path, const std::string& lastDescription,
                                const std::string& firstDescription);

// The value moved by a number of seconds, carrying into the date; nullopt
// outside years 1 to 9999. Works on the calendar, not on the raw number,
// since before 30 December 1899 the fraction of a day runs the other way.
std::optional<DateTimeValue> AddSeconds(DateTimeValue value, int seconds);

// The full paths of a photo and of its neighbours in the list; a neighbour
// is empty when there is no such row.
struct ListNeighbours {
    std::string path;
    std::string previousPath;
    std::string nextPath;
};

// A date for the photo that keeps the date order of its folder: a second
// after the previous photo's EXIF date, else a second before the next one's,
// taking only a neighbour of the same folder that can be read and has a date;
// else the photo's own modification time in local time. nullopt when even
// that cannot be had. Neighbours are read into a document of their own,
// traced to `tracer` when one is given.
std::optional<DateTimeValue> GuessDate(const ListNeighbours& rows, Texif_stl::tracer_interface* tracer = nullptr);

}  // namespace lumitag
