#include "catalogue/FolderWatch.h"

#include <dirent.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <unordered_set>
#include <vector>

namespace lumitag {

namespace {

constexpr unsigned kFolderEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF
    | IN_MOVE_SELF | IN_ONLYDIR;
// Only so many renames of temporary files are remembered; the writer's
// rename pairs arrive together, so a short memory is enough.
constexpr size_t kRememberedCookies = 64;

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool IsWriterTemporaryName(const std::string& name)
{
    static const std::string kMark = ".lumitag-tmp-";
    if (name.size() < 2 || name[0] != '.')
        return false;
    const size_t mark = name.find(kMark, 1);
    return mark != std::string::npos && mark > 1 && mark + kMark.size() < name.size();
}

FolderWatch::~FolderWatch()
{
    Stop();
}

bool FolderWatch::Start(const std::string& root, bool recursive)
{
    Stop();
    fd_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd_ < 0)
        return false;
    recursive_ = recursive;
    const std::string rootPath = WithSlash(root);
    if (!AddFolder(rootPath, true)) {
        Stop();
        return false;
    }
    if (recursive_)
        AddTree(rootPath);
    return true;
}

void FolderWatch::Stop()
{
    if (fd_ >= 0)
        close(fd_);  // closing the descriptor removes every watch
    fd_ = -1;
    rootWd_ = -1;
    folders_.clear();
    wdByPath_.clear();
    watchedIds_.clear();
    writerMoveCookies_.clear();
}

bool FolderWatch::AddFolder(const std::string& path, bool isRoot)
{
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode))
        return false;
    if (!watchedIds_.insert({status.st_dev, status.st_ino}).second)
        return false;  // reached before, through a link or a cycle
    const int wd = inotify_add_watch(fd_, path.c_str(), kFolderEvents);
    if (wd < 0) {
        watchedIds_.erase({status.st_dev, status.st_ino});
        return false;
    }
    folders_[wd] = Folder{path, status.st_dev, status.st_ino};
    wdByPath_[path] = wd;
    if (isRoot)
        rootWd_ = wd;
    return true;
}

// Watches every folder below path (path itself already watched), depth
// first without recursion, so deep trees cannot exhaust the stack.
void FolderWatch::AddTree(const std::string& path)
{
    std::vector<std::string> pending{path};
    while (!pending.empty()) {
        const std::string folder = std::move(pending.back());
        pending.pop_back();
        DIR* dir = opendir(folder.c_str());
        if (!dir)
            continue;
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            if (entry->d_type != DT_DIR && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
                continue;
            const std::string child = folder + name + "/";
            if (AddFolder(child, false))
                pending.push_back(child);
        }
        closedir(dir);
    }
}

void FolderWatch::RemoveTree(const std::string& path)
{
    std::vector<int> gone;
    for (auto it = wdByPath_.lower_bound(path); it != wdByPath_.end() && StartsWith(it->first, path); ++it)
        if (it->second != rootWd_)
            gone.push_back(it->second);
    for (int wd : gone) {
        inotify_rm_watch(fd_, wd);
        Forget(wd);
    }
}

void FolderWatch::Forget(int wd)
{
    const auto it = folders_.find(wd);
    if (it == folders_.end())
        return;
    watchedIds_.erase({it->second.device, it->second.inode});
    wdByPath_.erase(it->second.path);
    folders_.erase(it);
}

bool FolderWatch::Poll(int timeoutMs)
{
    bool changed = false;
    while (fd_ >= 0) {
        pollfd request{fd_, POLLIN, 0};
        const int ready = poll(&request, 1, timeoutMs);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        if (ReadEvents())
            changed = true;
    }
    return changed;
}

// Reads every queued event; true when one of them is a relevant change.
bool FolderWatch::ReadEvents()
{
    struct Event {
        int wd;
        unsigned mask;
        unsigned cookie;
        std::string name;
    };
    // The whole queue first: the writer's exchange of a photo with its
    // temporary file moves the photo's name away in one event and the
    // temporary name in the next, and only both together show it is ours.
    std::vector<Event> events;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = read(fd_, buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;  // EAGAIN: the queue is empty
        for (ssize_t offset = 0; offset < length;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            events.push_back({event->wd, event->mask, event->cookie,
                              event->len > 0 ? std::string(event->name) : std::string()});
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    // Cookies of the renames that end on a temporary name of the writer.
    std::unordered_set<unsigned> intoWriterFile;
    for (const Event& event : events)
        if ((event.mask & IN_MOVED_TO) && IsWriterTemporaryName(event.name))
            intoWriterFile.insert(event.cookie);
    bool changed = false;
    for (const Event& event : events) {
        if ((event.mask & IN_MOVED_FROM) && intoWriterFile.count(event.cookie))
            continue;  // the photo's old content parked under the temporary name
        if (HandleEvent(event.wd, event.mask, event.cookie, event.name))
            changed = true;
    }
    return changed;
}

bool FolderWatch::HandleEvent(int wd, unsigned mask, unsigned cookie, const std::string& name)
{
    if (mask & IN_Q_OVERFLOW)
        return true;  // events were lost: assume the worst
    const auto it = folders_.find(wd);
    if (it == folders_.end())
        return false;  // a watch already given up
    const bool isRoot = wd == rootWd_;
    if (mask & IN_IGNORED) {
        Forget(wd);
        return isRoot;
    }
    if (mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT))
        return isRoot;  // below the root the parent folder reports it
    const std::string path = it->second.path + name;
    if (IsWriterTemporaryName(name)) {
        if (mask & IN_MOVED_FROM) {
            writerMoveCookies_.push_back(cookie);
            if (writerMoveCookies_.size() > kRememberedCookies)
                writerMoveCookies_.pop_front();
        }
        return false;
    }
    if (mask & IN_MOVED_TO) {
        const auto own = std::find(writerMoveCookies_.begin(), writerMoveCookies_.end(), cookie);
        if (own != writerMoveCookies_.end()) {
            writerMoveCookies_.erase(own);
            return false;  // the writer's temporary file replacing its photo
        }
    }
    if (recursive_) {
        // Not only IN_ISDIR: a symbolic link to a folder is no folder itself.
        if (mask & (IN_MOVED_FROM | IN_DELETE))
            RemoveTree(path + "/");
        if ((mask & (IN_CREATE | IN_MOVED_TO)) && AddFolder(path + "/", false))
            AddTree(path + "/");
    }
    return (mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)) != 0;
}

}  // namespace lumitag
