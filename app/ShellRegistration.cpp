#include "app/ShellRegistration.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

#include <climits>
#include <unistd.h>

#include "app/Kivlocal.h"
#include "util/Utf8.h"
#include "util/kivUtil.h"

namespace lumitag {

namespace {

// How long the desktop database refresh may hold up the window.
constexpr int kRefreshTimeoutMs = 5000;

bool IsAsciiAlphanumeric(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// One element of a desktop file id: an element must not begin with a digit,
// and every byte but a letter or digit is written "_XX".
std::string EscapeIdElement(const std::string& element)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < element.size(); ++i) {
        const auto c = static_cast<unsigned char>(element[i]);
        const bool leadingDigit = i == 0 && c >= '0' && c <= '9';
        if (IsAsciiAlphanumeric(c) && !leadingDigit) {
            out += static_cast<char>(c);
        } else {
            out += '_';
            out += hex[c >> 4];
            out += hex[c & 0xF];
        }
    }
    return out.empty() ? "_" : out;
}

// A desktop entry value holds UTF-8 without control characters; tab, line
// feed and carriage return have escapes of their own.
bool CanStandInEntry(const std::string& text)
{
    bool valid = true;
    kivUtil::utf8::ForEachCharacter(text, [&](std::size_t, std::size_t, char32_t c) {
        if (c == kivUtil::utf8::InvalidByte || (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F)
            valid = false;
    });
    return valid;
}

// The escapes of a string value, applied after the Exec quoting.
std::string EscapeStringValue(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
    return out;
}

// One Exec argument in double quotes: ", `, $ and \ take a backslash, and %
// is doubled so that it is no field code.
std::string QuoteExecArgument(const std::string& argument)
{
    std::string out = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            out += '\\';
        if (c == '%')
            out += '%';
        out += c;
    }
    return out + "\"";
}

const char* MimeTypeOf(ShellKey key)
{
    return key == ShellKey::Folder ? "inode/directory;" : "image/jpeg;";
}

bool WriteTextFile(const std::string& path, const std::string& text)
{
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const auto bytes = QByteArray::fromStdString(text);
    return file.write(bytes) == bytes.size() && file.commit();
}

}  // namespace

std::string ShellVerbName()
{
    return TextOfKey("_see_in") + kivUtil::ApplicationTitle();
}

std::string ShellCommandKeyPath(ShellKey key, const std::string& verb)
{
    return std::string(key == ShellKey::Folder ? "Directory" : "jpegfile") + "\\shell\\" + verb + "\\Command";
}

std::string DesktopEntryFileName(const std::string& keyPath)
{
    std::string name = ApplicationId();
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = keyPath.find('\\', start);
        name += '.' + EscapeIdElement(keyPath.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return name + ".desktop";
}

std::string ExecValueFor(const std::string& program)
{
    if (program.empty() || !CanStandInEntry(program))
        return {};
    return EscapeStringValue(QuoteExecArgument(program)) + " %f";
}

std::string ShellEntryText(ShellKey key, const std::string& verb, const std::string& program)
{
    const std::string exec = ExecValueFor(program);
    if (exec.empty() || !CanStandInEntry(verb))
        return {};
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + EscapeStringValue(verb) + "\n"
           "Icon=" + ApplicationId() + "\n"
           "Exec=" + exec + "\n"
           "MimeType=" + MimeTypeOf(key) + "\n"
           "NoDisplay=true\n"
           "Terminal=false\n";
}

std::string RunningExecutable()
{
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    return n > 0 && static_cast<std::size_t>(n) < sizeof buffer ? std::string(buffer, static_cast<std::size_t>(n))
                                                                 : std::string();
}

ShellRegistration::ShellRegistration(std::string applicationsFolder, std::string program)
    : folder_(std::move(applicationsFolder)), program_(std::move(program))
{
    if (folder_.empty() || folder_.back() != '/')
        folder_ += '/';
}

ShellRegistration ShellRegistration::ForCurrentUser()
{
    return ShellRegistration(QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation).toStdString(),
                             RunningExecutable());
}

std::string ShellRegistration::EntryPath(ShellKey key, const std::string& verb) const
{
    return folder_ + DesktopEntryFileName(ShellCommandKeyPath(key, verb));
}

bool ShellRegistration::IsRegistered(const std::string& verb) const
{
    return QFile::exists(QString::fromStdString(EntryPath(ShellKey::Folder, verb)));
}

bool ShellRegistration::Register(const std::string& verb) const
{
    QDir().mkpath(QString::fromStdString(folder_));
    bool allWritten = true;
    for (const ShellKey key : {ShellKey::Folder, ShellKey::JpegFile}) {
        const std::string text = ShellEntryText(key, verb, program_);
        if (text.empty() || !WriteTextFile(EntryPath(key, verb), text))
            allWritten = false;
    }
    return allWritten;
}

bool ShellRegistration::Unregister(const std::string& verb) const
{
    bool allRemoved = true;
    for (const ShellKey key : {ShellKey::Folder, ShellKey::JpegFile}) {
        const QString path = QString::fromStdString(EntryPath(key, verb));
        if (QFile::exists(path) && !QFile::remove(path))
            allRemoved = false;
    }
    return allRemoved;
}

void ShellRegistration::RefreshDesktopDatabase() const
{
    const QString tool = QStandardPaths::findExecutable("update-desktop-database");
    if (tool.isEmpty())
        return;
    QProcess refresh;
    // Its complaints about other programs' entries are none of ours.
    refresh.setProcessChannelMode(QProcess::MergedChannels);
    refresh.setStandardOutputFile(QProcess::nullDevice());
    refresh.start(tool, {QString::fromStdString(folder_)});
    if (!refresh.waitForFinished(kRefreshTimeoutMs)) {
        refresh.kill();
        refresh.waitForFinished(1000);
    }
}

}  // namespace lumitag
