// File-manager context-menu entries: "See in Lumitag" for folders and JPEG
// files, kept as per-user freedesktop desktop entries (NoDisplay=true) that
// start the program with the clicked path as its first argument.
//
// Each entry stands for one command key, "Directory\shell\<verb>\Command" or
// "jpegfile\shell\<verb>\Command"; its file name is made from that key, so
// each language's verb has its own pair of files. Window-free: needs Qt Core.
#pragma once

#include <string>

namespace lumitag {

// The reverse-DNS id of the program; its desktop entry, icon and metainfo
// are named after it.
constexpr const char* ApplicationId() { return "org.example.lumitag"; }

enum class ShellKey { Folder, JpegFile };

// "See in Lumitag" in the current language.
std::string ShellVerbName();

// "Directory\shell\<verb>\Command" or "jpegfile\shell\<verb>\Command".
std::string ShellCommandKeyPath(ShellKey key, const std::string& verb);

// The desktop entry's file name for a key path: the application id, the
// key's elements and ".desktop", joined by dots. Letters and digits stand
// for themselves and every other byte is written "_XX" (hex), so two key
// paths never share a file and the name is a valid desktop file id.
std::string DesktopEntryFileName(const std::string& keyPath);

// The Exec value that starts program on one clicked file: the program
// quoted as desktop entries require, a blank and "%f". Empty when the path
// cannot stand in a desktop entry (not UTF-8, or a control character other
// than tab, line feed and carriage return).
std::string ExecValueFor(const std::string& program);

// The whole text of the entry for one key.
std::string ShellEntryText(ShellKey key, const std::string& verb, const std::string& program);

// The full path of the running executable, "" when it cannot be read.
std::string RunningExecutable();

// The entries of one folder of desktop entries, all starting one program.
class ShellRegistration {
public:
    // applicationsFolder ends with "/" or not; program is the full path that
    // the entries start.
    ShellRegistration(std::string applicationsFolder, std::string program);

    // $XDG_DATA_HOME/applications/ and the running executable.
    static ShellRegistration ForCurrentUser();

    std::string EntryPath(ShellKey key, const std::string& verb) const;

    // The folder entry of this verb exists; the JPEG entry is not looked at.
    bool IsRegistered(const std::string& verb) const;

    // Writes both entries of the verb, each replaced atomically. A key that
    // cannot be written is skipped and the other is still written; the
    // result is false when either failed.
    bool Register(const std::string& verb) const;

    // Removes both entries of the verb; false when either is still there.
    bool Unregister(const std::string& verb) const;

    // Asks update-desktop-database to refresh the folder's cache of entries
    // where that tool is installed; does nothing otherwise. Never fails.
    void RefreshDesktopDatabase() const;

private:
    std::string folder_;  // ends with "/"
    std::string program_;
};

}  // namespace lumitag
