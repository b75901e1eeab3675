// lumitag-cli: the photo list, EXIF editing and renaming of Lumitag from
// the command line. No window and no display: Qt Core only.
#include <iostream>
#include <string>
#include <vector>

#include "cli/CliCommands.h"

int main(int argc, char* argv[])
{
    std::ios::sync_with_stdio(false);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = lumitag::cli::RunCommandLine(arguments, std::cout, std::cerr);
    std::cout.flush();
    // A full disk or a closed pipe must not pass for success.
    if (!std::cout) {
        std::cerr << "lumitag-cli: the output could not be written\n";
        return status == lumitag::cli::kExitDone ? lumitag::cli::kExitFileFailed : status;
    }
    return status;
}
