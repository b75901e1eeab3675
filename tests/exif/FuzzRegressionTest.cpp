// Replays the inputs kept from fuzzing: each must read, change and write
// without a crash, and what is written must read back.
#include "ExifFixtures.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

TEST(FuzzRegressions, KeptInputsReadAndWriteSafely)
{
    const fs::path folder = LUMITAG_FUZZ_REGRESSIONS_DIR;
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename() != "README.md")
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty())
        GTEST_SKIP() << "no fuzzing input kept in " << folder;
    testsupport::ScratchDir scratch;
    for (const fs::path& input : inputs) {
        SCOPED_TRACE(input.filename().string());
        for (bool traced : {false, true}) {
            Texif_stl doc;
            exiftest::TraceRecorder trace;
            if (traced)
                doc.tracer = &trace;
            doc.flush_to_disk = false;
            if (!doc.read_jpeg(input.string()))
                continue;
            int y, mo, d, h, mi, s;
            doc.get_date_time_original(y, mo, d, h, mi, s);
            (void)doc.get_user_comment();
            doc.set_artist("fuzz");
            const std::string output = scratch.file("out.jpg");
            if (doc.write_jpeg(output)) {
                Texif_stl again;
                EXPECT_TRUE(again.read_jpeg(output));
            }
        }
    }
}
