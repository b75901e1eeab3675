// The compiled-in string table behind Kivlocal.
#pragma once

#include <string_view>

struct LocalisationEntry {
    int id;
    const char* text;  // key, then the texts, each preceded by the separator
};

// The separator between the key and the texts (U+00A4, "¤").
constexpr std::string_view kLocalisationSeparator = "\xC2\xA4";

// The string of id, empty when the table holds none.
std::string_view LocalisationString(int id);
