// `cmake --install` of the desktop program into a scratch prefix: what it
// puts where, and what the desktop's own tools make of it.
#include <gtest/gtest.h>

#include <QSvgRenderer>

#include <filesystem>
#include <fstream>

#include "ShellTestSupport.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using namespace shelltest;

namespace {

const std::string kId = "org.example.lumitag";

std::string TextOf(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class InstallTest : public ::testing::Test {
protected:
    // Installs the component into prefix, under destDir when it is not empty.
    void Install(const std::string& prefix, const std::string& destDir = {})
    {
        std::vector<std::string> command;
        if (!destDir.empty())
            command = {"env", "DESTDIR=" + destDir};
        for (const char* argument : {LUMITAG_CMAKE_COMMAND, "--install", LUMITAG_BINARY_DIR, "--prefix"})
            command.push_back(argument);
        command.push_back(prefix);
        command.push_back("--component");
        command.push_back("desktop");
        const auto result = RunCommand(command);
        ASSERT_EQ(result.status, 0) << result.output << result.errors;
    }
    ScratchDir scratch;
};

TEST_F(InstallTest, PutsTheProgramItsEntryIconAndMetainfoInTheStandardPlaces)
{
    const std::string prefix = scratch.file("usr");
    ASSERT_NO_FATAL_FAILURE(Install(prefix));

    const std::string program = prefix + "/bin/lumitag";
    const std::string entry = prefix + "/share/applications/" + kId + ".desktop";
    const std::string icon = prefix + "/share/icons/hicolor/scalable/apps/" + kId + ".svg";
    const std::string metainfo = prefix + "/share/metainfo/" + kId + ".metainfo.xml";
    EXPECT_TRUE((fs::status(program).permissions() & fs::perms::others_exec) != fs::perms::none);

    auto values = EntryValues(entry);
    EXPECT_EQ(values["Exec"], "lumitag %f");
    EXPECT_EQ(values["MimeType"], "inode/directory;image/jpeg;");
    EXPECT_EQ(values["Icon"], kId) << "the icon is found by its file name";
    EXPECT_EQ(values.count("NoDisplay"), 0u) << "the program is in the menu";
    if (HaveProgram("desktop-file-validate")) {
        EXPECT_EQ(ValidationErrors(entry), "");
    }

    const QSvgRenderer drawing(QString::fromStdString(icon));
    EXPECT_TRUE(drawing.isValid());
    EXPECT_EQ(drawing.viewBoxF().width(), drawing.viewBoxF().height()) << "an app icon is square";

    const std::string metadata = TextOf(metainfo);
    EXPECT_NE(metadata.find("<id>" + kId + "</id>"), std::string::npos);
    EXPECT_NE(metadata.find("<launchable type=\"desktop-id\">" + kId + ".desktop</launchable>"), std::string::npos);
    EXPECT_NE(metadata.find("<release version=\"" LUMITAG_VERSION "\""), std::string::npos);
    if (HaveProgram("appstreamcli")) {
        // The tree check reads the metainfo, the entry it names and its icon together.
        const auto check = RunCommand({"appstreamcli", "validate-tree", "--no-net", prefix});
        EXPECT_EQ(check.status, 0) << check.output << check.errors;
    } else {
        std::cout << "appstreamcli is not installed: the metainfo is not validated\n";
    }
}

TEST_F(InstallTest, OnlyADirectInstallRefreshesTheEntryCache)
{
    LUMITAG_REQUIRE_PROGRAM("update-desktop-database");
    const std::string direct = scratch.file("direct");
    ASSERT_NO_FATAL_FAILURE(Install(direct));
    const std::string cache = TextOf(direct + "/share/applications/mimeinfo.cache");
    EXPECT_NE(cache.find("image/jpeg=" + kId + ".desktop"), std::string::npos) << cache;

    ASSERT_NO_FATAL_FAILURE(Install("/usr/local", scratch.file("stage")));
    EXPECT_TRUE(fs::exists(scratch.file("stage/usr/local/share/applications/" + kId + ".desktop")));
    EXPECT_FALSE(fs::exists(scratch.file("stage/usr/local/share/applications/mimeinfo.cache")));
}

}  // namespace
