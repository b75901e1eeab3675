// Rows for people and for scripts: an aligned table, tab-separated values
// or JSON, from the same cells.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "catalogue/DateTimeValue.h"
#include "cli/CliArguments.h"

namespace lumitag::cli {

// A text, no value (JSON null, empty elsewhere) or a flag.
using Cell = std::variant<std::string, std::nullptr_t, bool>;

struct Column {
    std::string header;  // the table's heading, in the user's language
    std::string key;     // the TSV heading and the JSON member name
};

struct Rows {
    std::vector<Column> columns;
    std::vector<std::vector<Cell>> cells;  // one vector per row, one cell per column
};

void WriteRows(std::ostream& out, const Rows& rows, OutputFormat format);

// "YYYY-MM-DD HH:MM:SS" of a date-time value; "" for no date.
std::string IsoDateText(DateTimeValue value);

// Control characters as \t, \n, \r or \xHH, so that one value stays on one
// line of the table; with escapeBackslash (TSV) also "\" as "\\", so the
// value can be read back exactly.
std::string EscapeControls(const std::string& text, bool escapeBackslash);

// The columns a text takes on a terminal: wide characters count two,
// combining ones none; bytes that are no valid UTF-8 count one each.
std::size_t DisplayWidth(const std::string& text);

}  // namespace lumitag::cli
