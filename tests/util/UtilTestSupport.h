// Scope guards and scratch folders for the tests of the utility, option and
// localisation libraries.
#pragma once

#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// Sets (or, with nullopt, unsets) environment variables for the scope.
class ScopedEnv {
public:
    ScopedEnv(std::initializer_list<std::pair<const char*, std::optional<std::string>>> values)
    {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name);
            saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
            Apply(name, value);
        }
    }
    ~ScopedEnv()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            Apply(it->first.c_str(), it->second);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    static void Apply(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Makes folder the current folder for the scope.
class ScopedCurrentFolder {
public:
    explicit ScopedCurrentFolder(const std::string& folder) : saved_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder()
    {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }

private:
    std::filesystem::path saved_;
};

// Text of a whole file ("" when missing).
inline std::string ReadText(const std::string& path)
{
    std::string text;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
            text.append(buffer, n);
        std::fclose(f);
    }
    return text;
}

inline void WriteText(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        std::abort();
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

// A user and desktop of their own: home, configuration, data and temporary
// folders in a scratch folder, an English locale and no desktop environment,
// so that folders and the JPEG program are the ones a test sets up. The MIME
// database stays the system's.
struct ScratchDesktop {
    ScratchDir dir;
    ScopedEnv env{{"HOME", dir.path()},
                  {"XDG_CONFIG_HOME", dir.file("config")},
                  {"XDG_CONFIG_DIRS", dir.file("system-config")},
                  {"XDG_DATA_HOME", dir.file("data")},
                  {"XDG_DATA_DIRS", dir.file("system-data")},
                  {"TMPDIR", dir.file("tmp")},
                  {"XDG_CURRENT_DESKTOP", std::nullopt},
                  {"DESKTOP_SESSION", std::nullopt},
                  {"KDE_FULL_SESSION", std::nullopt},
                  {"GNOME_DESKTOP_SESSION_ID", std::nullopt},
                  {"LC_ALL", std::nullopt},
                  {"LC_MESSAGES", std::nullopt},
                  {"LANG", "en_US.UTF-8"}};

    ScratchDesktop()
    {
        std::filesystem::create_directories(dir.file("tmp"));
        std::filesystem::create_directories(dir.file("system-data"));
        std::filesystem::create_directory_symlink("/usr/share/mime", dir.file("system-data/mime"));
    }

    // Makes the desktop entry desktopId, running exec, the JPEG program.
    void AssociateJpeg(const std::string& desktopId, const std::string& exec)
    {
        WriteText(dir.file("config/mimeapps.list"), "[Default Applications]\nimage/jpeg=" + desktopId + "\n");
        std::string relative = desktopId;
        std::replace(relative.begin(), relative.end(), '-', '/');
        WriteText(dir.file("data/applications/" + relative),
                  "[Desktop Entry]\nType=Application\nName=Viewer\nExec=" + exec + "\n");
    }
};

inline void WriteProgram(const std::string& path)
{
    WriteText(path, "#!/bin/sh\nexit 0\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

}  // namespace testsupport
