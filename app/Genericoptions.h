// TGenericOptions: a program's options kept in one section of an INI file.
//
// A subclass names every option once, in Exchange, with its key and its
// default as text; the base runs that one list to read every option, write
// every option (in Exchange order) or set every option to its default.
#pragma once

#include <functional>
#include <string>
#include <vector>

// An option's default as text: given as it is, or computed only when it is
// used (the system is asked nothing for a value that the file holds).
class TDefaultText {
public:
    TDefaultText(const char* text) : text_(text) {}
    TDefaultText(std::string text) : text_(std::move(text)) {}
    TDefaultText(std::function<std::string()> compute) : compute_(std::move(compute)) {}
    std::string operator()() const { return compute_ ? compute_() : text_; }

private:
    std::string text_;
    std::function<std::string()> compute_;
};

class TGenericOptions {
public:
    // The file is iniFileName beside the executable when such a file is
    // already there, otherwise in $XDG_CONFIG_HOME/lumitag/ (created by the
    // first Save). The choice is made here, once.
    TGenericOptions(std::string iniFileName, const char* section);
    // Keeps the options in the file at iniPath (tests use scratch files).
    TGenericOptions(std::string iniFileName, const char* section, std::string iniPath);

    virtual void ResetToDefaults();  // every option to its default; the file is not read
    virtual ~TGenericOptions() = default;

    void Load();  // every option from the file (its default when missing); clears modified
    void Save();  // every option to the file; clears modified

    const std::string& IniPath() const { return iniPath; }

    // True when an option changed in memory since the last Load or Save; the
    // users of the options set it, only Load and Save clear it.
    bool modified = false;

protected:
    // Calls the Exchange* operations below, one per option, in key order.
    virtual void Exchange(bool load, bool defaultsOnly) = 0;

    // Integers are written in decimal and read as blanks, an optional sign
    // and digits, the rest ignored; text with no number, or a number beyond
    // 32 bits, gives the default. Bools are written "1"/"0" and read as
    // integers (non-zero is true). Lists are written joined by ";" and read
    // split at ";" and line ends, an empty last entry dropped.
    void ExchangeString(std::string& member, const char* key, const TDefaultText& defaultText, bool load,
                        bool defaultsOnly);
    void ExchangeInteger(int& member, const char* key, const TDefaultText& defaultText, bool load,
                         bool defaultsOnly);
    void ExchangeBool(bool& member, const char* key, const TDefaultText& defaultText, bool load, bool defaultsOnly);
    void ExchangeStringList(std::vector<std::string>& member, const char* key, const TDefaultText& defaultText,
                            bool load, bool defaultsOnly);

private:
    // The text to convert for an option: its default, or the stored value
    // (the default when missing); nothing is read when defaultsOnly is set.
    std::string SourceText(const char* key, const TDefaultText& defaultText, bool defaultsOnly) const;
    void Store(const char* key, const std::string& text);

    std::string iniFileName;
    std::string iniPath;
    const char* section;
};
