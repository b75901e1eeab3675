// The context-menu entries without a window: names, quoting, writing,
// removing, and what the desktop's tools make of them.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "ShellTestSupport.h"
#include "app/Kivlocal.h"
#include "app/ShellRegistration.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using lumitag::ShellKey;
using lumitag::ShellRegistration;
using namespace testsupport;
using namespace shelltest;

namespace {

const std::string kEnglishVerb = "See in Lumitag";
const std::string kFrenchVerb = "Voir dans Lumitag";

std::set<std::string> FolderNames(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Writes an executable script that records its arguments, one a line.
void WriteRecorder(const std::string& path, const std::string& output)
{
    std::ofstream(path) << "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" << output << "'\n";
    fs::permissions(path, fs::perms::owner_all);
}

std::string WaitForFile(const std::string& path)
{
    QElapsedTimer timer;
    timer.start();
    while (!fs::exists(path) && timer.elapsed() < 5000)
        QThread::msleep(20);
    QThread::msleep(50);  // let the writer finish its line
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Sets an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name)) {
            saved_ = old;
            hadValue_ = true;
        }
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { hadValue_ ? setenv(name_, saved_.c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::string saved_;
    bool hadValue_ = false;
};

TEST(ShellNames, VerbFollowsTheLanguage)
{
    SetCurrentLanguage(0);
    EXPECT_EQ(lumitag::ShellVerbName(), kEnglishVerb);
    SetCurrentLanguage(1);
    EXPECT_EQ(lumitag::ShellVerbName(), kFrenchVerb);
    SetCurrentLanguage(0);
}

TEST(ShellNames, EveryKeyHasAFileOfItsOwn)
{
    EXPECT_EQ(lumitag::ShellCommandKeyPath(ShellKey::Folder, kEnglishVerb), "Directory\\shell\\See in Lumitag\\Command");
    EXPECT_EQ(lumitag::ShellCommandKeyPath(ShellKey::JpegFile, kEnglishVerb), "jpegfile\\shell\\See in Lumitag\\Command");
    EXPECT_EQ(lumitag::DesktopEntryFileName("Directory\\shell\\See in Lumitag\\Command"),
              "org.example.lumitag.Directory.shell.See_20in_20Lumitag.Command.desktop");

    // Verbs that a plain "spaces to underscores" would merge stay apart, and
    // a verb beginning with a digit still gives a valid id element.
    std::set<std::string> names;
    const std::string verbs[] = {kEnglishVerb, kFrenchVerb, "See_in Lumitag", "See in Lumitag.", "3 Voir", "Éditer"};
    for (const auto& verb : verbs) {
        for (const ShellKey key : {ShellKey::Folder, ShellKey::JpegFile}) {
            const std::string name = lumitag::DesktopEntryFileName(lumitag::ShellCommandKeyPath(key, verb));
            EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789._"),
                      std::string::npos)
                << name;
            EXPECT_EQ(name.find(".3"), std::string::npos) << name;
            names.insert(name);
        }
    }
    EXPECT_EQ(names.size(), std::size(verbs) * 2);
}

TEST(ShellNames, ExecQuotesTheProgramAsDesktopEntriesRequire)
{
    struct Case {
        std::string program;
        std::string exec;
    };
    const Case cases[] = {
        {"/usr/bin/lumitag", R"("/usr/bin/lumitag" %f)"},
        {"/opt/my apps/lumitag", R"("/opt/my apps/lumitag" %f)"},
        {"/opt/a\"b", R"("/opt/a\\"b" %f)"},
        {"/opt/a$b`c", R"("/opt/a\\$b\\`c" %f)"},
        {"/opt/a\\b", R"("/opt/a\\\\b" %f)"},
        {"/opt/100%", R"("/opt/100%%" %f)"},
        {"/opt/it's;#~", R"("/opt/it's;#~" %f)"},
        {"/opt/été", R"("/opt/été" %f)"},
        {"/opt/a\nb\tc", R"("/opt/a\nb\tc" %f)"},
        {"", ""},
        {"/opt/a\x01z", ""},
        {"/opt/\xE9t\xE9", ""},  // Latin-1 bytes, not UTF-8
    };
    for (const auto& c : cases)
        EXPECT_EQ(lumitag::ExecValueFor(c.program), c.exec) << c.program;
}

class ShellRegistrationTest : public ::testing::Test {
protected:
    std::string Folder() const { return scratch.file("applications/"); }
    std::string Program() const { return scratch.file("bin/lumitag"); }
    ShellRegistration Registration() const { return ShellRegistration(Folder(), Program()); }
    ScratchDir scratch;
};

TEST_F(ShellRegistrationTest, RegisterWritesBothEntriesOfTheVerb)
{
    const auto registration = Registration();
    EXPECT_FALSE(registration.IsRegistered(kEnglishVerb));
    ASSERT_TRUE(registration.Register(kEnglishVerb));  // creates the folder too
    EXPECT_TRUE(registration.IsRegistered(kEnglishVerb));
    EXPECT_FALSE(registration.IsRegistered(kFrenchVerb));

    const std::pair<ShellKey, const char*> keys[] = {{ShellKey::Folder, "inode/directory;"},
                                                     {ShellKey::JpegFile, "image/jpeg;"}};
    for (const auto& [key, mimeType] : keys) {
        const std::string path = registration.EntryPath(key, kEnglishVerb);
        auto values = EntryValues(path);
        EXPECT_EQ(values["Type"], "Application");
        EXPECT_EQ(values["Name"], kEnglishVerb);
        EXPECT_EQ(values["Exec"], "\"" + Program() + "\" %f");
        EXPECT_EQ(values["MimeType"], mimeType);
        EXPECT_EQ(values["NoDisplay"], "true");
        if (HaveProgram("desktop-file-validate")) {
            EXPECT_EQ(ValidationErrors(path), "");
        }
    }
    EXPECT_EQ(FolderNames(Folder()).size(), 2u);
}

TEST_F(ShellRegistrationTest, UnregisterRemovesOnlyTheEntriesOfTheVerb)
{
    const auto registration = Registration();
    ASSERT_TRUE(registration.Register(kEnglishVerb));
    ASSERT_TRUE(registration.Register(kFrenchVerb));
    const auto english = FolderNames(Folder());

    EXPECT_TRUE(registration.Unregister(kFrenchVerb));
    EXPECT_FALSE(registration.IsRegistered(kFrenchVerb));
    EXPECT_TRUE(registration.IsRegistered(kEnglishVerb));
    EXPECT_EQ(FolderNames(Folder()).size(), 2u);
    EXPECT_TRUE(registration.Unregister(kFrenchVerb)) << "removing what is not there is no failure";

    EXPECT_TRUE(registration.Unregister(kEnglishVerb));
    EXPECT_TRUE(FolderNames(Folder()).empty());
}

TEST_F(ShellRegistrationTest, AKeyThatCannotBeWrittenLeavesTheOtherHandled)
{
    // A folder where the JPEG entry belongs can be neither written nor removed
    // as a file (permission bits would not stop a test run as root).
    const auto registration = Registration();
    fs::create_directories(registration.EntryPath(ShellKey::JpegFile, kEnglishVerb));

    EXPECT_FALSE(registration.Register(kEnglishVerb));
    EXPECT_TRUE(fs::is_regular_file(registration.EntryPath(ShellKey::Folder, kEnglishVerb)));
    EXPECT_TRUE(registration.IsRegistered(kEnglishVerb));

    EXPECT_FALSE(registration.Unregister(kEnglishVerb));
    EXPECT_FALSE(registration.IsRegistered(kEnglishVerb));
}

TEST_F(ShellRegistrationTest, AProgramPathThatNoEntryCanHoldWritesNothing)
{
    const ShellRegistration registration(Folder(), scratch.file("bin/\x01"));
    EXPECT_FALSE(registration.Register(kEnglishVerb));
    EXPECT_FALSE(registration.IsRegistered(kEnglishVerb));
    EXPECT_TRUE(FolderNames(Folder()).empty());
}

TEST_F(ShellRegistrationTest, TheDesktopStartsTheProgramWithTheClickedPath)
{
    LUMITAG_REQUIRE_PROGRAM("gio");
    // gio looks for the program before it expands "%%", so "%" is left to
    // the quoting table above.
    const std::string programNames[] = {"plain", "with space", "quote\"d", "dollar$x", "back`tick", "back\\slash",
                                        "it's"};
    const std::string clicked = scratch.file("My Photos/IMG 0001.jpg");
    for (const auto& name : programNames) {
        SCOPED_TRACE(name);
        fs::create_directories(scratch.file("bin"));
        const std::string program = scratch.file("bin/" + name);
        const std::string output = scratch.file("arguments.txt");
        fs::remove(output);
        WriteRecorder(program, output);
        const ShellRegistration registration(Folder(), program);
        ASSERT_TRUE(registration.Register(kEnglishVerb));

        const auto launch =
            RunCommand({"gio", "launch", registration.EntryPath(ShellKey::JpegFile, kEnglishVerb), clicked});
        ASSERT_EQ(launch.status, 0) << launch.errors;
        EXPECT_EQ(WaitForFile(output), clicked + "\n");
    }
}

TEST_F(ShellRegistrationTest, RefreshUpdatesTheCacheWhereTheToolExists)
{
    const auto registration = Registration();
    ASSERT_TRUE(registration.Register(kEnglishVerb));
    {
        const ScopedEnv noTools("PATH", scratch.file("no-tools"));
        registration.RefreshDesktopDatabase();
        EXPECT_FALSE(fs::exists(Folder() + "mimeinfo.cache"));
    }
    if (!HaveProgram("update-desktop-database"))
        GTEST_SKIP() << "update-desktop-database is not installed: skipping the refresh";
    registration.RefreshDesktopDatabase();
    std::ifstream cache(Folder() + "mimeinfo.cache");
    const std::string text(std::istreambuf_iterator<char>(cache), {});
    EXPECT_NE(text.find("inode/directory=" + lumitag::DesktopEntryFileName(lumitag::ShellCommandKeyPath(
                                                 ShellKey::Folder, kEnglishVerb))),
              std::string::npos)
        << text;
}

}  // namespace
