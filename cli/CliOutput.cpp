#include "cli/CliOutput.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

#include "util/Utf8.h"

namespace lumitag::cli {

namespace {

bool IsWide(char32_t c)
{
    // East Asian wide and full-width characters and the wide emoji blocks.
    return c >= 0x1100
        && (c <= 0x115F || c == 0x2329 || c == 0x232A || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F)
            || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE10 && c <= 0xFE19)
            || (c >= 0xFE30 && c <= 0xFE6F) || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6)
            || (c >= 0x1F300 && c <= 0x1F64F) || (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD));
}

bool IsCombining(char32_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF)
        || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F) || c == 0x200B || c == 0x200D;
}

std::string TableText(const Cell& cell)
{
    if (const auto* text = std::get_if<std::string>(&cell))
        return EscapeControls(*text, false);
    if (const auto* flag = std::get_if<bool>(&cell))
        return *flag ? "yes" : "";
    return {};
}

std::string TsvText(const Cell& cell)
{
    if (const auto* text = std::get_if<std::string>(&cell))
        return EscapeControls(*text, true);
    if (const auto* flag = std::get_if<bool>(&cell))
        return *flag ? "yes" : "no";
    return {};
}

void WriteTable(std::ostream& out, const Rows& rows)
{
    std::vector<std::vector<std::string>> lines;
    lines.reserve(rows.cells.size() + 1);
    std::vector<std::string> heading;
    for (const auto& column : rows.columns)
        heading.push_back(column.header);
    lines.push_back(std::move(heading));
    for (const auto& row : rows.cells) {
        std::vector<std::string> line;
        for (const auto& cell : row)
            line.push_back(TableText(cell));
        lines.push_back(std::move(line));
    }
    std::vector<std::size_t> widths(rows.columns.size(), 0);
    for (const auto& line : lines)
        for (std::size_t i = 0; i < line.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(line[i]));
    std::string text;
    for (const auto& line : lines) {
        text.clear();
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i > 0)
                text.append(2, ' ');
            text += line[i];
            if (i + 1 < line.size())
                text.append(widths[i] - DisplayWidth(line[i]), ' ');
        }
        text.erase(text.find_last_not_of(' ') + 1);
        out << text << '\n';
    }
}

void WriteTsv(std::ostream& out, const Rows& rows)
{
    std::string text;
    for (std::size_t i = 0; i < rows.columns.size(); ++i)
        text += (i ? "\t" : "") + rows.columns[i].key;
    out << text << '\n';
    for (const auto& row : rows.cells) {
        text.clear();
        for (std::size_t i = 0; i < row.size(); ++i)
            text += (i ? "\t" : "") + TsvText(row[i]);
        out << text << '\n';
    }
}

void WriteJson(std::ostream& out, const Rows& rows)
{
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const auto& row : rows.cells) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (std::size_t i = 0; i < row.size(); ++i)
            std::visit([&](const auto& value) { object[rows.columns[i].key] = value; }, row[i]);
        array.push_back(std::move(object));
    }
    // A byte that is no UTF-8 (a file name may hold one) becomes U+FFFD.
    out << array.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

}  // namespace

void WriteRows(std::ostream& out, const Rows& rows, OutputFormat format)
{
    switch (format) {
    case OutputFormat::Table: WriteTable(out, rows); break;
    case OutputFormat::Tsv: WriteTsv(out, rows); break;
    case OutputFormat::Json: WriteJson(out, rows); break;
    }
}

std::string IsoDateText(DateTimeValue value)
{
    if (value == kNoDate)
        return {};
    const auto parts = DecodeDateTime(value);
    if (!parts)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", parts->year, parts->month, parts->day,
                  parts->hour, parts->minute, parts->second);
    return text;
}

std::string EscapeControls(const std::string& text, bool escapeBackslash)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' && escapeBackslash) {
            escaped += "\\\\";
        } else if (c == '\t') {
            escaped += "\\t";
        } else if (c == '\n') {
            escaped += "\\n";
        } else if (c == '\r') {
            escaped += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            escaped += hex;
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::size_t DisplayWidth(const std::string& text)
{
    std::size_t width = 0;
    kivUtil::utf8::ForEachCharacter(text, [&](std::size_t, std::size_t, char32_t c) {
        if (c == kivUtil::utf8::InvalidByte)
            width += 1;
        else if (IsWide(c))
            width += 2;
        else if (!IsCombining(c))
            width += 1;
    });
    return width;
}

}  // namespace lumitag::cli
