#include "util/kivUtil.h"

#include "support/TestSupport.h"
#include "tests/util/UtilTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

using namespace kivUtil;
using testsupport::ScopedEnv;
using testsupport::ScratchDesktop;
using testsupport::WriteProgram;
using testsupport::ScratchDir;
using testsupport::WriteText;

namespace fs = std::filesystem;

namespace {

std::string Trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

}  // namespace

TEST(UserNames, FullNameFromGecosStopsAtTheFirstComma)
{
    const struct {
        const char* gecos;
        std::string expected;
    } cases[] = {
        {"Jean Dupont,Bureau 12,555-1234,", "Jean Dupont"},
        {"Hélène Noël", "Hélène Noël"},
        {",Room 1", ""},
        {"", ""},
        {nullptr, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FullNameFromGecos(c.gecos), c.expected) << (c.gecos ? c.gecos : "(null)");
}

TEST(UserNames, ComeFromTheAccountOfTheProcessUser)
{
    const auto entry = testsupport::RunCommand({"getent", "passwd", std::to_string(getuid())});
    ASSERT_EQ(entry.status, 0);
    const std::string line = Trimmed(entry.output);
    std::vector<std::string> fields;
    for (std::size_t start = 0;;) {
        const std::size_t colon = line.find(':', start);
        fields.push_back(line.substr(start, colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    ASSERT_GE(fields.size(), 5u);
    EXPECT_EQ(LoginUserName(), fields[0]);
    EXPECT_EQ(DefaultUserName(), fields[4].substr(0, fields[4].find(',')));
}

TEST(SystemLanguage, FrenchWhenTheFirstSetLocaleVariableIsFrench)
{
    using V = std::optional<std::string>;
    const struct {
        V all, messages, lang;
        bool french;
    } cases[] = {
        {{}, {}, "fr_FR.UTF-8", true},
        {{}, {}, "fr_CA", true},
        {{}, {}, "fr", true},
        {{}, {}, "fr@euro", true},
        {{}, {}, "en_US.UTF-8", false},
        {{}, {}, "fra", false},
        {{}, {}, "C", false},
        {{}, {}, {}, false},
        {"en_GB.UTF-8", {}, "fr_FR.UTF-8", false},
        {"", "fr_BE.UTF-8", "en_US.UTF-8", true},
        {{}, "de_DE", "fr_FR", false},
    };
    for (const auto& c : cases) {
        ScopedEnv env{{"LC_ALL", c.all}, {"LC_MESSAGES", c.messages}, {"LANG", c.lang}};
        EXPECT_EQ(SystemLanguageIsFrench(), c.french)
            << c.all.value_or("-") << " " << c.messages.value_or("-") << " " << c.lang.value_or("-");
    }
}

TEST(Folders, DesktopAndPicturesExistOrAreEmpty)
{
    ScratchDesktop desktop;
    EXPECT_EQ(DesktopFolder(), "");
    EXPECT_EQ(PicturesFolder(), "");
    fs::create_directories(desktop.dir.file("Desktop"));
    fs::create_directories(desktop.dir.file("Images"));
    WriteText(desktop.dir.file("config/user-dirs.dirs"), "XDG_PICTURES_DIR=\"$HOME/Images\"\n");
    EXPECT_EQ(DesktopFolder(), desktop.dir.file("Desktop/"));
    EXPECT_EQ(PicturesFolder(), desktop.dir.file("Images/"));
    EXPECT_EQ(TempFolder(), desktop.dir.file("tmp/"));
    EXPECT_EQ(ProgramFilesFolder(), "/usr/bin/");
}

TEST(Folders, ProgramFolderHoldsTheRunningExecutable)
{
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(fs::canonical("/proc/self/exe").parent_path().string() + "/", folder);
}

TEST(Folders, AbsoluteFolderResolvesAgainstTheProgramFolder)
{
    const std::string program = ProgramFolder();
    const struct {
        std::string input, expected;
    } cases[] = {
        {"/Photos", "/Photos/"},
        {"/Photos/", "/Photos/"},
        {"/", "/"},
        {"Photos", program + "Photos/"},
        {"Photos/2004/", program + "Photos/2004/"},
        {"", program},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AbsoluteFolder(c.input), c.expected) << c.input;
}

TEST(ListFolder, ListsTheEntriesTheMaskSelects)
{
    ScratchDir dir;
    WriteText(dir.file("a.jpg"), "");
    WriteText(dir.file(".hidden"), "");
    fs::create_directory(dir.file("sub"));
    fs::create_directory_symlink(dir.file("sub"), dir.file("link-to-sub"));
    fs::create_symlink(dir.file("a.jpg"), dir.file("link-to-file"));
    fs::create_symlink(dir.file("missing"), dir.file("dangling"));

    const auto sorted = [](std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    };
    const auto full = [&](std::vector<std::string> names) {
        for (auto& n : names)
            n = dir.file(n);
        return sorted(names);
    };
    const struct {
        unsigned mask;
        std::vector<std::string> expected;
    } cases[] = {
        {lfAnyEntry, full({"a.jpg", ".hidden", "sub", "link-to-sub", "link-to-file", "dangling"})},
        {lfFolders, full({"sub", "link-to-sub"})},
        {lfFiles, full({"a.jpg", ".hidden", "link-to-file", "dangling"})},
    };
    for (const auto& c : cases) {
        std::vector<std::string> entries{"stale"};
        EXPECT_TRUE(ListFolder(dir.path(), c.mask, entries));
        EXPECT_EQ(sorted(entries), c.expected) << "mask " << c.mask;
    }

    std::vector<std::string> entries{"stale"};
    EXPECT_FALSE(ListFolder(dir.file("vanished"), lfAnyEntry, entries));
    EXPECT_TRUE(entries.empty());
}

TEST(ListFolder, ARelativeFolderIsTheProgramFolder)
{
    std::vector<std::string> entries;
    ASSERT_TRUE(ListFolder("", lfFiles, entries));
    EXPECT_NE(std::find(entries.begin(), entries.end(), fs::canonical("/proc/self/exe").string()), entries.end());
}

TEST(RootPrefixLength, IgnoresCaseAndCountsThePathBytes)
{
    const struct {
        std::string path, root;
        std::size_t expected;
    } cases[] = {
        {"/PICTURES/a.jpg", "/Pictures/", 10},
        {"/Pictures/a.jpg", "/Pictures/", 10},
        {"/Pictures", "/Pictures/", 0},
        {"/Other/a.jpg", "/Pictures/", 0},
        {"/ÉTÉ/a.jpg", "/été/", 7},
        {"/a.jpg", "", 0},
        {"/\xE9t\xE9/a", "/\xE9T\xE9/", 5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RootPrefixLength(c.path, c.root), c.expected) << c.path << " in " << c.root;
}

TEST(TrueCasePath, SpellsTheLastComponentAsStored)
{
    ScratchDir dir;
    fs::create_directory(dir.file("Photos"));
    WriteText(dir.file("Photos/IMG_0001.JPG"), "");
    fs::create_directory(dir.file("a"));
    fs::create_directory(dir.file("A"));
    const struct {
        std::string input, expected;
    } cases[] = {
        {"photos", "Photos"},
        {"PHOTOS/", "Photos/"},
        {"Photos/img_0001.jpg", "Photos/IMG_0001.JPG"},
        {"Photos", "Photos"},
        {"a", "a"},
        {"A/", "A/"},
        {"nothing", "nothing"},
        {"Photos/../photos", "Photos/../Photos"},
        {"missing/photos", "missing/photos"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrueCasePath(dir.path() + c.input), dir.path() + c.expected) << c.input;
    testsupport::ScopedCurrentFolder inside(dir.path());
    EXPECT_EQ(TrueCasePath("photos"), "Photos");
}

TEST(FindAssociatedProgram, ResolvesTheDefaultJpegApplication)
{
    if (!testsupport::HaveProgram("xdg-mime"))
        GTEST_SKIP() << "xdg-mime not installed (package xdg-utils): skipping";
    ScratchDesktop desktop;
    EXPECT_EQ(FindAssociatedProgram("jpg"), "") << "no association yet";

    const std::string program = desktop.dir.file("bin/photo-viewer");
    WriteProgram(program);
    desktop.AssociateJpeg("lumitag-viewer.desktop", program + " %f");
    EXPECT_EQ(FindAssociatedProgram("jpg"), program);
    EXPECT_EQ(FindAssociatedProgram("JPEG"), program);
    EXPECT_EQ(FindAssociatedProgram("txt"), "");
    WriteText(desktop.dir.file("photo.JPG"), "");
    EXPECT_EQ(FindAssociatedProgram(desktop.dir.file("photo.JPG")), program);
    EXPECT_TRUE(fs::is_empty(desktop.dir.file("tmp"))) << "no file left in the temporary folder";

    const std::string onPath = desktop.dir.file("bin/viewer");
    WriteProgram(onPath);
    ScopedEnv path{{"PATH", desktop.dir.file("bin") + ":/usr/bin:/bin"}};
    desktop.AssociateJpeg("viewer.desktop", "viewer --new %U");
    EXPECT_EQ(FindAssociatedProgram("jpg"), onPath);
    desktop.AssociateJpeg("missing-program.desktop", "/no/such/viewer %f");
    EXPECT_EQ(FindAssociatedProgram("jpg"), "");
}

TEST(FindAssociatedProgram, ProgramOfExecLineTakesTheFirstArgument)
{
    const struct {
        std::string exec, expected;
    } cases[] = {
        {"/bin/sh -c 'x' %f", "/bin/sh"},
        {"\"/bin/sh\" %f", "/bin/sh"},
        {"  /bin/sh", "/bin/sh"},
        {"/no/such/program %f", ""},
        {"no-such-program-of-lumitag %f", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramOfExecLine(c.exec), c.expected) << c.exec;
    const auto sh = testsupport::RunCommand({"sh", "-c", "command -v sh"});
    EXPECT_EQ(ProgramOfExecLine("sh %f"), Trimmed(sh.output));
}

TEST(TBoolSaver, RestoresTheSavedValueOnEveryExit)
{
    bool flag = false;
    {
        TBoolSaver guard(flag);
        flag = true;
    }
    EXPECT_FALSE(flag);
    try {
        TBoolSaver guard(flag);
        flag = true;
        throw std::runtime_error("leaves by an exception");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(flag);
    flag = true;
    {
        TBoolSaver guard(flag);
        EXPECT_TRUE(flag) << "construction does not change the bool";
        flag = false;
    }
    EXPECT_TRUE(flag);
}
