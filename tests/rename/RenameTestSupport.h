// Folder fixtures of the rename tests: what a tree holds, by content and by
// name, and file times set from a local date.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "support/TestSupport.h"

namespace rename_test {

// The bytes of every file below root, each kind of content with its count,
// so that a rename can be seen to lose, duplicate or change nothing.
inline std::multiset<std::vector<std::uint8_t>> Contents(const std::string& root)
{
    std::multiset<std::vector<std::uint8_t>> contents;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            contents.insert(testsupport::ReadBytes(entry.path().string()));
    return contents;
}

// The files below root by relative path.
inline std::set<std::string> Names(const std::string& root)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            names.insert(std::filesystem::relative(entry.path(), root).string());
    return names;
}

inline std::string Text(const std::string& path)
{
    const auto bytes = testsupport::ReadBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace rename_test
