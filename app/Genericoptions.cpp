#include "app/Genericoptions.h"

#include "util/IniFile.h"
#include "util/kivUtil.h"

#include <QStandardPaths>
#include <QString>

#include <climits>
#include <sys/stat.h>

namespace {

bool FileExists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// The folder that stands for the system folder of INI files.
std::string ConfigFolder()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (base + "/" + QString(kivUtil::ApplicationTitle()).toLower() + "/").toStdString();
}

std::string LocateIniFile(const std::string& iniFileName)
{
    const std::string besideProgram = kivUtil::ProgramFolder() + iniFileName;
    return FileExists(besideProgram) ? besideProgram : ConfigFolder() + iniFileName;
}

bool ParseInteger(const std::string& text, int& value)
{
    std::size_t pos = text.find_first_not_of(" \t");
    if (pos == std::string::npos)
        return false;
    const bool negative = text[pos] == '-';
    if (text[pos] == '-' || text[pos] == '+')
        ++pos;
    long long number = 0;
    const std::size_t firstDigit = pos;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        number = number * 10 + (text[pos] - '0');
        if (number > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (pos == firstDigit)
        return false;
    number = negative ? -number : number;
    if (number > INT_MAX || number < INT_MIN)
        return false;
    value = static_cast<int>(number);
    return true;
}

// ";" and every line end separate entries; an empty last entry is dropped.
std::vector<std::string> SplitList(const std::string& text)
{
    std::vector<std::string> entries;
    std::string entry;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ';' || c == '\n' || c == '\r') {
            entries.push_back(entry);
            entry.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            entry += c;
        }
    }
    if (!entry.empty())
        entries.push_back(entry);
    return entries;
}

std::string JoinList(const std::vector<std::string>& entries)
{
    std::string text;
    for (std::size_t i = 0; i < entries.size(); ++i)
        text += (i ? ";" : "") + entries[i];
    return text;
}

int IntegerOf(const std::string& text, const TDefaultText& defaultText)
{
    int value = 0;
    if (ParseInteger(text, value) || ParseInteger(defaultText(), value))
        return value;
    return 0;
}

}  // namespace

TGenericOptions::TGenericOptions(std::string iniFileName, const char* section)
    : iniFileName(std::move(iniFileName)), section(section)
{
    iniPath = LocateIniFile(this->iniFileName);
}

TGenericOptions::TGenericOptions(std::string iniFileName, const char* section, std::string iniPath)
    : iniFileName(std::move(iniFileName)), iniPath(std::move(iniPath)), section(section)
{
}

void TGenericOptions::ResetToDefaults()
{
    Exchange(true, true);
}

void TGenericOptions::Load()
{
    Exchange(true, false);
    modified = false;
}

void TGenericOptions::Save()
{
    Exchange(false, false);
    modified = false;
}

std::string TGenericOptions::SourceText(const char* key, const TDefaultText& defaultText, bool defaultsOnly) const
{
    if (defaultsOnly)
        return defaultText();
    auto stored = kivUtil::IniReadValue(iniPath, section, key);
    return stored ? std::move(*stored) : defaultText();
}

// A failed write is not reported: the options stay as they are in memory.
void TGenericOptions::Store(const char* key, const std::string& text)
{
    kivUtil::IniWriteString(iniPath, section, key, text);
}

void TGenericOptions::ExchangeString(std::string& member, const char* key, const TDefaultText& defaultText,
                                     bool load, bool defaultsOnly)
{
    if (load || defaultsOnly)
        member = SourceText(key, defaultText, defaultsOnly);
    else
        Store(key, member);
}

void TGenericOptions::ExchangeInteger(int& member, const char* key, const TDefaultText& defaultText, bool load,
                                      bool defaultsOnly)
{
    if (load || defaultsOnly)
        member = IntegerOf(SourceText(key, defaultText, defaultsOnly), defaultText);
    else
        Store(key, std::to_string(member));
}

void TGenericOptions::ExchangeBool(bool& member, const char* key, const TDefaultText& defaultText, bool load,
                                   bool defaultsOnly)
{
    if (load || defaultsOnly)
        member = IntegerOf(SourceText(key, defaultText, defaultsOnly), defaultText) != 0;
    else
        Store(key, member ? "1" : "0");
}

void TGenericOptions::ExchangeStringList(std::vector<std::string>& member, const char* key,
                                         const TDefaultText& defaultText, bool load, bool defaultsOnly)
{
    if (load || defaultsOnly)
        member = SplitList(SourceText(key, defaultText, defaultsOnly));
    else
        Store(key, JoinList(member));
}
