// Reading desktop entries and checking them with the desktop's own tools.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <string>

#include "support/TestSupport.h"

namespace shelltest {

// The keys of the [Desktop Entry] group, their values as written.
inline std::map<std::string, std::string> EntryValues(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const auto equals = line.find('=');
        if (inMainGroup && equals != std::string::npos)
            values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return values;
}

// desktop-file-validate's complaints about the entry, "" when it has none.
inline std::string ValidationErrors(const std::string& path)
{
    const auto result = testsupport::RunCommand({"desktop-file-validate", path});
    return result.status == 0 ? std::string() : result.output + result.errors + " (status " + std::to_string(result.status) + ")";
}

}  // namespace shelltest

#define LUMITAG_REQUIRE_PROGRAM(name)                                                   \
    do {                                                                                \
        if (!testsupport::HaveProgram(name))                                            \
            GTEST_SKIP() << name << " is not installed (scripts/install-deps.sh): skipping"; \
    } while (0)
