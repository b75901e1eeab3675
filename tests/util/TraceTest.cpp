#include "util/kivUtil.h"

#include "support/TestSupport.h"
#include "tests/util/UtilTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kivUtil;
using testsupport::ReadText;
using testsupport::ScratchDir;

using ScratchHome = testsupport::ScratchDesktop;

TEST(TraceWriter, FirstWriteOfARunStartsTheFileAnewAndLaterOnesAppend)
{
    ScratchDir dir;
    const std::string path = dir.file("trace.txt");
    testsupport::WriteText(path, "from an earlier run\n");
    {
        TTraceWriter run;
        run.Write(path, "first\n");
        run.Write(path, "second\n");
        EXPECT_EQ(ReadText(path), "first\nsecond\n");
    }
    TTraceWriter nextRun;
    nextRun.Write(path, "third\n");
    EXPECT_EQ(ReadText(path), "third\n");
    nextRun.WriteHeader(path);
    nextRun.Write(path, "after the header\n");
    EXPECT_EQ(ReadText(path), "Lumitag TRACE FILE\n\nafter the header\n");
}

TEST(TraceWriter, AFileThatCannotBeOpenedLosesTheMessageOnly)
{
    ScratchDir dir;
    TTraceWriter run;
    run.Write(dir.file("no-such-folder/trace.txt"), "lost\n");
    // The run has started: the next message appends instead of truncating.
    const std::string path = dir.file("trace.txt");
    testsupport::WriteText(path, "kept\n");
    run.Write(path, "appended\n");
    EXPECT_EQ(ReadText(path), "kept\nappended\n");
}

TEST(WriteTrace, WritesLumitagTraceOnTheDesktop)
{
    ScratchHome home;
    std::filesystem::create_directory(home.dir.file("Desktop"));
    const std::string expectedPath = home.dir.file("Desktop/Lumitag-trace.txt");
    ASSERT_EQ(TraceFilePath(), expectedPath);

    WriteTrace();
    WriteTrace("%s: %d%%\n", "Noël", 50);
    WriteTrace("%s", std::string(5000, 'x').c_str());
    const std::string text = ReadText(expectedPath);
    EXPECT_EQ(text, "Lumitag TRACE FILE\n\nNoël: 50%\n" + std::string(4095, 'x'));
}

TEST(WriteTrace, UsesTheCurrentFolderWhenThereIsNoDesktop)
{
    ScratchHome home;
    ScratchDir work;
    testsupport::ScopedCurrentFolder inWork(work.path());
    EXPECT_EQ(TraceFilePath(), "Lumitag-trace.txt");
    WriteTrace();
    EXPECT_EQ(ReadText(work.file("Lumitag-trace.txt")), "Lumitag TRACE FILE\n\n");
}
