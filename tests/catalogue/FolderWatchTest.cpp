#include "catalogue/FolderWatch.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

using namespace lumitag;
namespace fs = std::filesystem;

namespace {

constexpr int kTickWaitMs = 50;

// A root folder holding a photo and a sub-folder with a photo, and a folder
// outside the root.
class FolderWatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root + "sub/deeper");
        fs::create_directories(outside);
        testsupport::WriteBytes(root + "IMG_1.jpg", {0xFF, 0xD8, 0xFF, 0xD9});
        testsupport::WriteBytes(root + "sub/IMG_2.jpg", {0xFF, 0xD8, 0xFF, 0xD9});
    }

    testsupport::ScratchDir scratch;
    const std::string root = scratch.file("root/");
    const std::string outside = scratch.file("outside/");
};

void Touch(const std::string& path)
{
    testsupport::WriteBytes(path, {1});
}

// What the EXIF writer does: a hidden temporary file in the photo's folder,
// written, flushed, given the photo's mode and time, renamed over it.
void RewriteLikeTheWriter(const std::string& folder, const std::string& photo)
{
    const std::string temporary = folder + "." + photo + ".lumitag-tmp-Xy12Zw";
    testsupport::WriteBytes(temporary, {0xFF, 0xD8, 0xFF, 0xD9, 0});
    chmod(temporary.c_str(), 0644);
    const timespec times[2] = {{0, UTIME_OMIT}, {1089793800, 0}};
    utimensat(AT_FDCWD, temporary.c_str(), times, 0);
    fs::rename(temporary, folder + photo);
}

// The writer's faster variant: the temporary file is exchanged with the photo,
// then removed with the photo's old content.
void ExchangeLikeTheWriter(const std::string& folder, const std::string& photo)
{
    const std::string temporary = folder + "." + photo + ".lumitag-tmp-Ab34Cd";
    testsupport::WriteBytes(temporary, {0xFF, 0xD8, 0xFF, 0xD9, 0});
    ASSERT_EQ(renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, (folder + photo).c_str(), RENAME_EXCHANGE), 0);
    fs::remove(temporary);
}

struct WatchCase {
    const char* what;
    bool recursive;
    std::function<void(const std::string& root, const std::string& outside)> action;
    bool seen;
};

TEST_F(FolderWatchTest, SeesNameChangesOnly)
{
    const WatchCase cases[] = {
        {"file created", false, [](auto& r, auto&) { Touch(r + "IMG_3.jpg"); }, true},
        {"file deleted", false, [](auto& r, auto&) { fs::remove(r + "IMG_1.jpg"); }, true},
        {"file renamed", false, [](auto& r, auto&) { fs::rename(r + "IMG_1.jpg", r + "IMG_9.jpg"); }, true},
        {"file moved in", false, [](auto& r, auto& o) { Touch(o + "x.jpg"); fs::rename(o + "x.jpg", r + "x.jpg"); }, true},
        {"file moved out", false, [](auto& r, auto& o) { fs::rename(r + "IMG_1.jpg", o + "IMG_1.jpg"); }, true},
        {"folder created", false, [](auto& r, auto&) { fs::create_directory(r + "2004"); }, true},
        {"folder deleted", false, [](auto& r, auto&) { fs::remove(r + "sub/deeper"); fs::remove_all(r + "sub"); }, true},
        {"folder renamed", false, [](auto& r, auto&) { fs::rename(r + "sub", r + "2004"); }, true},
        {"name like the writer's but not hidden", false, [](auto& r, auto&) { Touch(r + "IMG_1.jpg.lumitag-tmp-1"); }, true},
        {"content changed", true,
         [](auto& r, auto&) { testsupport::WriteBytes(r + "IMG_1.jpg", {0xFF, 0xD8, 0, 0xFF, 0xD9}); }, false},
        {"mode changed", true, [](auto& r, auto&) { fs::permissions(r + "IMG_1.jpg", fs::perms::owner_read); }, false},
        {"time changed", true,
         [](auto& r, auto&) {
             const timespec times[2] = {{0, UTIME_NOW}, {1089793800, 0}};
             utimensat(AT_FDCWD, (r + "sub/IMG_2.jpg").c_str(), times, 0);
         },
         false},
        {"writer rewrites a photo", true, [](auto& r, auto&) { RewriteLikeTheWriter(r, "IMG_1.jpg"); }, false},
        {"writer rewrites a photo below the root", true,
         [](auto& r, auto&) { RewriteLikeTheWriter(r + "sub/", "IMG_2.jpg"); }, false},
        {"writer exchanges its file with a photo", true, [](auto& r, auto&) { ExchangeLikeTheWriter(r, "IMG_1.jpg"); }, false},
        {"writer gives up and removes its file", true,
         [](auto& r, auto&) {
             Touch(r + ".IMG_1.jpg.lumitag-tmp-a1b2c3");
             fs::remove(r + ".IMG_1.jpg.lumitag-tmp-a1b2c3");
         },
         false},
        {"file in a sub-folder, not recursive", false, [](auto& r, auto&) { Touch(r + "sub/IMG_3.jpg"); }, false},
        {"file in a sub-folder, recursive", true, [](auto& r, auto&) { Touch(r + "sub/IMG_3.jpg"); }, true},
        {"file deep below, recursive", true, [](auto& r, auto&) { Touch(r + "sub/deeper/IMG_3.jpg"); }, true},
        {"root deleted", false, [](auto& r, auto&) { fs::remove_all(r); }, true},
        {"root renamed", false, [](auto& r, auto& o) { fs::rename(r, o + "moved"); }, true},
        {"nothing", true, [](auto&, auto&) {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(root);
        fs::remove_all(outside);
        SetUp();
        FolderWatch watch;
        ASSERT_TRUE(watch.Start(root, c.recursive));
        c.action(root, outside);
        EXPECT_EQ(watch.Poll(kTickWaitMs), c.seen);
    }
}

TEST_F(FolderWatchTest, OnePollDrainsEveryWaitingChange)
{
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(root, false));
    for (int i = 0; i < 20; ++i)
        Touch(root + "IMG_" + std::to_string(100 + i) + ".jpg");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    EXPECT_FALSE(watch.Poll(0));
}

TEST_F(FolderWatchTest, WatchesNewSubFoldersWhenRecursive)
{
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(root, true));
    fs::create_directories(root + "2004/07");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    Touch(root + "2004/07/IMG_3.jpg");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));

    // A folder tree moved in from outside is watched as well.
    fs::create_directories(outside + "trip/day1");
    fs::rename(outside + "trip", root + "trip");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    Touch(root + "trip/day1/IMG_4.jpg");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
}

TEST_F(FolderWatchTest, ForgetsSubFoldersMovedOutOfTheRoot)
{
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(root, true));
    fs::rename(root + "sub", outside + "sub");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    Touch(outside + "sub/IMG_3.jpg");
    Touch(outside + "sub/deeper/IMG_4.jpg");
    EXPECT_FALSE(watch.Poll(kTickWaitMs));

    // A folder renamed within the root keeps being watched under its new name.
    fs::rename(root + "IMG_1.jpg", root + "IMG_5.jpg");
    fs::create_directories(root + "a/b");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    fs::rename(root + "a", root + "c");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    Touch(root + "c/b/IMG_6.jpg");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
}

TEST_F(FolderWatchTest, FollowsLinksToFoldersWithoutLooping)
{
    fs::create_directory_symlink(root, root + "sub/deeper/loop");  // a cycle back to the root
    fs::create_directory_symlink("..", root + "sub/up");
    fs::create_directory_symlink(outside, root + "elsewhere");
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(root, true));
    EXPECT_FALSE(watch.Poll(0));
    Touch(outside + "IMG_3.jpg");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    Touch(root + "sub/deeper/loop/sub/IMG_4.jpg");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));

    // A link to a folder made while watching is followed too.
    fs::create_directories(scratch.file("more"));
    fs::create_directory_symlink(scratch.file("more"), root + "more");
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
    Touch(scratch.file("more/IMG_5.jpg"));
    EXPECT_TRUE(watch.Poll(kTickWaitMs));
}

int OpenDescriptors()
{
    return static_cast<int>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

TEST_F(FolderWatchTest, StartAndStopLeakNothing)
{
    const int before = OpenDescriptors();
    FolderWatch watch;
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(watch.Start(root, i % 2 == 0));
        EXPECT_TRUE(watch.IsWatching());
        if (i % 3 == 0)
            watch.Stop();
    }
    watch.Stop();
    EXPECT_FALSE(watch.IsWatching());
    EXPECT_EQ(OpenDescriptors(), before);
    Touch(root + "IMG_3.jpg");
    EXPECT_FALSE(watch.Poll(0));
}

TEST_F(FolderWatchTest, RefusesWhatIsNoFolder)
{
    FolderWatch watch;
    ASSERT_TRUE(watch.Start(root, false));
    EXPECT_FALSE(watch.Start(scratch.file("missing/"), true));
    EXPECT_FALSE(watch.IsWatching());
    EXPECT_FALSE(watch.Start(root + "IMG_1.jpg", false));
    EXPECT_FALSE(watch.IsWatching());
    EXPECT_FALSE(watch.Poll(0));
}

TEST(WriterTemporaryName, MatchesOnlyTheWritersPattern)
{
    const struct {
        const char* name;
        bool matches;
    } cases[] = {
        {".IMG_1.jpg.lumitag-tmp-Ab12Cd", true},
        {".a.lumitag-tmp-1", true},
        {"IMG_1.jpg.lumitag-tmp-Ab12Cd", false},  // not hidden
        {".IMG_1.jpg.lumitag-tmp-", false},        // no random part
        {"..lumitag-tmp-x", false},                // no photo name
        {".IMG_1.jpg", false},
        {"IMG_1.jpg", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsWriterTemporaryName(c.name), c.matches) << c.name;
}

}  // namespace
