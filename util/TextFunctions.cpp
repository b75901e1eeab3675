#include "util/kivUtil.h"
#include "util/Utf8.h"

#include <cstdio>

namespace kivUtil {

namespace utf8 {

static bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The number of bytes a sequence with this lead byte has, 0 for a byte that
// cannot start one (a continuation byte, 0xC0, 0xC1, 0xF5 and above).
static std::size_t ExpectedLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// Whether the second byte is allowed after this lead byte; this is where
// overlong forms, surrogates and values past U+10FFFF are refused.
static bool SecondByteFits(unsigned char lead, unsigned char second)
{
    switch (lead) {
    case 0xE0: return second >= 0xA0 && second <= 0xBF;
    case 0xED: return second >= 0x80 && second <= 0x9F;
    case 0xF0: return second >= 0x90 && second <= 0xBF;
    case 0xF4: return second >= 0x80 && second <= 0x8F;
    default: return IsContinuation(second);
    }
}

// How many bytes from pos form a valid start of a sequence (at most its
// expected length), 0 when the lead byte is invalid.
static std::size_t ValidPrefixLength(const std::string& text, std::size_t pos, std::size_t expected)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t n = 1;
    while (n < expected && pos + n < text.size()) {
        const bool fits = n == 1 ? SecondByteFits(byte(pos), byte(pos + 1)) : IsContinuation(byte(pos + n));
        if (!fits)
            break;
        ++n;
    }
    return n;
}

std::size_t SequenceLength(const std::string& text, std::size_t pos)
{
    const std::size_t expected = ExpectedLength(static_cast<unsigned char>(text[pos]));
    if (expected <= 1)
        return expected;
    return ValidPrefixLength(text, pos, expected) == expected ? expected : 0;
}

bool IsCutSequence(const std::string& text, std::size_t pos)
{
    const std::size_t expected = ExpectedLength(static_cast<unsigned char>(text[pos]));
    if (expected <= 1)
        return false;
    const std::size_t valid = ValidPrefixLength(text, pos, expected);
    return valid < expected && pos + valid == text.size();
}

char32_t CodePointAt(const std::string& text, std::size_t pos, std::size_t len)
{
    static constexpr unsigned char leadMask[] = {0, 0x7F, 0x1F, 0x0F, 0x07};
    char32_t cp = static_cast<unsigned char>(text[pos]) & leadMask[len];
    for (std::size_t i = 1; i < len; ++i)
        cp = (cp << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3F);
    return cp;
}

void Append(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace utf8

namespace {

// The folded form of a character, or nullptr when it stays as it is.
const char* FoldedLetter(char32_t cp)
{
    switch (cp) {
    case U'À': case U'Á': case U'Â': case U'Ä':
    case U'à': case U'á': case U'â': case U'ä': return "a";
    case U'Ç': return "C";
    case U'ç': return "c";
    case U'È': case U'É': case U'Ê': case U'Ë':
    case U'è': case U'é': case U'ê': case U'ë': return "e";
    case U'Ì': case U'Í': case U'Î': case U'Ï':
    case U'ì': case U'í': case U'î': case U'ï': return "i";
    case U'Ò': case U'Ó': case U'Ô': case U'Ö':
    case U'ò': case U'ó': case U'ô': case U'ö': return "o";
    case U'Ù': case U'Ú': case U'Û': case U'Ü':
    case U'ù': case U'ú': case U'û': case U'ü': return "u";
    case U'æ': return "ae";
    case U'œ': return "oe";
    default: return nullptr;
    }
}

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned ones keep their value.
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t Windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kWindows1252High[byte - 0x80] : char32_t(byte);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    std::string out;
    std::size_t start = 0;
    for (std::size_t hit; (hit = text.find(from, start)) != std::string::npos; start = hit + from.size())
        out.append(text, start, hit - start).append(to);
    return out.append(text, start, std::string::npos);
}

}  // namespace

std::string FoldAccents(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    utf8::ForEachCharacter(text, [&](std::size_t pos, std::size_t len, char32_t cp) {
        if (const char* folded = FoldedLetter(cp))
            out += folded;
        else
            out.append(text, pos, len);
    });
    return out;
}

std::string SpacesToUnderscores(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c == ' ')
            c = '_';
    return out;
}

// Only ASCII characters are replaced, and no byte of a multi-byte UTF-8
// sequence is ASCII, so a byte walk cannot touch part of a character.
std::string ReplaceInvalidChars(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '"': out += "''"; break;
        case '*': out += "\u00A4"; break;
        case '/': case '\\': out += '-'; break;
        case ':': out += '.'; break;
        case '<': out += '['; break;
        case '>': out += ']'; break;
        case '?': out += "\u00BF"; break;
        case '|': out += '!'; break;
        default: out += c;
        }
    }
    return out;
}

std::string CleanDialogFileName(const std::string& text)
{
    static const std::pair<const char*, const char*> steps[] = {
        {"\\\\", "\\"}, {"/", "-"}, {"*", "-"}, {"?", "-"}, {"\"", "-"},
        {"<", "["},     {">", "]"}, {"|", "-"}, {":", "-"},
    };
    std::string out = text;
    for (const auto& [from, to] : steps)
        out = ReplaceAll(std::move(out), from, to);
    return out;
}

std::string FileExtension(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
}

std::string FileNameWithoutExtension(const std::string& fileName)
{
    return fileName.substr(0, fileName.rfind('.'));
}

std::string Utf8ToAnsi(const std::string& raw)
{
    const std::string text = raw.substr(0, raw.find('\0'));
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    bool holdsUtf8 = text.find('\xC3') != std::string::npos;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t len = utf8::SequenceLength(text, pos);
        if (len > 0) {
            holdsUtf8 = holdsUtf8 || len > 1;
            out.append(text, pos, len);
            pos += len;
        } else if (utf8::IsCutSequence(text, pos)) {
            break;
        } else {
            utf8::Append(out, Windows1252Character(static_cast<unsigned char>(text[pos])));
            ++pos;
        }
    }
    if (!holdsUtf8)
        for (; pos < text.size(); ++pos)
            utf8::Append(out, Windows1252Character(static_cast<unsigned char>(text[pos])));
    return out;
}

std::string CutToBytes(const std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::size_t start = maxBytes;
    while (start > 0 && maxBytes - start < 3 && utf8::IsContinuation(static_cast<unsigned char>(text[start])))
        --start;
    const std::size_t len = utf8::SequenceLength(text, start);
    const bool splitsCharacter = len > 1 && start + len > maxBytes;
    return text.substr(0, splitsCharacter ? start : maxBytes);
}

std::string FormatTextV(std::size_t maxBytes, const char* format, va_list args)
{
    va_list measure;
    va_copy(measure, args);
    const int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0)
        return {};
    std::string text(static_cast<std::size_t>(needed), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, args);
    return CutToBytes(text, maxBytes);
}

}  // namespace kivUtil
