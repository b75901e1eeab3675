// File-manager context-menu entries and the external image editor.
#include "app/Frmmainmodule.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>

#include "app/ExtDialogs.h"
#include "app/Kivlocal.h"
#include "app/LumitagOptions.h"
#include "app/ShellRegistration.h"
#include "util/kivUtil.h"
#include "util/kivUtilGui.h"

namespace {

// The editor's argument: the file name alone, since the editor starts in
// the file's folder. A name that begins with "-" gets "./" in front so that
// the editor cannot take it for an option.
QString EditorArgument(const std::string& fileName)
{
    const QString name = QString::fromStdString(fileName);
    return name.startsWith('-') ? "./" + name : name;
}

bool IgnoringAsciiCaseEquals(const std::string& text, const char* expected)
{
    return QString::fromStdString(text).compare(QLatin1String(expected), Qt::CaseInsensitive) == 0;
}

}  // namespace

void TfrmMain::ReadShellRegistration()
{
    kivUtil::TBoolSaver guard(updatingControls);
    updatingControls = true;
    chkShellRegister->setChecked(lumitag::ShellRegistration::ForCurrentUser().IsRegistered(lumitag::ShellVerbName()));
}

void TfrmMain::btShellRegisterClick()
{
    if (updatingControls)
        return;
    const auto registration = lumitag::ShellRegistration::ForCurrentUser();
    const std::string verb = lumitag::ShellVerbName();
    const bool done = chkShellRegister->isChecked() ? registration.Register(verb) : registration.Unregister(verb);
    registration.RefreshDesktopDatabase();
    // A folder that refused the change must not leave the box claiming it.
    if (!done)
        ReadShellRegistration();
}

void TfrmMain::txExternalEditorExit()
{
    if (updatingControls)
        return;
    auto& options = LumitagOptions();
    const std::string editor = txExternalEditor->text().toStdString();
    if (editor != options.external_editor) {
        options.external_editor = editor;
        options.modified = true;
    }
}

void TfrmMain::btExternalEditorClick()
{
    // Linux programs carry no extension: the dialog shows every file and
    // appends none.
    const std::string chosen = kivUtil::SelectFile("", "", "", false, lbExternalEditor->text().toStdString(), this,
                                                   kivUtil::ProgramFilesFolder());
    if (chosen.empty())
        return;
    txExternalEditor->setText(QString::fromStdString(chosen));
    txExternalEditorExit();
}

void TfrmMain::lvFilesDblClick()
{
    const std::string path = SelectedFullFileName();
    if (path.empty())
        return;
    const std::size_t slash = path.rfind('/');
    const std::string folder = path.substr(0, slash + 1);
    const std::string fileName = path.substr(slash + 1);
    const std::string editor = LumitagOptions().external_editor;

    const bool started = !editor.empty() &&
                         QProcess::startDetached(QString::fromStdString(editor), {EditorArgument(fileName)},
                                                 QString::fromStdString(folder));
    if (started)
        return;
    if (IgnoringAsciiCaseEquals(kivUtil::FileExtension(editor), "dll")) {
        kivUtil::OpenWithShell(path);
        return;
    }
    const std::string quotedName = "\"" + fileName + "\"";
    kivUtil::ShowWarning(TextOfKey("_failed_to_start_%s_on_picture_%s").c_str(), editor.c_str(), quotedName.c_str());
}
