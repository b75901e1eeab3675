#include "catalogue/EditProposals.h"

#include "catalogue/Titem.h"

namespace lumitag {

namespace {

constexpr long long kMsPerDay = 86'400'000;

std::string FolderPart(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The EXIF date of a neighbour moved by `seconds`, when the neighbour lies in
// `folder`, can be read and has a date.
std::optional<DateTimeValue> NeighbourDate(const std::string& neighbour, const std::string& folder, int seconds,
                                           Texif_stl::tracer_interface* tracer)
{
    if (neighbour.empty() || FolderPart(neighbour) != folder)
        return std::nullopt;
    Texif_stl document;
    document.tracer = tracer;
    if (!document.read_jpeg(neighbour))
        return std::nullopt;
    const DateTimeValue date = GetExifDate(document);
    if (date == kNoDate)
        return std::nullopt;
    return AddSeconds(date, seconds);
}

}  // namespace

std::string DescriptionFromFileName(const std::string& path)
{
    std::string name = path.substr(path.rfind('/') + 1);  // npos + 1 is 0
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        name.erase(0, dot + 1);
    return name;
}

std::string ProposedDescription(int option, const std::string& path, const std::string& lastDescription,
                                const std::string& firstDescription)
{
    switch (option) {
    case 1:
        return DescriptionFromFileName(path);
    case 2:
        return lastDescription;
    case 3:
        return firstDescription;
    default:
        return {};
    }
}

std::optional<DateTimeValue> AddSeconds(DateTimeValue value, int seconds)
{
    const auto parts = DecodeDateTime(value);
    if (!parts)
        return std::nullopt;
    const auto midnight = EncodeDate(parts->year, parts->month, parts->day);
    if (!midnight)
        return std::nullopt;
    long long ms = ((parts->hour * 60LL + parts->minute) * 60 + parts->second) * 1000 + parts->millisecond
                   + seconds * 1000LL;
    const long long dayShift = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
    ms -= dayShift * kMsPerDay;
    const auto day = DecodeDateTime(*midnight + static_cast<double>(dayShift));
    if (!day)
        return std::nullopt;
    DateTimeParts moved = *day;
    moved.millisecond = static_cast<int>(ms % 1000);
    moved.second = static_cast<int>(ms / 1000 % 60);
    moved.minute = static_cast<int>(ms / 60'000 % 60);
    moved.hour = static_cast<int>(ms / 3'600'000);
    return EncodeDateTime(moved);
}

std::optional<DateTimeValue> GuessDate(const ListNeighbours& rows, Texif_stl::tracer_interface* tracer)
{
    const std::string folder = FolderPart(rows.path);
    if (const auto date = NeighbourDate(rows.previousPath, folder, +1, tracer))
        return date;
    if (const auto date = NeighbourDate(rows.nextPath, folder, -1, tracer))
        return date;
    return FileModificationDateTime(rows.path);
}

}  // namespace lumitag
