#include "util/kivUtil.h"
#include "util/Utf8.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kivUtil {

namespace {

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

// The passwd entry of the process's user, looked up without the shared
// static buffer of getpwuid.
struct PasswdEntry {
    passwd entry{};
    std::vector<char> buffer;
};

std::unique_ptr<PasswdEntry> CurrentUserEntry()
{
    auto result = std::make_unique<PasswdEntry>();
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    result->buffer.resize(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &result->entry, result->buffer.data(), result->buffer.size(), &found) != 0 || !found)
        return nullptr;
    return result;
}

std::string ExistingFolderOf(QStandardPaths::StandardLocation location)
{
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty() || !QFileInfo(path).isDir())
        return {};
    return WithTrailingSlash(path.toStdString());
}

bool IsFolder(const std::string& path, unsigned char type)
{
    if (type == DT_DIR)
        return true;
    if (type != DT_LNK && type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Names of a folder's entries, "." and ".." left out; false when unreadable.
template <typename Visit>
bool ForEachEntry(const std::string& folder, Visit visit)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            visit(name, entry->d_type);
    }
    ::closedir(dir);
    return true;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    return QString::compare(QString::fromStdString(a), QString::fromStdString(b), Qt::CaseInsensitive) == 0;
}

bool IsValidUtf8(const std::string& text)
{
    for (std::size_t pos = 0, len; pos < text.size(); pos += len)
        if ((len = utf8::SequenceLength(text, pos)) == 0)
            return false;
    return true;
}

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The byte length of the first count characters of text (an invalid byte
// counts as one character), or npos when the text is shorter.
std::size_t BytesOfCharacters(const std::string& text, std::size_t count)
{
    std::size_t pos = 0;
    for (; count > 0 && pos < text.size(); --count) {
        const std::size_t len = utf8::SequenceLength(text, pos);
        pos += len ? len : 1;
    }
    return count == 0 ? pos : std::string::npos;
}

std::size_t CharacterCount(const std::string& text)
{
    std::size_t count = 0;
    utf8::ForEachCharacter(text, [&](std::size_t, std::size_t, char32_t) { ++count; });
    return count;
}

std::string MimeTypeOf(const std::string& fileOrExtension)
{
    QMimeDatabase mimes;
    const QFileInfo file(QString::fromStdString(fileOrExtension));
    const QMimeType type = file.isFile()
        ? mimes.mimeTypeForFile(file)
        : mimes.mimeTypeForFile("file." + QString::fromStdString(fileOrExtension), QMimeDatabase::MatchExtension);
    return type.isValid() && !type.isDefault() ? type.name().toStdString() : std::string();
}

std::string DefaultDesktopEntryFor(const std::string& mimeType)
{
    const QString xdgMime = QStandardPaths::findExecutable("xdg-mime");
    if (xdgMime.isEmpty())
        return {};
    QProcess query;
    query.start(xdgMime, {"query", "default", QString::fromStdString(mimeType)});
    if (!query.waitForFinished(10000) || query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0) {
        query.kill();
        query.waitForFinished(1000);
        return {};
    }
    const QString answer = QString::fromLocal8Bit(query.readAllStandardOutput()).section('\n', 0, 0);
    return answer.section(';', 0, 0).trimmed().toStdString();
}

// Desktop entry ids map "-" to sub-folders: "kde-foo.desktop" may be
// applications/kde/foo.desktop.
QString LocateDesktopEntry(const std::string& id)
{
    QString relative = QString::fromStdString(id);
    for (;;) {
        const QString found = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, relative);
        if (!found.isEmpty())
            return found;
        const qsizetype dash = relative.indexOf('-');
        if (dash < 0)
            return {};
        relative[dash] = '/';
    }
}

std::string ExecOfDesktopEntry(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    bool inMainGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith('['))
            inMainGroup = line == "[Desktop Entry]";
        else if (inMainGroup && line.startsWith("Exec") && line.mid(4).trimmed().startsWith('='))
            return line.section('=', 1).trimmed().toStdString();
    }
    return {};
}

// The first argument of an Exec value, with the quoting of desktop entries.
std::string FirstExecArgument(const std::string& exec)
{
    std::size_t pos = exec.find_first_not_of(" \t");
    if (pos == std::string::npos)
        return {};
    std::string argument;
    if (exec[pos] != '"') {
        const std::size_t end = exec.find_first_of(" \t", pos);
        return exec.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    }
    for (++pos; pos < exec.size() && exec[pos] != '"'; ++pos) {
        if (exec[pos] == '\\' && pos + 1 < exec.size())
            ++pos;
        argument += exec[pos];
    }
    return argument;
}

}  // namespace

std::string FullNameFromGecos(const char* gecos)
{
    if (!gecos)
        return {};
    const std::string field = gecos;
    return field.substr(0, field.find(','));
}

std::string DefaultUserName()
{
    const auto user = CurrentUserEntry();
    return user ? FullNameFromGecos(user->entry.pw_gecos) : LoginUserName();
}

std::string LoginUserName()
{
    if (const auto user = CurrentUserEntry(); user && user->entry.pw_name)
        return user->entry.pw_name;
    char name[LOGIN_NAME_MAX + 1] = {};
    return getlogin_r(name, sizeof name) == 0 ? std::string(name) : std::string();
}

bool SystemLanguageIsFrench()
{
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (!value || !*value)
            continue;
        const std::string locale = value;
        return locale.compare(0, 2, "fr") == 0 && (locale.size() == 2 || std::string("_.@").find(locale[2]) != std::string::npos);
    }
    return false;
}

std::string TempFolder()
{
    return WithTrailingSlash(QDir::tempPath().toStdString());
}

std::string FindAssociatedProgram(const std::string& fileOrExtension)
{
    const std::string mimeType = MimeTypeOf(fileOrExtension);
    if (mimeType.empty())
        return {};
    const std::string entryId = DefaultDesktopEntryFor(mimeType);
    if (entryId.empty())
        return {};
    const QString entryPath = LocateDesktopEntry(entryId);
    return entryPath.isEmpty() ? std::string() : ProgramOfExecLine(ExecOfDesktopEntry(entryPath));
}

std::string ProgramOfExecLine(const std::string& exec)
{
    const std::string program = FirstExecArgument(exec);
    if (program.empty())
        return {};
    if (program.find('/') != std::string::npos)
        return QFileInfo(QString::fromStdString(program)).isExecutable() ? program : std::string();
    return QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
}

std::string TrueCasePath(const std::string& path)
{
    std::string base = path;
    while (base.size() > 1 && base.back() == '/')
        base.pop_back();
    const std::size_t slash = base.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : base.substr(0, slash + 1);
    const std::string name = base.substr(folder.size());
    if (name.empty())
        return path;
    std::string stored;
    bool exact = false;
    ForEachEntry(folder, [&](const std::string& entry, unsigned char) {
        if (entry == name)
            exact = true;
        else if (stored.empty() && EqualIgnoringCase(entry, name))
            stored = entry;
    });
    if (exact || stored.empty())
        return path;
    return folder + stored + path.substr(base.size());
}

std::string ProgramFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof buffer) {
        const std::string executable(buffer, static_cast<std::size_t>(n));
        return executable.substr(0, executable.rfind('/') + 1);
    }
    return WithTrailingSlash(QDir::currentPath().toStdString());
}

std::string AbsoluteFolder(const std::string& folder)
{
    return WithTrailingSlash(!folder.empty() && folder.front() == '/' ? folder : ProgramFolder() + folder);
}

bool ListFolder(const std::string& folder, unsigned mask, std::vector<std::string>& entries)
{
    entries.clear();
    const std::string absolute = AbsoluteFolder(folder);
    return ForEachEntry(absolute, [&](const std::string& name, unsigned char type) {
        const std::string full = absolute + name;
        if (mask & (IsFolder(full, type) ? lfFolders : lfFiles))
            entries.push_back(full);
    });
}

std::size_t RootPrefixLength(const std::string& path, const std::string& root)
{
    const std::size_t prefixBytes = BytesOfCharacters(path, CharacterCount(root));
    if (root.empty() || prefixBytes == std::string::npos)
        return 0;
    const std::string prefix = path.substr(0, prefixBytes);
    const bool same = IsValidUtf8(prefix) && IsValidUtf8(root) ? EqualIgnoringCase(prefix, root)
                                                               : EqualIgnoringAsciiCase(prefix, root);
    return same ? prefixBytes : 0;
}

std::string DesktopFolder() { return ExistingFolderOf(QStandardPaths::DesktopLocation); }
std::string PicturesFolder() { return ExistingFolderOf(QStandardPaths::PicturesLocation); }
std::string ProgramFilesFolder() { return "/usr/bin/"; }

}  // namespace kivUtil
