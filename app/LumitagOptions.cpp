#include "app/LumitagOptions.h"

#include "util/kivUtil.h"

namespace {

constexpr const char* kIniFileName = "lumitag.ini";
constexpr const char* kSection = "Options";

}  // namespace

TLumitagOptions::TLumitagOptions() : TGenericOptions(kIniFileName, kSection) {}

TLumitagOptions::TLumitagOptions(std::string iniPath) : TGenericOptions(kIniFileName, kSection, std::move(iniPath)) {}

// The computed defaults are asked of the system only when they are used.
void TLumitagOptions::Exchange(bool load, bool defaultsOnly)
{
    const TDefaultText languageOfSystem([] { return kivUtil::SystemLanguageIsFrench() ? "1" : "0"; });
    const TDefaultText jpegProgram([] { return kivUtil::FindAssociatedProgram("jpg"); });
    ExchangeStringList(last_dirs, "last_dirs", TDefaultText(kivUtil::PicturesFolder), load, defaultsOnly);
    ExchangeString(default_artist, "default_artist", TDefaultText(kivUtil::DefaultUserName), load, defaultsOnly);
    ExchangeString(default_user_comment, "default_user_comment", "", load, defaultsOnly);
    ExchangeString(last_description, "last_description", "", load, defaultsOnly);
    ExchangeString(default_format, "default_format", "", load, defaultsOnly);
    ExchangeInteger(language, "language", languageOfSystem, load, defaultsOnly);
    ExchangeInteger(default_description_option, "default_description_option", "1", load, defaultsOnly);
    ExchangeInteger(focus_action_option, "focus_action_option", "0", load, defaultsOnly);
    ExchangeBool(remove_accentuated_letters, "remove_accentuated_letters", "1", load, defaultsOnly);
    ExchangeBool(remove_spaces, "remove_spaces", "0", load, defaultsOnly);
    ExchangeStringList(last_formats, "last_formats", "%Y-%M2-%D2.%ND2.%I;%N2.%I;%U - %I - %D %M %y2", load,
                       defaultsOnly);
    ExchangeString(external_editor, "external_editor", jpegProgram, load, defaultsOnly);
    ExchangeBool(change_file_date, "change_file_date", "0", load, defaultsOnly);
}

TLumitagOptions& LumitagOptions()
{
    static TLumitagOptions options;
    return options;
}
