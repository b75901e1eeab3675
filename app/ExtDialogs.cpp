#include "app/ExtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>

#include <algorithm>
#include <memory>

#include "util/kivUtil.h"

namespace {

constexpr int kMinHistorySize = 1;
constexpr int kMaxHistorySize = 1000;

QString Q(const std::string& text) { return QString::fromStdString(text); }

QStringList SplitBars(const std::string& filter)
{
    return filter.empty() ? QStringList() : Q(filter).split('|');
}

// "*.jpg" gives "jpg"; patterns without a plain extension give "".
QString ExtensionOfPattern(const QString& pattern)
{
    if (!pattern.startsWith("*."))
        return {};
    const QString extension = pattern.mid(2);
    const bool plain = !extension.isEmpty() && !extension.contains('*') && !extension.contains('?') &&
                       !extension.contains('.') && !extension.contains('[');
    return plain ? extension : QString();
}

// The patterns of a QFileDialog name filter: the text in its last
// parentheses, or the whole filter when it has none.
QStringList PatternsOfNameFilter(const QString& nameFilter)
{
    const qsizetype open = nameFilter.lastIndexOf('(');
    const QString patterns = open >= 0 && nameFilter.endsWith(')')
        ? nameFilter.mid(open + 1, nameFilter.size() - open - 2)
        : nameFilter;
    return patterns.split(' ', Qt::SkipEmptyParts);
}

// Lets a handler see, and keep from the dialog, every event of its window.
class DialogMessageHook : public QObject {
public:
    DialogMessageHook(QObject* sender, std::function<void(QObject*, QEvent*, bool&)> handler)
        : sender_(sender), handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        bool handled = false;
        handler_(sender_, event, handled);
        return handled;
    }

private:
    QObject* sender_;
    std::function<void(QObject*, QEvent*, bool&)> handler_;
};

QFileDialog::FileMode FileModeFor(bool save, TOpenOptions options)
{
    if (save)
        return QFileDialog::AnyFile;
    if (options & ofAllowMultiSelect)
        return QFileDialog::ExistingFiles;
    return options & ofFileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile;
}

QFileDialog::Options DialogOptionsFor(bool save, TOpenOptions options)
{
    QFileDialog::Options result;
    if (save && !(options & ofOverwritePrompt))
        result |= QFileDialog::DontConfirmOverwrite;
    if (options & ofOldStyleDialog)
        result |= QFileDialog::DontUseNativeDialog;
    if (options & ofNoDereferenceLinks)
        result |= QFileDialog::DontResolveSymlinks;
    return result;
}

// The folders of the chosen files, most recent last, each once: the
// dialog's list of recent places.
QStringList HistoryFolders(const std::vector<std::string>& files)
{
    QStringList folders;
    for (const auto& file : files) {
        const QString folder = QFileInfo(Q(file)).absolutePath();
        folders.removeAll(folder);
        folders.append(folder);
    }
    return folders;
}

QWidget* ApplicationMainWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<QMainWindow*>(widget))
            return widget;
    return nullptr;
}

}  // namespace

QStringList NameFiltersOf(const std::string& filter)
{
    const QStringList parts = SplitBars(filter);
    QStringList nameFilters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        if (i + 1 >= parts.size()) {
            if (!description.isEmpty())
                nameFilters.append(description);
            break;
        }
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        patterns = patterns.simplified();
        const QString inParentheses = "(" + patterns + ")";
        if (description.isEmpty())
            nameFilters.append(patterns);
        else if (description.endsWith(inParentheses))
            nameFilters.append(description);
        else
            nameFilters.append(description + " " + inParentheses);
    }
    return nameFilters;
}

TExtOpenDialog::TExtOpenDialog(QObject* owner) : QObject(owner) {}

TExtOpenDialog::~TExtOpenDialog() = default;

void TExtOpenDialog::SetHistoryList(const std::vector<std::string>& list)
{
    historyList_ = list;
    TrimHistory();
}

void TExtOpenDialog::SetHistoryListSize(int size)
{
    historyListSize_ = std::clamp(size, kMinHistorySize, kMaxHistorySize);
    TrimHistory();
}

void TExtOpenDialog::SetTemplateInt(std::int16_t id)
{
    templateInt_ = id;
    templateString_.clear();
}

void TExtOpenDialog::SetTemplateString(const std::string& name)
{
    templateString_ = name;
    templateInt_ = 0;
}

void TExtOpenDialog::TrimHistory()
{
    const auto excess = static_cast<std::ptrdiff_t>(historyList_.size()) - historyListSize_;
    if (excess > 0)
        historyList_.erase(historyList_.begin(), historyList_.begin() + excess);
}

void TExtOpenDialog::AddToHistory(const std::string& file)
{
    historyList_.erase(std::remove(historyList_.begin(), historyList_.end(), file), historyList_.end());
    historyList_.push_back(file);
    TrimHistory();
}

bool TExtOpenDialog::Execute()
{
    const bool save = IsSaveDialog();
    QFileDialog dialog(qobject_cast<QWidget*>(parent()));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(FileModeFor(save, Options));
    dialog.setOptions(DialogOptionsFor(save, Options));
    dialog.setSizeGripEnabled(Options & ofEnableSizing);

    const QStringList nameFilters = NameFiltersOf(Filter);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        if (FilterIndex >= 1 && FilterIndex <= nameFilters.size())
            dialog.selectNameFilter(nameFilters[FilterIndex - 1]);
    }
    if (!InitialDir.empty())
        dialog.setDirectory(Q(InitialDir));
    if (!Title.empty())
        dialog.setWindowTitle(Q(Title));
    dialog.setDefaultSuffix(Q(DefaultExt));
    if (!FileName.empty())
        dialog.selectFile(Q(FileName));
    if (!historyList_.empty())
        dialog.setHistory(HistoryFolders(historyList_));
    if (DynamicChangeDefaultExt) {
        connect(&dialog, &QFileDialog::filterSelected, &dialog, [this, &dialog](const QString& nameFilter) {
            const QStringList patterns = PatternsOfNameFilter(nameFilter);
            const QString extension = patterns.isEmpty() ? QString() : ExtensionOfPattern(patterns.front());
            if (!extension.isEmpty()) {
                DefaultExt = extension.toStdString();
                dialog.setDefaultSuffix(extension);
            }
        });
    }
    std::unique_ptr<DialogMessageHook> hook;
    if (OnDialogMessage) {
        hook = std::make_unique<DialogMessageHook>(this, OnDialogMessage);
        dialog.installEventFilter(hook.get());
    }

    files_.clear();
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (hook)
        dialog.removeEventFilter(hook.get());
    QStringList chosen = accepted ? dialog.selectedFiles() : QStringList();
    if (chosen.isEmpty())
        return false;
    // One file unless several were allowed: the one the dialog itself checked.
    if (!(Options & ofAllowMultiSelect))
        chosen = chosen.mid(0, 1);

    if (const qsizetype picked = nameFilters.indexOf(dialog.selectedNameFilter()); picked >= 0)
        FilterIndex = static_cast<int>(picked) + 1;
    for (const QString& file : chosen)
        files_.push_back(QFileInfo(file).absoluteFilePath().toStdString());
    FileName = files_.front();
    for (const auto& file : files_)
        AddToHistory(file);
    return true;
}

namespace kivUtil {

std::string SelectFile(const std::string& defaultExt, const std::string& filter, const std::string& proposedName,
                       bool save, const std::string& title, QWidget* owner, const std::string& initialDir)
{
    QObject* dialogOwner = owner ? owner : ApplicationMainWindow();
    const std::unique_ptr<TExtOpenDialog> dialog =
        save ? std::make_unique<TExtSaveDialog>(dialogOwner) : std::make_unique<TExtOpenDialog>(dialogOwner);
    dialog->DefaultExt = defaultExt;
    dialog->FileName = CleanDialogFileName(proposedName);
    dialog->Filter = filter;
    dialog->Title = title;
    if (!initialDir.empty())
        dialog->InitialDir = initialDir;
    dialog->Options |= save ? ofOverwritePrompt : ofFileMustExist;
    return dialog->Execute() ? dialog->Files().front() : std::string();
}

}  // namespace kivUtil
