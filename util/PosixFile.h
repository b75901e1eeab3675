// File descriptor helpers of the utility library.
#pragma once

#include <string>

namespace kivUtil::posix {

// Writes all of text, retrying short writes and interrupted calls.
bool WriteAll(int fd, const std::string& text);

}  // namespace kivUtil::posix
