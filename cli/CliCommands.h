// The commands of lumitag-cli over the window-free libraries: the same
// records, scan, edits and trace as the window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "cli/CliArguments.h"

namespace lumitag::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFileFailed = 1;  // a file failed, EXIF unreadable, names collide
inline constexpr int kExitBadInput = 2;    // bad arguments, a missing file or folder

int RunList(const ListRequest& request, std::ostream& out, std::ostream& err);
int RunShow(const ShowRequest& request, std::ostream& out, std::ostream& err);
int RunSet(const SetRequest& request, std::ostream& out, std::ostream& err);
int RunRename(const RenameRequest& request, std::ostream& out, std::ostream& err);
int RunTrace(const TraceRequest& request, std::ostream& out, std::ostream& err);

// Parses the arguments (without the program name) and runs the command.
int RunCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace lumitag::cli
