// The edit band of the first tab: browse and edit states, the proposals for
// empty fields, validation, cancel and the file dates. The EXIF side of a
// validation and the proposals themselves live in the catalogue library; the
// handlers here move texts between it, the options and the controls.
#include <QApplication>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>
#include <array>
#include <sys/stat.h>

#include "app/Frmmainmodule.h"
#include "app/Kivlocal.h"
#include "app/LumitagOptions.h"
#include "catalogue/DateTimeValue.h"
#include "catalogue/EditProposals.h"
#include "catalogue/FileDates.h"
#include "catalogue/PhotoEdit.h"
#include "util/kivUtilGui.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::array<QLineEdit*, 4> EditFields(const TfrmMain& window)
{
    return {window.txDescription, window.txUserComment, window.txArtist, window.txDate};
}

bool IsEditField(const TfrmMain& window, const QWidget* widget)
{
    const auto fields = EditFields(window);
    return widget && std::find(fields.begin(), fields.end(), widget) != fields.end();
}

QTreeWidgetItem* SelectedRow(const QTreeWidget* list)
{
    const auto selected = list->selectedItems();
    return selected.isEmpty() ? nullptr : selected.front();
}

// A localised text with its "%s" filled. Not a printf format: a path may
// hold "%".
std::string WithPlaceholder(std::string text, const std::string& value)
{
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}

// 0 selects the whole text, 1 puts the caret at the end, 2 at the start.
void ApplyFocusAction(QLineEdit* field, int option)
{
    switch (option) {
    case 0:
        field->selectAll();
        break;
    case 1:
        field->setCursorPosition(static_cast<int>(field->text().size()));
        break;
    case 2:
        field->setCursorPosition(0);
        break;
    default:
        break;
    }
}

// A proposal for an empty field counts as typed, so that Validate writes it.
void Propose(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setModified(!text.isEmpty());
}

lumitag::PhotoEdits MarkedFields(const TfrmMain& window)
{
    lumitag::PhotoEdits edits;
    const auto take = [](const QLineEdit* field, std::optional<std::string>& edit) {
        if (field->isModified())
            edit = field->text().toStdString();
    };
    take(window.txDescription, edits.imageDescription);
    take(window.txUserComment, edits.userComment);
    take(window.txArtist, edits.artist);
    if (window.txDate->isModified())
        edits.SetDateFromText(window.txDate->text());
    return edits;
}

// The edited texts become the proposals for the next photos; the date never
// does.
void StoreProposals(const lumitag::PhotoEdits& edits, bool firstOfRun)
{
    auto& options = LumitagOptions();
    const auto store = [&options](const std::optional<std::string>& edit, std::string& option) {
        if (!edit)
            return false;
        option = lumitag::TrimControls(*edit);
        options.modified = true;
        return true;
    };
    if (store(edits.imageDescription, options.last_description) && firstOfRun)
        options.firstDescription = options.last_description;
    store(edits.userComment, options.default_user_comment);
    store(edits.artist, options.default_artist);
}

// Back to browsing, with the list in focus; the next validation starts a new
// run of validations.
void EndRun(TfrmMain& window)
{
    window.firstDescriptionPending = true;
    window.SetEditMode(false);
    window.lvFiles->setFocus();
}

}  // namespace

void TfrmMain::SetEditMode(bool editing)
{
    editMode = editing;
    for (QLineEdit* field : EditFields(*this)) {
        field->setReadOnly(!editing);
        QPalette palette = field->palette();
        palette.setColor(QPalette::Base, editing ? QPalette().color(QPalette::Base) : QPalette().color(QPalette::Button));
        field->setPalette(palette);
        if (!editing)
            field->setModified(false);
    }
    const bool rowSelected = !lvFiles->selectedItems().isEmpty();
    btChange->setEnabled(!editing && rowSelected);
    btValidate->setEnabled(editing);
    btCancel->setEnabled(editing);
    SetDefaultButton(btValidate, editing);
    SetDefaultButton(btChange, !editing && btChange->isEnabled());
    SetDefaultButton(btRefresh, false);
}

void TfrmMain::ShowSelectedItem()
{
    const QTreeWidgetItem* row = SelectedRow(lvFiles);
    if (!row)
        return;
    txDescription->setText(row->text(1));
    txUserComment->setText(row->text(2));
    txArtist->setText(row->text(4));
    txDate->setText(lumitag::ParseDateText(row->text(3)) ? row->text(3) : QString());
    for (QLineEdit* field : EditFields(*this))
        field->setModified(false);
}

void TfrmMain::txDescriptionEnter(QLineEdit* field)
{
    lastEditField = field;
    ApplyFocusAction(field, LumitagOptions().focus_action_option);
    // The field's own focus handling comes after this call (a Tab selects
    // all, a click places the caret); running the action again once that is
    // done makes the chosen action win whatever the focus reason.
    QMetaObject::invokeMethod(
        field,
        [field] {
            if (field->hasFocus())
                ApplyFocusAction(field, LumitagOptions().focus_action_option);
        },
        Qt::QueuedConnection);
}

double TfrmMain::GuessDate()
{
    QTreeWidgetItem* row = SelectedRow(lvFiles);
    if (!row)
        return lumitag::kNoDate;
    const int index = lvFiles->indexOfTopLevelItem(row);
    const auto pathOfRow = [this](int at) {
        const QTreeWidgetItem* neighbour = lvFiles->topLevelItem(at);  // none outside the list
        return neighbour ? FullFileName(neighbour->text(0).toStdString()) : std::string();
    };
    const lumitag::ListNeighbours rows{SelectedFullFileName(), pathOfRow(index - 1), pathOfRow(index + 1)};
    return lumitag::GuessDate(rows, exif.tracer).value_or(lumitag::kNoDate);
}

void TfrmMain::btChangeClick()
{
    const std::string path = SelectedFullFileName();
    if (path.empty())
        return;
    if (!lumitag::IsExistingFile(path)) {
        kivUtil::ShowWarning(TextOfKey("_file_does_not_exist_must_refresh").c_str(), path.c_str());
        return;
    }
    const auto& options = LumitagOptions();
    if (txDescription->text().isEmpty())
        Propose(txDescription, Q(lumitag::ProposedDescription(options.default_description_option, path,
                                                               options.last_description, options.firstDescription)));
    if (txUserComment->text().isEmpty())
        Propose(txUserComment, Q(options.default_user_comment));
    if (txArtist->text().isEmpty())
        Propose(txArtist, Q(options.default_artist));
    if (txDate->text().isEmpty()) {
        const double guess = GuessDate();
        Propose(txDate, guess == lumitag::kNoDate ? QString() : lumitag::FormatDateTime(guess));
    }
    SetEditMode(true);
    if (!lastEditField)
        lastEditField = txDescription;
    // The field may have the focus already: its action is run explicitly.
    lastEditField->setFocus();
    txDescriptionEnter(lastEditField);
    QCoreApplication::processEvents();
}

void TfrmMain::btValidateClick()
{
    if (QWidget* focused = QApplication::focusWidget(); IsEditField(*this, focused))
        lastEditField = static_cast<QLineEdit*>(focused);
    const lumitag::PhotoEdits edits = MarkedFields(*this);
    QTreeWidgetItem* row = SelectedRow(lvFiles);
    if (!row) {
        // The selection was cleared during the edit: there is no file to
        // write or date, yet the typed values still become proposals. No
        // write status applies.
        StoreProposals(edits, firstDescriptionPending);
        ShowStatus("");
        EndRun(*this);
        return;
    }
    const std::string path = SelectedFullFileName();
    const std::string caption = row->text(0).toStdString();
    const lumitag::EditOutcome outcome = lumitag::ApplyPhotoEdits(exif, path, edits);
    if (outcome == lumitag::EditOutcome::ReadFailed) {
        ShowStatus(WithPlaceholder(TextOfKey("_error_reading_exif_from_file"), path));
        return;
    }
    StoreProposals(edits, firstDescriptionPending);
    firstDescriptionPending = false;

    switch (outcome) {
    case lumitag::EditOutcome::Wrote:
        ShowStatus(caption + TextOfKey("_wrote"));
        lvRename->clear();  // its proposals are stale
        RefreshRow(row, caption);
        break;
    case lumitag::EditOutcome::WriteFailed:
        ShowStatus(TextOfKey("failed_to_write") + caption);
        break;
    default:
        ShowStatus("");
        break;
    }
    if (LumitagOptions().change_file_date && !txDate->text().isEmpty())
        SetFileDates(txDate->text().toStdString(), path);

    const int next = lvFiles->indexOfTopLevelItem(row) + 1;
    if (next < lvFiles->topLevelItemCount()) {
        QTreeWidgetItem* nextRow = lvFiles->topLevelItem(next);
        lvFiles->setCurrentItem(nextRow);  // selects it alone and runs the selection handling
        lvFiles->scrollToItem(nextRow);
        btChangeClick();
        return;
    }
    EndRun(*this);
}

void TfrmMain::btCancelClick()
{
    EndRun(*this);
    ShowSelectedItem();
}

void TfrmMain::SetFileDates(const std::string& dateText, const std::string& path)
{
    const std::string status = lumitag::SetFileDates(QString::fromStdString(dateText), path);
    if (!status.empty())
        ShowStatus(status);
}
