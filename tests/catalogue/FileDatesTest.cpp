#include "catalogue/FileDates.h"

#include "catalogue/DateTimeValue.h"

#include "CatalogueTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

using namespace lumitag;
using catalogue_test::ScopedDefaultLocale;
using catalogue_test::ScopedTimeZone;

namespace {

constexpr timespec kOldAccess{1'000'000'000, 5};
constexpr timespec kOldModification{1'100'000'000, 7};

void SetTimes(const std::string& path, timespec access, timespec modification)
{
    const timespec times[2] = {access, modification};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

struct stat Status(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

class FileDatesTest : public testing::Test {
protected:
    void SetUp() override
    {
        testsupport::WriteBytes(photo, {0xFF, 0xD8, 0xFF, 0xD9});
        SetTimes(photo, kOldAccess, kOldModification);
    }

    const ScopedTimeZone paris{catalogue_test::kParisTime};
    testsupport::ScratchDir scratch;
    const std::string photo = scratch.file("IMG_1.jpg");
};

TEST_F(FileDatesTest, SetsTheModificationTimeInLocalTimeAndKeepsTheAccessTime)
{
    const struct {
        const char* locale;
        const char* text;
        std::time_t utc;
    } cases[] = {
        {"en_GB", "14/07/2004 10:30:00", 1089793800},   // summer time, UTC+2
        {"en_GB", "14/01/2004 10:30:00", 1074072600},   // winter time, UTC+1
        {"en_GB", "14/07/2004", 1089756000},            // midnight
        {"fr_FR", "14/07/2004 10:30:00", 1089793800},
        {"en_US", "7/14/2004 10:30:00 PM", 1089837000},
        {"C", "2004-07-14 10:30:00", 1089793800},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.locale << " " << c.text);
        const ScopedDefaultLocale locale{QLocale(QString::fromLatin1(c.locale))};
        SetTimes(photo, kOldAccess, kOldModification);
        EXPECT_EQ(SetFileDates(QString::fromUtf8(c.text), photo), "");
        const struct stat status = Status(photo);
        EXPECT_EQ(status.st_mtim.tv_sec, c.utc);
        EXPECT_EQ(status.st_mtim.tv_nsec, 0);
        EXPECT_EQ(status.st_atim.tv_sec, kOldAccess.tv_sec);
        EXPECT_EQ(status.st_atim.tv_nsec, kOldAccess.tv_nsec);
    }
}

TEST_F(FileDatesTest, LeavesTheFileAloneWhenTheTextDoesNotParse)
{
    const ScopedDefaultLocale british{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    for (const char* text : {"", "no date", "31/02/2004", "14/07/2004 10:30"}) {
        EXPECT_EQ(SetFileDates(QString::fromUtf8(text), photo), "") << text;
        EXPECT_EQ(Status(photo).st_mtim.tv_sec, kOldModification.tv_sec) << text;
    }
}

TEST_F(FileDatesTest, NeverCreatesAFile)
{
    const ScopedDefaultLocale british{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    std::filesystem::create_symlink(scratch.file("target.jpg"), scratch.file("dangling.jpg"));
    for (const std::string& path : {scratch.file("missing.jpg"), photo + "/inside.jpg", scratch.file("dangling.jpg")}) {
        EXPECT_EQ(SetFileDates(u"14/07/2004 10:30:00", path), kOpenForDatesFailed) << path;
        EXPECT_FALSE(testsupport::FileExists(path)) << path;
    }
    EXPECT_FALSE(testsupport::FileExists(scratch.file("target.jpg")));
}

// A file system that keeps only part of the range of times (ext4 keeps
// 1901 to 2446) clamps the time quietly; that must not pass for success.
TEST_F(FileDatesTest, ReportsATimeTheFileSystemDidNotKeep)
{
    const ScopedDefaultLocale british{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    for (const char* text : {"01/01/1500 12:00:00", "31/12/9999 23:59:59"}) {
        SCOPED_TRACE(text);
        const std::string status = SetFileDates(QString::fromUtf8(text), photo);
        const auto wanted = DateTimeToLocalTimeT(*ParseDateText(QString::fromUtf8(text)));
        const bool kept = Status(photo).st_mtim.tv_sec == *wanted;
        EXPECT_EQ(status, kept ? "" : kSetTimeFailed);
    }
}

// Run as another user, a file of someone else's can be opened but its time
// cannot be set, and an own file without read permission can still be set.
TEST_F(FileDatesTest, ReportsATimeThatCannotBeSet)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user: skipping";
    constexpr uid_t kNobody = 65534;
    ASSERT_EQ(chmod(scratch.path().c_str(), 0755), 0);
    const std::string ownedByRoot = photo;
    const std::string ownedByNobody = scratch.file("IMG_2.jpg");
    testsupport::WriteBytes(ownedByNobody, {0xFF, 0xD8, 0xFF, 0xD9});
    ASSERT_EQ(chmod(ownedByRoot.c_str(), 0644), 0);
    ASSERT_EQ(chown(ownedByNobody.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(ownedByNobody.c_str(), 0200), 0);

    const std::string statuses[] = {"", kCalendarConversionFailed, kLocalToUtcFailed, kOpenForDatesFailed,
                                    kSetTimeFailed};
    const auto runAsNobody = [&](const std::string& path) {
        const pid_t child = fork();
        if (child == 0) {
            QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
            if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
                _exit(100);
            const std::string status = SetFileDates(u"14/07/2004 10:30:00", path);
            for (int i = 0; i < 5; ++i)
                if (status == statuses[i])
                    _exit(i);
            _exit(101);
        }
        int wait = 0;
        EXPECT_EQ(waitpid(child, &wait, 0), child);
        return WIFEXITED(wait) ? WEXITSTATUS(wait) : -1;
    };
    EXPECT_EQ(runAsNobody(ownedByRoot), 4);
    EXPECT_EQ(Status(ownedByRoot).st_mtim.tv_sec, kOldModification.tv_sec);
    EXPECT_EQ(runAsNobody(ownedByNobody), 0);
    EXPECT_EQ(Status(ownedByNobody).st_mtim.tv_sec, 1089793800);
}

}  // namespace
