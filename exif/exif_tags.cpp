// Typed access to the four fields the program edits, and the entry lookup
// beneath it.
#include "exif/exif_internal.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr char user_comment_ascii_prefix[8] = {'A', 'S', 'C', 'I', 'I', 0, 0, 0};
constexpr std::size_t user_comment_prefix_size = 8;

void append_utf8(std::string& out, std::uint32_t code_point)
{
    if (code_point < 0x80) {
        out += static_cast<char>(code_point);
    } else if (code_point < 0x800) {
        out += static_cast<char>(0xC0 | code_point >> 6);
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else if (code_point < 0x10000) {
        out += static_cast<char>(0xE0 | code_point >> 12);
        out += static_cast<char>(0x80 | (code_point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code_point >> 18);
        out += static_cast<char>(0x80 | (code_point >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code_point >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code_point & 0x3F));
    }
}

// UTF-16 units, low byte first whatever the block's order, to UTF-8. A unit
// that stands for no character (a lone surrogate) becomes "_".
std::string utf16le_to_utf8(const std::string& bytes)
{
    std::string out;
    const std::size_t units = bytes.size() / 2;
    auto unit_at = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                          static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const std::uint32_t unit = unit_at(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
            const std::uint32_t low = unit_at(i + 1);
            if (low >= 0xDC00 && low < 0xE000) {
                append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (unit >= 0xD800 && unit < 0xE000)
            out += '_';
        else
            append_utf8(out, unit);
    }
    return out;
}

// scanf's "%d": leading white space, an optional sign, at least one digit.
// Out-of-range numbers saturate instead of being undefined.
bool scan_int(const char*& p, int& value)
{
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const char* q = p;
    const bool negative = *q == '-';
    if (*q == '-' || *q == '+')
        ++q;
    if (!std::isdigit(static_cast<unsigned char>(*q)))
        return false;
    long long number = 0;
    for (; std::isdigit(static_cast<unsigned char>(*q)); ++q)
        number = std::min<long long>(number * 10 + (*q - '0'), static_cast<long long>(INT_MAX) + 1);
    number = negative ? -number : number;
    value = static_cast<int>(std::clamp<long long>(number, INT_MIN, INT_MAX));
    p = q;
    return true;
}

// "%d:%d:%d %d:%d:%d" in the manner of sscanf: stops at the first mismatch,
// leaving the values it did not reach untouched.
void scan_date(const std::string& text, int* values[6])
{
    const char* p = text.c_str();
    for (int i = 0; i < 6; ++i) {
        if (i == 3) {
            while (std::isspace(static_cast<unsigned char>(*p)))
                ++p;
        } else if (i > 0) {
            if (*p != ':')
                return;
            ++p;
        }
        if (!scan_int(p, *values[i]))
            return;
    }
}

}  // namespace

Texif_stl::ifd_entry* Texif_stl::find_entry_in(ifd_type& ifd, std::uint16_t tag)
{
    for (ifd_entry& entry : ifd.entries)
        if (entry.tag == tag)
            return &entry;
    return nullptr;
}

const Texif_stl::ifd_entry* Texif_stl::find_entry_in(const ifd_type& ifd, std::uint16_t tag)
{
    return find_entry_in(const_cast<ifd_type&>(ifd), tag);
}

Texif_stl::ifd_entry* Texif_stl::find_entry(std::uint16_t tag)
{
    for (ifd_type& ifd : ifds)
        if (ifd_entry* entry = find_entry_in(ifd, tag))
            return entry;
    if (ifd_entry* entry = find_entry_in(exif_ifd, tag))
        return entry;
    return find_entry_in(gps_ifd, tag);
}

const Texif_stl::ifd_entry* Texif_stl::find_entry(std::uint16_t tag) const
{
    return const_cast<Texif_stl*>(this)->find_entry(tag);
}

bool Texif_stl::remove_entry_in(ifd_type& ifd, std::uint16_t tag)
{
    auto found = std::find_if(ifd.entries.begin(), ifd.entries.end(),
                              [tag](const ifd_entry& entry) { return entry.tag == tag; });
    if (found == ifd.entries.end())
        return false;
    ifd.entries.erase(found);
    return true;
}

bool Texif_stl::remove_entry(std::uint16_t tag)
{
    for (ifd_type& ifd : ifds)
        if (remove_entry_in(ifd, tag))
            return true;
    return remove_entry_in(exif_ifd, tag) || remove_entry_in(gps_ifd, tag);
}

Texif_stl::ifd_entry& Texif_stl::add_entry(ifd_type& ifd, std::uint16_t tag, std::uint8_t type)
{
    ifd.entries.push_back(ifd_entry{tag, type, {}});
    return ifd.entries.back();
}

void Texif_stl::create_tag(std::uint16_t tag)
{
    if (ifds.empty()) {
        motorola = true;
        add_marker(marker{marker_app1, {}, true});
        ifd_type ifd0;
        add_entry(ifd0, tag_image_description, 2);
        add_entry(ifd0, tag_exif_ifd, 4);
        exif_ifd.clear();
        add_entry(exif_ifd, tag_exif_version, 7).data = {'0', '2', '1', '0'};
        ifds.push_back(std::move(ifd0));
        gps_ifd.clear();
        interop_ifd.clear();
        maker_note_ifd.clear();
    }
    if (find_entry(tag))
        return;
    const bool in_exif_ifd = tag == tag_date_time_original;
    add_entry(in_exif_ifd ? exif_ifd : ifds.front(), tag, 7);
    if (in_exif_ifd && !find_entry(tag_exif_ifd)) {
        ifd_type pointer_only;
        add_entry(pointer_only, tag_exif_ifd, 4);
        ifds.push_back(std::move(pointer_only));
    }
}

std::string Texif_stl::get_string(std::uint16_t tag) const
{
    const ifd_entry* entry = find_entry(tag);
    if (!entry)
        return {};
    return std::string(entry->data.begin(), entry->data.end());
}

void Texif_stl::set_string(std::uint16_t tag, const std::string& value, std::uint8_t type)
{
    if (!modified) {
        const std::string current = get_string(tag);
        const std::size_t expected_size = value.size() + (type == 2 ? 1 : 0);
        modified = current.size() != expected_size || current.compare(0, value.size(), value) != 0;
    }
    if (!modified)
        return;
    create_tag(tag);
    ifd_entry* entry = find_entry(tag);
    if (!entry)
        return;
    if (value.empty()) {
        remove_entry(tag);
        return;
    }
    entry->type = type;
    entry->data.assign(value.begin(), value.end());
    if (type == 2)
        entry->data.push_back(0);
}

void Texif_stl::set_date(std::uint16_t tag, int year, int month, int day, int hour, int minute, int second)
{
    if (month == 0 && day == 0) {
        set_string(tag, {}, 2);
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04d:%02d:%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    set_string(tag, text, 2);
}

std::string Texif_stl::get_image_description() const { return get_string(tag_image_description); }
std::string Texif_stl::get_artist() const { return get_string(tag_artist); }

std::string Texif_stl::get_user_comment() const
{
    const std::string stored = get_string(tag_user_comment);
    if (stored.size() <= user_comment_prefix_size)
        return {};
    const std::string text = stored.substr(user_comment_prefix_size);
    if (std::strncmp(stored.c_str(), "UNICODE", user_comment_prefix_size) == 0)
        return utf16le_to_utf8(text);
    return text;
}

bool Texif_stl::get_date_time_original(int& year, int& month, int& day, int& hour, int& minute,
                                       int& second) const
{
    year = month = day = hour = minute = second = 0;
    const std::string stored = get_string(tag_date_time_original);
    if (stored.empty())
        return false;
    int* values[6] = {&year, &month, &day, &hour, &minute, &second};
    scan_date(stored, values);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 && hour <= 23 && minute >= 0 &&
           minute <= 59 && second >= 0 && second <= 59;
}

void Texif_stl::set_image_description(const std::string& text) { set_string(tag_image_description, text, 2); }
void Texif_stl::set_artist(const std::string& text) { set_string(tag_artist, text, 2); }

void Texif_stl::set_user_comment(const std::string& text)
{
    if (text.empty()) {
        set_string(tag_user_comment, text, 2);
        return;
    }
    std::string value(user_comment_ascii_prefix, user_comment_prefix_size);
    value += text;
    set_string(tag_user_comment, value, 7);
}

void Texif_stl::set_date_time_original(int year, int month, int day, int hour, int minute, int second)
{
    set_date(tag_date_time_original, year, month, day, hour, minute, second);
}

void Texif_stl::set_date_time(int year, int month, int day, int hour, int minute, int second)
{
    set_date(tag_date_time, year, month, day, hour, minute, second);
}

void Texif_stl::set_date_time_digitized(int year, int month, int day, int hour, int minute, int second)
{
    set_date(tag_date_time_digitized, year, month, day, hour, minute, second);
}
