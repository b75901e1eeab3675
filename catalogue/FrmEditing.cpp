// The edit band of the first tab: browse and edit states, the proposals for
// empty fields, validation and cancel.
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>
#include <QTreeWidget>

#include "app/Frmmainmodule.h"
#include "catalogue/DateTimeValue.h"

namespace {


}  // namespace

void TfrmMain::SetEditMode(bool editing)
{
    editMode = editing;
    for (QLineEdit* field : {txDescription, txUserComment, txArtist, txDate}) {
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
    const auto selected = lvFiles->selectedItems();
    if (selected.isEmpty())
        return;
    const QTreeWidgetItem* row = selected.front();
    txDescription->setText(row->text(1));
    txUserComment->setText(row->text(2));
    txArtist->setText(row->text(4));
    txDate->setText(lumitag::ParseDateText(row->text(3)) ? row->text(3) : QString());
    for (QLineEdit* field : {txDescription, txUserComment, txArtist, txDate})
        field->setModified(false);
}

// The editing workflow proper arrives with its own change.
void TfrmMain::txDescriptionEnter(QLineEdit* field) { lastEditField = field; }
void TfrmMain::btChangeClick() {}
void TfrmMain::btValidateClick() {}
void TfrmMain::btCancelClick() {}
double TfrmMain::GuessDate() { return 0; }
void TfrmMain::SetFileDates(const std::string&, const std::string&) {}
