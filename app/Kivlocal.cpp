#include "app/Kivlocal.h"

#include "app/KivlocalTable.h"

#include <QString>

#include <atomic>
#include <cstdlib>

namespace {

constexpr int kLanguageListId = 17000;
constexpr int kFirstKeyId = 17001;
constexpr int kLastKeyId = 17999;
// So many missing strings in a row end the key lookup.
constexpr int kEmptyRunThatEndsLookup = 16;

std::atomic<int> currentLanguage{0};

bool IsAscii(std::string_view text)
{
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Whether entry begins with key followed by the separator, ignoring case.
// An ASCII key is compared byte by byte, which is what a case-insensitive
// comparison gives for the ASCII keys of the table.
bool StartsWithKey(std::string_view entry, const std::string& key)
{
    if (IsAscii(key)) {
        if (entry.size() < key.size() + kLocalisationSeparator.size())
            return false;
        for (std::size_t i = 0; i < key.size(); ++i)
            if (AsciiLower(entry[i]) != AsciiLower(key[i]))
                return false;
        return entry.substr(key.size(), kLocalisationSeparator.size()) == kLocalisationSeparator;
    }
    const QString prefix = QString::fromStdString(key) + QString::fromUtf8(kLocalisationSeparator);
    const QString start = QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size())).left(prefix.size());
    return QString::compare(start, prefix, Qt::CaseInsensitive) == 0;
}

// Text number index of an entry (0 English, 1 French), or nothing.
bool TextOfEntry(std::string_view entry, int index, std::string& text)
{
    if (index < 0)
        return false;
    std::size_t start = entry.find(kLocalisationSeparator);
    for (int skipped = 0; start != std::string_view::npos && skipped < index; ++skipped)
        start = entry.find(kLocalisationSeparator, start + kLocalisationSeparator.size());
    if (start == std::string_view::npos)
        return false;
    start += kLocalisationSeparator.size();
    const std::size_t end = entry.find(kLocalisationSeparator, start);
    text = std::string(entry.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    return !text.empty();
}

}  // namespace

int IdOfKey(const std::string& key)
{
    int emptyRun = 0;
    for (int id = kFirstKeyId; id <= kLastKeyId; ++id) {
        const std::string_view entry = LocalisationString(id);
        if (entry.empty()) {
            if (++emptyRun == kEmptyRunThatEndsLookup)
                return 0;
            continue;
        }
        emptyRun = 0;
        if (StartsWithKey(entry, key))
            return id;
    }
    return 0;
}

std::string TextOfId(int id)
{
    std::string text;
    return TextOfEntry(LocalisationString(id), currentLanguage.load(), text) ? text : "?";
}

std::string TextOfKey(const std::string& key)
{
    const int id = IdOfKey(key);
    return id == 0 ? key + "??" : TextOfId(id);
}

std::vector<std::string> LanguageNames()
{
    std::vector<std::string> names;
    for (std::string name; TextOfEntry(LocalisationString(kLanguageListId), static_cast<int>(names.size()), name);)
        names.push_back(name);
    return names;
}

int IdOfText(const std::string& text)
{
    if (text.empty())
        return 0;
    if (text[0] == '_')
        return IdOfKey(text);
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos)
        return std::atoi(text.c_str() + nul + 1);
    return 0;
}

bool TranslateText(std::string& text, int& hiddenId)
{
    const int id = hiddenId != 0 ? hiddenId : IdOfText(text);
    if (id == 0)
        return false;
    text = TextOfId(id);
    hiddenId = id;
    return true;
}

int CurrentLanguage() { return currentLanguage.load(); }
void SetCurrentLanguage(int language) { currentLanguage.store(language); }
