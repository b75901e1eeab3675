#include "app/Kivlocal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

constexpr int English = 0;
constexpr int French = 1;
const std::set<int> kEmptyIds = {17023, 17043, 17051, 17073};
const std::string kNbsp = "\u00A0";

// Sets the current language for the scope and puts English back.
struct InLanguage {
    explicit InLanguage(int language) { SetCurrentLanguage(language); }
    ~InLanguage() { SetCurrentLanguage(English); }
};

std::string TextIn(int language, const std::string& key)
{
    InLanguage in(language);
    return TextOfKey(key);
}

// The key literals that a source text hands to TextOfKey.
std::vector<std::string> KeysHandedToTextOfKey(const std::string& source)
{
    static const std::regex call(R"re(\bTextOfKey\s*\(\s*"((?:[^"\\]|\\.)*)")re");
    std::vector<std::string> keys;
    for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it)
        keys.push_back((*it)[1]);
    return keys;
}

}  // namespace

TEST(LocalisationTable, EveryIdHasAnEnglishAndAFrenchTextExceptTheEmptyOnes)
{
    for (int id = 17000; id <= 17076; ++id) {
        for (int language : {English, French}) {
            InLanguage in(language);
            if (kEmptyIds.count(id))
                EXPECT_EQ(TextOfId(id), "?") << id;
            else
                EXPECT_NE(TextOfId(id), "?") << id << " in language " << language;
        }
    }
    InLanguage in(2);
    EXPECT_EQ(TextOfId(17001), "?") << "there is no third language";
}

TEST(LocalisationTable, TextsAreExactlyTheTablesOnes)
{
    const struct {
        std::string key, english, french;
    } cases[] = {
        {"_browse", "&Browse", "Parc&ourir"},
        {"_language", "&Language" + kNbsp + ":", "&Langue" + kNbsp + ":"},
        {"_date", "&Date:", "&Date" + kNbsp + ":"},
        {"_validate_and_edit_next", "&Validate and edit next (Enter)", "&Valider et passer au suivant (Entrée)"},
        {"_live_preview_label", "Preview 1st element:", "Aperçu 1er élément :"},
        {"_folder_does_not_exists", "Folder '%s' does not exist!", "Le dossier '%s' n'existe pas" + kNbsp + "!"},
        {"_file_does_not_exist_must_refresh", "File '%s' does not exist! Press the refresh button and try again.",
         "Le fichier '%s' n'existe pas! Utiliser le bouton 'rafraichir' et reessayer."},
        {"failed_to_write", "Failed to write: ", "Impossible d'enregistrer" + kNbsp + ": "},
        {"_wrote", " wrote.", " enregistré."},
        {"_loading_status", "Loading %d%%...", "Chargement %d%%..."},
        {"_replace_space_with_underscore", "Replace spaces with underscore \"_\"",
         "Remplacer les espaces par des soulignés \"_\""},
        {"_failed_to_start_%s_on_picture_%s",
         "Failed to launch application:\n%s\non picture:\n%s\nCheck external editor setting.",
         "Impossible de démarrer l'application" + kNbsp + ":\n%s\nsur l'image" + kNbsp +
             ":\n%s\nVerifier l'éditeur externe dans les options."},
        {"_long_months", "January;February;March;April;May;June;July;August;September;October;November;December",
         "janvier;février;mars;avril;mai;juin;juillet;août;septembre;octobre;novembre;décembre"},
        {"_short_days", "Sun;Mon;Tue;Wed;Thu;Fri;Sat", "dim;lun;mar;mer;jeu;ven;sam"},
        {"_index_start_at", "%N index starts at:", "Début index %N :"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TextIn(English, c.key), c.english) << c.key;
        EXPECT_EQ(TextIn(French, c.key), c.french) << c.key;
    }
}

TEST(LocalisationTable, NoBreakSpacesStandExactlyWhereTheTableHasThem)
{
    const std::set<std::pair<std::string, int>> withNbsp = {
        {"_language", English}, {"_language", French}, {"_find_jpg_from", French},
        {"_image_description", French}, {"_user_comment", French}, {"_artist", French}, {"_date", French},
        {"_format_description_3", French}, {"_can_not_apply_warn", French}, {"_folder_does_not_exists", French},
        {"_error_reading_exif_from_file", French}, {"failed_to_write", French}, {"_info_suggestions", French},
        {"_image_editor", French}, {"_failed_to_start_%s_on_picture_%s", French},
        {"_make_paypal_donation", French},
    };
    for (int id = 17001; id <= 17076; ++id) {
        if (kEmptyIds.count(id))
            continue;
        for (int language : {English, French}) {
            InLanguage in(language);
            const std::string text = TextOfId(id);
            std::string key;
            for (const auto& [k, l] : withNbsp)
                if (l == language && IdOfKey(k) == id)
                    key = k;
            const bool expected = !key.empty();
            std::string withoutNbspBeforePunctuation = std::regex_replace(text, std::regex(kNbsp + "([:!])"), "$1");
            EXPECT_EQ(text.find(kNbsp) != std::string::npos, expected) << id << " in language " << language;
            EXPECT_EQ(withoutNbspBeforePunctuation.find(kNbsp), std::string::npos)
                << id << ": a no-break space elsewhere than before \":\" or \"!\"";
        }
    }
}

TEST(Localisation, TextOfKeyFindsKeysIgnoringCaseAndMarksMissingOnes)
{
    const struct {
        std::string key;
        int language;
        std::string expected;
    } cases[] = {
        {"_date", English, "&Date:"},
        {"_DATE", English, "&Date:"},
        {"_Date_Time_Col", French, "Date Heure"},
        {"_date", French, "&Date" + kNbsp + ":"},
        {"failed_to_write", English, "Failed to write: "},
        {"languages", English, "languages??"},
        {"_dat", English, "_dat??"},
        {"_no_such_key", French, "_no_such_key??"},
        {"", English, "??"},
        {"_crusor_at_begin", English, "Set cursor at the begining"},
        {"_index_start_at", French, "Début index %N :"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TextIn(c.language, c.key), c.expected) << c.key << " in language " << c.language;
}

TEST(Localisation, IdsOfKeysAndTexts)
{
    const struct {
        std::string text;
        int id;
    } cases[] = {
        {"_browse", 17001},
        {"_date", 17013},
        {"_date_time_col", 17020},
        {"_index_start_at", 17076},
        {"_FAILED_TO_START_%S_ON_PICTURE_%S", 17071},
        {"_no_such_key", 0},
        {"plain text", 0},
        {"lbApplicationTitle", 0},
        {"1", 0},
        {"", 0},
        {std::string("Browse\0" "17001", 12), 17001},
        {std::string("Browse\0", 7), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IdOfText(c.text), c.id) << c.text;
    EXPECT_EQ(IdOfKey("languages"), 0) << "the language list is not found by key";
    EXPECT_EQ(IdOfKey("_date"), 17013);
}

TEST(Localisation, LanguageNamesComeInLanguageOrder)
{
    InLanguage in(French);
    EXPECT_EQ(LanguageNames(), (std::vector<std::string>{"English", "Français"}));
}

TEST(Localisation, TranslateTextRemembersItsSourceId)
{
    InLanguage in(French);
    std::string hint = "_refresh_file_list_hint";
    int hiddenId = 0;
    ASSERT_TRUE(TranslateText(hint, hiddenId));
    EXPECT_EQ(hint, "Rafraichir la liste des fichiers");
    EXPECT_EQ(hiddenId, 17044);

    SetCurrentLanguage(English);
    ASSERT_TRUE(TranslateText(hint, hiddenId)) << "the remembered id is used, not the shown text";
    EXPECT_EQ(hint, "Refresh file list");

    std::string plain = "Plain hint";
    int none = 0;
    EXPECT_FALSE(TranslateText(plain, none));
    EXPECT_EQ(plain, "Plain hint");
    EXPECT_EQ(none, 0);
}

TEST(Localisation, TheKeyScannerFindsTheLiteralsHandedToTextOfKey)
{
    const std::string source = R"(
        ShowWarning(TextOfKey("_folder_does_not_exists").c_str(), folder);
        caption = TextOfKey ( "_done" ) + TextOfKey(variable);
        // MyTextOfKey("_not_a_call") is another function
        auto s = TextOfKey("_with \"quote\"");
    )";
    EXPECT_EQ(KeysHandedToTextOfKey(source),
              (std::vector<std::string>{"_folder_does_not_exists", "_done", "_with \\\"quote\\\""}));
}

TEST(Localisation, EveryKeyUsedFromCodeIsInTheTable)
{
    const fs::path root = LUMITAG_SOURCE_DIR;
    ASSERT_TRUE(fs::is_directory(root / "app")) << root;
    const std::set<std::string> sourceExtensions = {".cpp", ".h", ".hpp", ".cc"};
    std::vector<std::string> missing;
    std::size_t keysSeen = 0, filesRead = 0;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        const std::string name = it->path().filename().string();
        // Tests use missing keys on purpose; build trees hold no sources of ours.
        if (it->is_directory() && (name == "tests" || name.rfind("build", 0) == 0 || name[0] == '.')) {
            it.disable_recursion_pending();
            continue;
        }
        if (!it->is_regular_file() || !sourceExtensions.count(it->path().extension().string()))
            continue;
        ++filesRead;
        std::ifstream in(it->path());
        std::stringstream text;
        text << in.rdbuf();
        for (const std::string& key : KeysHandedToTextOfKey(text.str())) {
            ++keysSeen;
            if (IdOfKey(key) == 0)
                missing.push_back(it->path().string() + ": " + key);
        }
    }
    EXPECT_TRUE(missing.empty()) << "keys missing from the table:\n" << ::testing::PrintToString(missing);
    EXPECT_GT(filesRead, 10u) << "the scan found the project's sources";
    std::cout << "[ INFO     ] " << keysSeen << " key literals in " << filesRead << " files checked\n";
}
