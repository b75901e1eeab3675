// Feeds arbitrary bytes to read_jpeg as a file, then exercises the getters,
// a setter and write_jpeg into a scratch folder.
#include "exif/Exif_stl.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Formats every trace piece, as a real sink would receive it, and drops it.
struct discarding_tracer : Texif_stl::tracer_interface {
    void trace(const std::string& text) override { total += text.size(); }
    std::size_t total = 0;
};

const std::string& scratch_folder()
{
    static const std::string folder = [] {
        const char* base = std::getenv("LUMITAG_FUZZ_SCRATCH");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/lumitag-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return pattern + "/";
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = scratch_folder() + "input.jpg";
    const std::string output = scratch_folder() + "output.jpg";
    if (FILE* file = std::fopen(input.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        return 0;
    }

    Texif_stl doc;
    discarding_tracer sink;
    // Half of the runs trace, so both paths are covered.
    if (size > 0 && (data[size - 1] & 1))
        doc.tracer = &sink;
    doc.flush_to_disk = false;
    if (!doc.read_jpeg(input))
        return 0;
    int y, mo, d, h, mi, s;
    doc.get_date_time_original(y, mo, d, h, mi, s);
    (void)doc.get_image_description();
    (void)doc.get_artist();
    (void)doc.get_user_comment();
    if (size > 1 && (data[size - 2] & 1))
        doc.set_artist("fuzz");
    if (doc.write_jpeg(output)) {
        // What was written must read back.
        Texif_stl again;
        if (!again.read_jpeg(output))
            std::abort();
    }
    return 0;
}
