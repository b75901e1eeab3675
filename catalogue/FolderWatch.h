// Watches a folder, and on request every folder below it, for files and
// folders that are created, deleted or renamed (never for content or
// attribute changes). The writer's own temporary files never count.
#pragma once

#include <sys/types.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace lumitag {

// True for the name of a temporary file of the EXIF writer:
// "." + the photo's name + ".lumitag-tmp-" + random characters.
bool IsWriterTemporaryName(const std::string& name);

class FolderWatch {
public:
    FolderWatch() = default;
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Stops any earlier watch and watches root (with every folder below it
    // when recursive, symbolic links to folders followed, no folder twice).
    // False when root cannot be watched; then nothing is watched.
    bool Start(const std::string& root, bool recursive);
    void Stop();
    bool IsWatching() const { return fd_ >= 0; }

    // Waits up to timeoutMs for a notification and, while notifications
    // keep coming within that time, reads them and waits again. True when
    // one of them was a relevant change. Deleting or moving the root counts.
    bool Poll(int timeoutMs);

private:
    struct Folder {
        std::string path;   // ends with "/"
        dev_t device = 0;
        ino_t inode = 0;
    };

    bool AddFolder(const std::string& path, bool isRoot);
    void AddTree(const std::string& path);
    void RemoveTree(const std::string& path);
    void Forget(int wd);
    bool ReadEvents();
    bool HandleEvent(int wd, unsigned mask, unsigned cookie, const std::string& name);

    int fd_ = -1;
    int rootWd_ = -1;
    bool recursive_ = false;
    std::map<int, Folder> folders_;                 // by watch descriptor
    std::map<std::string, int> wdByPath_;           // the same folders by path
    std::set<std::pair<dev_t, ino_t>> watchedIds_;  // device and inode of every watched folder
    std::deque<unsigned> writerMoveCookies_;        // renames that started at a temporary file
};

}  // namespace lumitag
