// The first tab's file list: rows, sorting, selection, the folder scan, the
// folder watch, the first paint and the picture preview.
#include <QApplication>
#include <QComboBox>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <sys/stat.h>

#include "app/Frmmainmodule.h"
#include "app/Kivlocal.h"
#include "catalogue/DateTimeValue.h"
#include "catalogue/JpegPreview.h"
#include "util/kivUtil.h"
#include "util/kivUtilGui.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The date column's value: the parsed text, 0 for "no date" or anything else.
double DateColumnValue(const QTreeWidgetItem* row)
{
    return lumitag::ParseDateText(row->text(3)).value_or(lumitag::kNoDate);
}

}  // namespace

// ---------------------------------------------------------------- records

std::string TfrmMain::FullFileName(const std::string& name) const
{
    return lumitag::FullFileName(name, rootFolder);
}

double TfrmMain::GetExifDate(const Texif_stl* document) const
{
    return lumitag::GetExifDate(document ? *document : exif);
}

TfrmMain::Titem TfrmMain::LoadItem(const std::string& fileName)
{
    return Titem(fileName, rootFolder, exif);
}

void TfrmMain::ScanFolder(const std::string& folder, std::vector<Titem>& records)
{
    lumitag::ScanFolder(folder, rootFolder, exif, records);
}

// ---------------------------------------------------------------- rows

void TfrmMain::FillRow(QTreeWidgetItem* row, const Titem& record)
{
    row->setText(0, Q(record.fileName));
    row->setText(1, Q(record.imageDescription));
    row->setText(2, Q(record.userComment));
    row->setText(3, Q(lumitag::ItemDateText(record)));
    row->setText(4, Q(record.artist));
}

void TfrmMain::RefreshRow(QTreeWidgetItem* row, const std::string& name)
{
    FillRow(row, LoadItem(name));
}

std::string TfrmMain::SelectedFileName() const
{
    const auto selected = lvFiles->selectedItems();
    return selected.isEmpty() ? std::string() : selected.front()->text(0).toStdString();
}

std::string TfrmMain::SelectedFullFileName() const
{
    return FullFileName(SelectedFileName());
}

int TfrmMain::lvFilesCompare(const QTreeWidgetItem* row1, const QTreeWidgetItem* row2) const
{
    if (sortColumn == 3) {
        const double a = DateColumnValue(row1), b = DateColumnValue(row2);
        return a < b ? -1 : (a > b ? 1 : 0);
    }
    const int column = std::clamp(sortColumn, 0, 4);
    return lumitag::CompareIgnoringAsciiCase(row1->text(column).toStdString(), row2->text(column).toStdString());
}

void TfrmMain::lvFilesColumnClick(int column)
{
    sortColumn = column;
    SortFileList();
}

// Sorts ascending by sortColumn. Each row's key is computed once per sort, so a
// sort by date parses every date text once, not once per comparison.
void TfrmMain::SortFileList()
{
    struct Keyed {
        QTreeWidgetItem* row;
        double date;
        std::string text;
    };
    const int column = std::clamp(sortColumn, 0, 4);
    QTreeWidgetItem* selected = lvFiles->selectedItems().isEmpty() ? nullptr : lvFiles->selectedItems().front();
    QTreeWidgetItem* current = lvFiles->currentItem();

    const QSignalBlocker block(lvFiles);
    const QList<QTreeWidgetItem*> rows = lvFiles->invisibleRootItem()->takeChildren();
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<size_t>(rows.size()));
    for (auto* row : rows) {
        if (column == 3)
            keyed.push_back({row, DateColumnValue(row), {}});
        else
            keyed.push_back({row, 0, row->text(column).toStdString()});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [column](const Keyed& a, const Keyed& b) {
        return column == 3 ? a.date < b.date : lumitag::CompareIgnoringAsciiCase(a.text, b.text) < 0;
    });
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(rows.size());
    for (const auto& k : keyed)
        sorted.append(k.row);
    lvFiles->addTopLevelItems(sorted);
    if (current)
        lvFiles->setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    if (selected)
        selected->setSelected(true);
}

void TfrmMain::lvFilesSelectItem(QTreeWidgetItem* row, bool selected)
{
    if (!row || !selected)
        return;
    ShowSelectedItem();
    SetEditMode(false);
    ShowPreview();
}

// ---------------------------------------------------------------- scan and load

namespace {

void AddFolderRows(TfrmMain& window, const std::string& folder, bool recursive, lumitag::VisitedFolders& visited)
{
    if (!visited.Enter(folder))
        return;
    std::vector<TfrmMain::Titem> records;
    window.ScanFolder(folder, records);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(records.size()));
    for (const auto& record : records) {
        auto* row = new QTreeWidgetItem;
        window.FillRow(row, record);
        rows.append(row);
    }
    window.lvFiles->addTopLevelItems(rows);
    if (!recursive)
        return;
    for (const auto& sub : lumitag::SubFolders(folder))
        AddFolderRows(window, sub, true, visited);
}

}  // namespace

void TfrmMain::AddFolderToList(const std::string& folder, bool recursive)
{
    lumitag::VisitedFolders visited;
    AddFolderRows(*this, folder, recursive, visited);
}

void TfrmMain::LoadFileList()
{
    kivUtil::TWaitCursor wait;
    lvFiles->clear();
    const std::string text = cbLastDirs->currentText().toStdString();
    if (text.empty())
        return;
    rootFolder = lumitag::RootFolderFromText(text);
    if (!lumitag::IsExistingFolder(rootFolder)) {
        StopWatching();
        const std::string message = TextOfKey("_folder_does_not_exists");
        kivUtil::ShowWarning(message.c_str(), rootFolder.c_str());
        return;
    }
    {
        // The rows arrive in one batch per folder; no selection handling runs
        // until the first row is selected below.
        const QSignalBlocker block(lvFiles);
        lvFiles->setUpdatesEnabled(false);
        AddFolderToList(rootFolder, chkRecursive->isChecked());
        lvFiles->setUpdatesEnabled(true);
    }
    if (lvFiles->topLevelItemCount() > 0) {
        QTreeWidgetItem* first = lvFiles->topLevelItem(0);
        lvFiles->setCurrentItem(first);
        first->setSelected(true);
        lvFiles->setFocus();
        StartWatching();
    } else {
        // Nothing listed: the previous folder's watch would only reload this one.
        StopWatching();
    }
    ShowStatus("");
}

// ---------------------------------------------------------------- watch

void TfrmMain::StartWatching()
{
    StopWatching();
    if (rootFolder.empty())
        return;
    watchHandle.Start(rootFolder, chkRecursive->isChecked());
    timerFiles->start();
}

void TfrmMain::StopWatching()
{
    if (timerFiles)
        timerFiles->stop();
    watchHandle.Stop();
}

void TfrmMain::timerFilesTimer()
{
    if (!watchHandle.IsWatching())
        return;
    timerFiles->stop();
    const bool changed = watchHandle.Poll(timerFiles->interval() / 10);
    if (!changed) {
        timerFiles->start();
        return;
    }
    const QString caption = Q(SelectedFileName());
    const auto selected = lvFiles->selectedItems();
    const int index = selected.isEmpty() ? 0 : lvFiles->indexOfTopLevelItem(selected.front());

    StopWatching();
    SetEditMode(false);
    btRefreshClick();

    const int count = lvFiles->topLevelItemCount();
    if (count == 0)
        return;
    QTreeWidgetItem* target = nullptr;
    if (!caption.isEmpty()) {
        for (int i = 0; i < count && !target; ++i)
            if (lvFiles->topLevelItem(i)->text(0).compare(caption, Qt::CaseInsensitive) == 0)
                target = lvFiles->topLevelItem(i);
    }
    if (!target)
        target = lvFiles->topLevelItem(std::min(index, count - 1));
    lvFiles->setCurrentItem(target);
    target->setSelected(true);
}

// ---------------------------------------------------------------- folder area handlers

void TfrmMain::btRefreshClick()
{
    const std::string folder = lumitag::RootFolderFromText(cbLastDirs->currentText().toStdString());
    if (lumitag::IsExistingFolder(folder))
        AddRecentFolder(folder);
    liveRecords.clear();
    UpdateLivePreview();
    if (tabMain->currentWidget() == tabEXIF) {
        LoadFileList();
        SetEditMode(false);
    } else {
        btPreviewClick(btRefresh);
    }
}

void TfrmMain::btBrowseClick()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, Q(TextOfKey("_select_root_title")), cbLastDirs->currentText(), QFileDialog::ShowDirsOnly);
    if (chosen.isEmpty())
        return;
    if (chosen != cbLastDirs->currentText()) {
        cbLastDirs->setEditText(chosen);
        AddRecentFolder(chosen.toStdString());
    }
    if (tabMain->currentWidget() == tabEXIF)
        LoadFileList();
    else
        lvFiles->clear();
    liveRecords.clear();
    UpdateLivePreview();
    cbFormatChange();
}

void TfrmMain::cbLastDirsKeyPress()
{
    SetDefaultButton(btRefresh, true);
}

void TfrmMain::chkRecursiveClick()
{
    if (tabMain->currentWidget() == tabEXIF)
        LoadFileList();
    else
        lvFiles->clear();
    cbFormatChange();
}

void TfrmMain::tabMainChange()
{
    if (tabMain->currentWidget() == tabEXIF && lvFiles->topLevelItemCount() == 0)
        LoadFileList();
    // The rename tab shows the first new name as soon as it is opened, not
    // only once the pattern is edited.
    if (tabMain->currentWidget() == tabRename && lbLivePreview->text().isEmpty())
        UpdateLivePreview();
}

void TfrmMain::FormPaint()
{
    if (!firstPaintPending)
        return;
    firstPaintPending = false;
    QCoreApplication::processEvents();
    LoadFileList();
    if (arguments_.isEmpty())
        return;
    const std::string argument = QFileInfo(arguments_.front()).absoluteFilePath().toStdString();
    if (!lumitag::IsExistingFile(argument))
        return;
    const std::string truePath = kivUtil::TrueCasePath(argument);
    const QString name = Q(truePath.substr(truePath.find_last_of('/') + 1));
    for (int i = 0; i < lvFiles->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = lvFiles->topLevelItem(i);
        if (row->text(0).compare(name, Qt::CaseInsensitive) == 0) {
            lvFiles->setCurrentItem(row);
            row->setSelected(true);
            break;
        }
    }
}

// ---------------------------------------------------------------- preview

void TfrmMain::ShowPreview()
{
    if (!chkPreview->isChecked()) {
        imImage->hide();
        imImage->clear();
        return;
    }
    const std::string path = SelectedFullFileName();
    const QImage picture = path.empty() ? QImage() : lumitag::DecodeJpegPreview(path).image;
    if (picture.isNull()) {
        imImage->clear();
        ShowStatus(TextOfKey("_error_reading_image"));
    } else {
        imImage->setPixmap(QPixmap::fromImage(picture));
        FitPreview();
        ShowStatus("");
    }
    imImage->show();
    chkPreview->raise();
}

void TfrmMain::FitPreview()
{
    const QPixmap picture = imImage->pixmap();
    const QRect area = panImage->contentsRect();
    if (const auto placed = lumitag::FitPreview(area.size(), picture.size()))
        imImage->setGeometry(*placed);
}

void TfrmMain::panImageResize()
{
    FitPreview();
}

void TfrmMain::chkPreviewClick()
{
    ShowPreview();
}
