#include "app/Genericoptions.h"
#include "app/LumitagOptions.h"
#include "util/IniFile.h"
#include "util/kivUtil.h"

#include "support/TestSupport.h"
#include "tests/util/UtilTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using testsupport::ReadText;
using testsupport::ScopedEnv;
using testsupport::ScratchDir;
using testsupport::WriteText;

namespace fs = std::filesystem;

namespace {

using List = std::vector<std::string>;

// One option of each type, as a program would declare them.
class TSampleOptions : public TGenericOptions {
public:
    using TGenericOptions::TGenericOptions;

    std::string text;
    int number = 0;
    bool flag = false;
    List list;

protected:
    void Exchange(bool load, bool defaultsOnly) override
    {
        ExchangeString(text, "text", "default text", load, defaultsOnly);
        ExchangeInteger(number, "number", "42", load, defaultsOnly);
        ExchangeBool(flag, "flag", "1", load, defaultsOnly);
        ExchangeStringList(list, "list", "x;y", load, defaultsOnly);
    }
};

// A user of their own, with a pictures folder.
struct ScratchUser : testsupport::ScratchDesktop {
    ScratchUser() { fs::create_directories(dir.file("Pictures")); }
    std::string Ini() const { return dir.file("config/lumitag/lumitag.ini"); }
};

std::vector<std::string> KeysInFile(const std::string& path)
{
    std::vector<std::string> lines;
    const std::string text = ReadText(path);
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end - start);
        lines.push_back(line.substr(0, line.find('=')));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

}  // namespace

TEST(GenericOptions, LoadReadsEachTypeAndFallsBackToTheDefault)
{
    ScratchDir dir;
    const std::string ini = dir.file("sample.ini");
    const struct {
        std::string stored;  // "-" for a missing key
        std::string text;
        int number;
        bool flag;
        List list;
    } cases[] = {
        {"-", "default text", 42, true, {"x", "y"}},
        {"", "", 42, true, {}},
        {"a;;b", "a;;b", 42, true, {"a", "", "b"}},
        {"a;", "a;", 42, true, {"a"}},
        {";", ";", 42, true, {""}},
        {" 12abc", " 12abc", 12, true, {" 12abc"}},
        {"-7", "-7", -7, true, {"-7"}},
        {"+5", "+5", 5, true, {"+5"}},
        {"0", "0", 0, false, {"0"}},
        {"2", "2", 2, true, {"2"}},
        {"word", "word", 42, true, {"word"}},
        {"99999999999", "99999999999", 42, true, {"99999999999"}},
        {"-2147483648", "-2147483648", -2147483647 - 1, true, {"-2147483648"}},
    };
    for (const auto& c : cases) {
        WriteText(ini, "[Section]\n");
        if (c.stored != "-") {
            for (const char* key : {"text", "number", "flag", "list"})
                ASSERT_TRUE(kivUtil::IniWriteString(ini, "Section", key, c.stored));
        }
        TSampleOptions options("sample.ini", "Section", ini);
        options.modified = true;
        options.Load();
        EXPECT_EQ(options.text, c.text) << c.stored;
        EXPECT_EQ(options.number, c.number) << c.stored;
        EXPECT_EQ(options.flag, c.flag) << c.stored;
        EXPECT_EQ(options.list, c.list) << c.stored;
        EXPECT_FALSE(options.modified);
    }
}

TEST(GenericOptions, SaveWritesEveryOptionInOrderAndKeepsOtherKeys)
{
    ScratchDir dir;
    const std::string ini = dir.file("sample.ini");
    WriteText(ini, "; mine\n[Section]\nunknown=kept\n[Other]\ntext=other\n");
    TSampleOptions options("sample.ini", "Section", ini);
    options.text = "Été à Noël";
    options.number = -3;
    options.flag = false;
    options.list = {};
    options.modified = true;
    options.Save();
    EXPECT_FALSE(options.modified);
    EXPECT_EQ(ReadText(ini),
              "; mine\n[Section]\nunknown=kept\ntext=Été à Noël\nnumber=-3\nflag=0\nlist=\n[Other]\ntext=other\n");

    options.list = {"/a/", "", "/b/"};
    options.flag = true;
    options.Save();
    TSampleOptions reread("sample.ini", "Section", ini);
    reread.Load();
    EXPECT_EQ(reread.text, "Été à Noël");
    EXPECT_EQ(reread.number, -3);
    EXPECT_TRUE(reread.flag);
    EXPECT_EQ(reread.list, (List{"/a/", "", "/b/"}));
}

TEST(GenericOptions, ResetToDefaultsNeitherReadsTheFileNorClearsModified)
{
    ScratchDir dir;
    const std::string ini = dir.file("sample.ini");
    WriteText(ini, "[Section]\ntext=stored\nnumber=7\nflag=0\nlist=s\n");
    TSampleOptions options("sample.ini", "Section", ini);
    options.modified = true;
    options.ResetToDefaults();
    EXPECT_EQ(options.text, "default text");
    EXPECT_EQ(options.number, 42);
    EXPECT_TRUE(options.flag);
    EXPECT_EQ(options.list, (List{"x", "y"}));
    EXPECT_TRUE(options.modified);
    EXPECT_EQ(ReadText(ini), "[Section]\ntext=stored\nnumber=7\nflag=0\nlist=s\n");
}

TEST(GenericOptions, TheFileBesideTheProgramWinsOnlyWhenItExists)
{
    if (::access(kivUtil::ProgramFolder().c_str(), W_OK) != 0)
        GTEST_SKIP() << "cannot write beside the test program: skipping";
    ScratchUser user;
    const std::string name = "options-test-" + std::to_string(::getpid()) + ".ini";
    const std::string beside = kivUtil::ProgramFolder() + name;
    const std::string inConfig = user.dir.file("config/lumitag/" + name);

    TSampleOptions first(name, "Section");
    EXPECT_EQ(first.IniPath(), inConfig);
    first.Load();
    EXPECT_EQ(first.text, "default text");
    first.Save();
    EXPECT_EQ(kivUtil::IniReadString(inConfig, "Section", "number", ""), "42");

    WriteText(beside, "[Section]\ntext=beside\n");
    struct RemoveAtEnd {
        std::string path;
        ~RemoveAtEnd() { std::remove(path.c_str()); }
    } removeBeside{beside};
    TSampleOptions second(name, "Section");
    EXPECT_EQ(second.IniPath(), beside);
    second.Load();
    EXPECT_EQ(second.text, "beside");
    second.number = 5;
    second.Save();
    EXPECT_EQ(kivUtil::IniReadString(beside, "Section", "number", ""), "5");
    EXPECT_EQ(kivUtil::IniReadString(inConfig, "Section", "number", ""), "42");
}

TEST(LumitagOptions, ConstructionSetsEverythingEmptyAndReadsNothing)
{
    ScratchUser user;
    WriteText(user.Ini(), "[Options]\nlanguage=1\ndefault_artist=stored\n");
    TLumitagOptions options;
    EXPECT_EQ(options.IniPath(), user.Ini());
    EXPECT_TRUE(options.last_dirs.empty());
    EXPECT_EQ(options.default_artist, "");
    EXPECT_EQ(options.language, 0);
    EXPECT_EQ(options.default_description_option, 0);
    EXPECT_FALSE(options.remove_accentuated_letters);
    EXPECT_TRUE(options.last_formats.empty());
    EXPECT_EQ(options.external_editor, "");
    EXPECT_FALSE(options.modified);
}

TEST(LumitagOptions, AFirstRunTakesTheDefaultsAndTheFirstSaveWritesThirteenKeysInOrder)
{
    ScratchUser user;
    TLumitagOptions options;
    options.Load();
    EXPECT_EQ(options.last_dirs, List{user.dir.file("Pictures/")});
    EXPECT_EQ(options.default_artist, kivUtil::DefaultUserName());
    EXPECT_EQ(options.default_user_comment, "");
    EXPECT_EQ(options.last_description, "");
    EXPECT_EQ(options.default_format, "");
    EXPECT_EQ(options.language, 0);
    EXPECT_EQ(options.default_description_option, 1);
    EXPECT_EQ(options.focus_action_option, 0);
    EXPECT_TRUE(options.remove_accentuated_letters);
    EXPECT_FALSE(options.remove_spaces);
    EXPECT_EQ(options.last_formats, (List{"%Y-%M2-%D2.%ND2.%I", "%N2.%I", "%U - %I - %D %M %y2"}));
    EXPECT_EQ(options.external_editor, "");
    EXPECT_FALSE(options.change_file_date);
    EXPECT_EQ(options.firstDescription, "");

    EXPECT_FALSE(fs::exists(user.Ini())) << "loading writes nothing";
    options.Save();
    EXPECT_EQ(KeysInFile(user.Ini()),
              (std::vector<std::string>{"[Options]", "last_dirs", "default_artist", "default_user_comment",
                                        "last_description", "default_format", "language",
                                        "default_description_option", "focus_action_option",
                                        "remove_accentuated_letters", "remove_spaces", "last_formats",
                                        "external_editor", "change_file_date"}));
}

TEST(LumitagOptions, DefaultsFollowTheSystemButStoredValuesWin)
{
    ScratchUser user;
    ScopedEnv french{{"LANG", "fr_FR.UTF-8"}};
    fs::remove(user.dir.file("Pictures"));
    TLumitagOptions options;
    options.Load();
    EXPECT_EQ(options.language, 1);
    EXPECT_TRUE(options.last_dirs.empty()) << "no pictures folder, no entry";
    options.ResetToDefaults();
    EXPECT_EQ(options.language, 1);

    WriteText(user.Ini(), "[Options]\nlanguage=0\n");
    options.Load();
    EXPECT_EQ(options.language, 0);
}

TEST(LumitagOptions, TheExternalEditorDefaultsToTheJpegProgram)
{
    if (!testsupport::HaveProgram("xdg-mime"))
        GTEST_SKIP() << "xdg-mime not installed (package xdg-utils): skipping";
    ScratchUser user;
    const std::string program = user.dir.file("bin/viewer");
    testsupport::WriteProgram(program);
    user.AssociateJpeg("viewer.desktop", program + " %f");
    TLumitagOptions options;
    options.Load();
    EXPECT_EQ(options.external_editor, program);
}

TEST(LumitagOptions, EveryStoredOptionComesBackAfterSaveAndLoad)
{
    ScratchUser user;
    TLumitagOptions saved;
    saved.last_dirs = {"/photos/Été/", "/tmp/"};
    saved.default_artist = " Jean Dupont ";
    saved.default_user_comment = "Noël";
    saved.last_description = "\"quoted\"";
    saved.default_format = "%Y";
    saved.language = 1;
    saved.default_description_option = 3;
    saved.focus_action_option = 2;
    saved.remove_accentuated_letters = false;
    saved.remove_spaces = true;
    saved.last_formats = {"%N2.%I"};
    saved.external_editor = "/usr/bin/gimp";
    saved.change_file_date = true;
    saved.firstDescription = "memory only";
    saved.Save();

    TLumitagOptions loaded;
    loaded.Load();
    EXPECT_EQ(loaded.last_dirs, saved.last_dirs);
    EXPECT_EQ(loaded.default_artist, saved.default_artist);
    EXPECT_EQ(loaded.default_user_comment, saved.default_user_comment);
    EXPECT_EQ(loaded.last_description, saved.last_description);
    EXPECT_EQ(loaded.default_format, saved.default_format);
    EXPECT_EQ(loaded.language, 1);
    EXPECT_EQ(loaded.default_description_option, 3);
    EXPECT_EQ(loaded.focus_action_option, 2);
    EXPECT_FALSE(loaded.remove_accentuated_letters);
    EXPECT_TRUE(loaded.remove_spaces);
    EXPECT_EQ(loaded.last_formats, saved.last_formats);
    EXPECT_EQ(loaded.external_editor, saved.external_editor);
    EXPECT_TRUE(loaded.change_file_date);
    EXPECT_EQ(loaded.firstDescription, "");
}

TEST(LumitagOptions, TheAccessorReturnsOneInstance)
{
    ScratchUser user;
    TLumitagOptions& options = LumitagOptions();
    EXPECT_EQ(&options, &LumitagOptions());
    EXPECT_FALSE(options.modified);
}
