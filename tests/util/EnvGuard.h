// Scope guards that tests use to change process state and restore it.
#pragma once

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

}  // namespace testsupport
