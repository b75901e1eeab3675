// UTF-8 stepping shared by the text functions of kivUtil.
#pragma once

#include <cstddef>
#include <string>

namespace kivUtil::utf8 {

// Length of the valid UTF-8 sequence at text[pos] (1 for ASCII), or 0 when
// the bytes there are not a complete, valid sequence. Overlong forms,
// surrogates and code points past U+10FFFF are not valid.
std::size_t SequenceLength(const std::string& text, std::size_t pos);

// True when text[pos] starts a valid sequence that the end of the text cuts.
bool IsCutSequence(const std::string& text, std::size_t pos);

// The code point of the valid sequence of length len at text[pos].
char32_t CodePointAt(const std::string& text, std::size_t pos, std::size_t len);

void Append(std::string& out, char32_t codePoint);

constexpr char32_t InvalidByte = 0xFFFFFFFF;

// Calls visit(pos, byteLength, codePoint) for each character; a byte that is
// not part of a valid sequence is visited alone with codePoint InvalidByte.
template <typename Visit>
void ForEachCharacter(const std::string& text, Visit visit)
{
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t len = SequenceLength(text, pos);
        if (len == 0) {
            visit(pos, std::size_t(1), InvalidByte);
            ++pos;
        } else {
            visit(pos, len, CodePointAt(text, pos, len));
            pos += len;
        }
    }
}

}  // namespace kivUtil::utf8
