// The rename tab: live preview, preview with collision check, and apply.
// The walk, the names and the check are lumitag_rename's; these handlers
// only move texts between the controls and that library.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <sys/stat.h>

#include "app/Frmmainmodule.h"
#include "app/Kivlocal.h"
#include "app/LumitagOptions.h"
#include "rename/RenameBatch.h"
#include "util/kivUtilGui.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The duplicate mark of a row of lvRename.
constexpr int kMarkRole = Qt::UserRole + 1;

void StoreOption(bool& option, bool value)
{
    auto& options = LumitagOptions();
    if (option != value) {
        option = value;
        options.modified = true;
    }
}

}  // namespace

void TfrmMain::btPreviewClick(QObject* sender)
{
    kivUtil::TWaitCursor wait;
    lvRename->clear();
    const std::string folderText = cbLastDirs->currentText().toStdString();
    if (folderText.empty())
        return;
    // Checked before anything is stopped or emptied, so that a bad index
    // leaves the watch and the file list as they were.
    const std::string indexText = txIndex->text().toStdString();
    const auto startIndex = lumitag::ParseStartIndex(indexText);
    if (!startIndex) {
        kivUtil::ShowWarning("%s", lumitag::NotAnIntegerMessage(indexText).c_str());
        return;
    }
    const std::string root = lumitag::RenameRootFolder(folderText);
    if (!lumitag::IsExistingFolder(root)) {
        btApply->setEnabled(false);
        lbDoublons->setVisible(false);
        kivUtil::ShowWarning(TextOfKey("_folder_does_not_exists").c_str(), root.c_str());
        return;
    }
    rootFolder = root;
    const bool applyMode = sender == btApply;
    if (applyMode) {
        timerFiles->stop();
        // The first tab reloads its list when it is shown again.
        lvFiles->clear();
    }
    RenameFolder(rootFolder, chkRecursive->isChecked(), applyMode, chkRemoveAccent->isChecked(),
                 chkRemoveSpace->isChecked(), *startIndex);
    if (!applyMode) {
        btApply->setEnabled(MarkDuplicates());
        lbDoublons->setVisible(!btApply->isEnabled());
        // The recent list keeps the pattern trimmed, but the box must go on
        // showing the pattern just previewed: blanks at its ends are literal
        // characters, and Apply takes the box's text.
        const QString previewed = cbFormat->currentText();
        AddRecentFormat(previewed.toStdString());
        if (cbFormat->currentText() != previewed) {
            const QSignalBlocker block(cbFormat);
            cbFormat->setEditText(previewed);
        }
    }
    StartWatching();
}

void TfrmMain::RenameFolder(const std::string& folder, bool recursive, bool applyMode, bool foldAccents,
                            bool spacesToUnderscores, int startIndex)
{
    lumitag::RenameSettings settings;
    settings.pattern = cbFormat->currentText().toStdString();
    settings.rootFolder = rootFolder;
    settings.recursive = recursive;
    settings.startIndex = startIndex;
    settings.cleaning = {foldAccents, spacesToUnderscores};
    settings.apply = applyMode;
    lumitag::VisitedFolders visited;
    std::vector<lumitag::RenameRow> rows;
    lumitag::RenameFolder(settings, folder, exif, visited, rows);

    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    const QString texts[] = {Q(lumitag::StatusText(lumitag::RenameStatus::Yes)),
                             Q(lumitag::StatusText(lumitag::RenameStatus::No)),
                             Q(lumitag::StatusText(lumitag::RenameStatus::Done)),
                             Q(lumitag::StatusText(lumitag::RenameStatus::Failed))};
    for (const auto& row : rows) {
        auto* item = new QTreeWidgetItem({Q(row.fileName), Q(row.newName), texts[static_cast<int>(row.status)]});
        item->setData(0, kMarkRole, false);
        items.append(item);
    }
    const QSignalBlocker block(lvRename);
    lvRename->addTopLevelItems(items);
}

bool TfrmMain::MarkDuplicates()
{
    const int count = lvRename->topLevelItemCount();
    std::vector<lumitag::RenameRow> rows(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const QTreeWidgetItem* item = lvRename->topLevelItem(i);
        rows[static_cast<size_t>(i)].fileName = item->text(0).toStdString();
        rows[static_cast<size_t>(i)].newName = item->text(1).toStdString();
    }
    const bool none = lumitag::MarkDuplicates(rows, rootFolder);
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem* item = lvRename->topLevelItem(i);
        item->setData(0, kMarkRole, rows[static_cast<size_t>(i)].duplicate);
        lvRenameCustomDrawItem(item);
    }
    return none;
}

bool TfrmMain::IsRenameRowMarked(const QTreeWidgetItem* row) const
{
    return row && row->data(0, kMarkRole).toBool();
}

void TfrmMain::lvRenameCustomDrawItem(QTreeWidgetItem* row)
{
    const bool marked = IsRenameRowMarked(row);
    for (int column = 0; column < lvRename->columnCount(); ++column) {
        if (marked)
            row->setForeground(column, Qt::red);
        else
            row->setData(column, Qt::ForegroundRole, QVariant());  // the palette's text colour
    }
}

void TfrmMain::UpdateLivePreview()
{
    const std::string indexText = txIndex->text().toStdString();
    if (indexText == "?")
        return;
    if (liveRecords.empty()) {
        const std::string folder = lumitag::RenameRootFolder(cbLastDirs->currentText().toStdString());
        if (!folder.empty())
            ScanFolder(folder, liveRecords);
        if (liveRecords.empty())
            return;
    }
    const auto startIndex = lumitag::ParseStartIndex(indexText);
    if (!startIndex) {
        lbLivePreview->setText(lbLivePreview->text() + "?");
        return;
    }
    // The first record's own date: a photo without one shows day 0.
    lbLivePreview->setText(Q(lumitag::BuildNewFileName(cbFormat->currentText().toStdString(), liveRecords.front(),
                                                       liveRecords, *startIndex, rootFolder,
                                                       chkRemoveAccent->isChecked(), chkRemoveSpace->isChecked())));
}

void TfrmMain::cbFormatChange()
{
    btApply->setEnabled(false);
    lbDoublons->setVisible(false);
    UpdateLivePreview();
    lvRename->clear();
}

bool TfrmMain::cbFormatKeyPress(const QString& typed)
{
    // ";" separates the recent formats in the option file.
    return typed == ";";
}

void TfrmMain::cbFormatClick()
{
    AddRecentFormat(cbFormat->currentText().toStdString());
}

void TfrmMain::chkRemoveAccentClick()
{
    StoreOption(LumitagOptions().remove_accentuated_letters, chkRemoveAccent->isChecked());
    cbFormatChange();
}

void TfrmMain::chkRemoveSpaceClick()
{
    StoreOption(LumitagOptions().remove_spaces, chkRemoveSpace->isChecked());
    cbFormatChange();
}
