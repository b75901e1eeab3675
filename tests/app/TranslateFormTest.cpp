#include "app/Kivlocal.h"
#include "app/KivlocalForm.h"
#include "app/VclWidgets.h"

#include "tests/util/GuiTestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QApplication& App() { return testsupport::GuiTestApp(); }

// A few controls of each kind the walk handles, created with keys as their
// design-time texts the way the main window creates its own.
struct TestForm {
    QApplication& app = App();
    QWidget form;
    QLabel* label = new QLabel("_language", &form);
    QLabel* plainLabel = new QLabel("lbApplicationTitle", &form);
    QLabel* emptyLabel = new QLabel("", &form);
    QPushButton* button = new QPushButton("_browse", &form);
    QCheckBox* check = new QCheckBox("_recurse", &form);
    QLineEdit* index = new QLineEdit("1", &form);
    QGroupBox* group = new QGroupBox("_other_options", &form);
    TRadioGroup* radio = new TRadioGroup(
        "_default_value_image_description", {"_nothing", "_file_name", "_last_description", "_first_description"},
        &form);
    QTreeWidget* list = new QTreeWidget(&form);
    QTabWidget* tabs = new QTabWidget(&form);
    QWidget* exifPage = new QWidget;
    QWidget* optionsPage = new QWidget;
    QComboBox* answers = new QComboBox(&form);
    QComboBox* folders = new QComboBox(&form);
    QComboBox* languages = new QComboBox(&form);

    TestForm()
    {
        button->setToolTip("_refresh_file_list_hint");
        check->setToolTip("_recurse_option_hint");
        list->setHeaderLabels({"_file_col", "_image_description_col", "Plain column"});
        tabs->addTab(exifPage, "_edit_exif_data");
        tabs->addTab(optionsPage, "_options");
        answers->addItems({"_done", "_yes", "_no"});
        answers->setCurrentIndex(1);
        folders->setEditable(true);
        folders->addItems({"_done", "/home/me/_yes/"});
        folders->setEditText("_no");
    }

    // Every text the walk may change, in one list.
    QStringList Texts() const
    {
        QStringList texts = {label->text(),       plainLabel->text(),    emptyLabel->text(),
                             button->text(),      button->toolTip(),     check->text(),
                             check->toolTip(),    index->text(),         group->title(),
                             radio->title(),      tabs->tabText(0),      tabs->tabText(1),
                             folders->currentText()};
        texts << radio->items();
        for (int column = 0; column < list->columnCount(); ++column)
            texts << list->headerItem()->text(column);
        for (const QComboBox* combo : {answers, folders, languages})
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
        return texts;
    }
};

const QString kNbsp(QChar(0x00A0));

}  // namespace

TEST(TranslateForm, TranslatesEveryKindOfControlToFrenchAndBack)
{
    TestForm f;
    TranslateForm(&f.form, 1);
    EXPECT_EQ(CurrentLanguage(), 1);
    const QStringList french = {
        "&Langue" + kNbsp + ":", "lbApplicationTitle", "", "Parc&ourir", "Rafraichir la liste des fichiers",
        "&Recursif",
        "Cocher cette option pour automatiquement inclure les sous-dossiers dans la liste des fichiers", "1",
        "Autres options", "Valeur par défaut pour le champ Description", "Données E&XIF", "&Options", "_no",
        "Rien", "Nom de fichier", "Dernière description entrée", "Première description entrée", "Fichier",
        "Description", "Plain column", "Fait", "Oui", "Non", "_done", "/home/me/_yes/"};
    EXPECT_EQ(f.Texts(), french);

    TranslateForm(&f.form, 0);
    const QStringList english = {
        "&Language" + kNbsp + ":", "lbApplicationTitle", "", "&Browse", "Refresh file list", "&Recurse",
        "Check this option to automatically include sub-folders in file list", "1", "Other options",
        "Default value for Image Description field", "Edit E&XIF data", "&Options", "_no", "Nothing",
        "File name", "Last description", "First description", "File", "Image Description", "Plain column",
        "Done", "Yes", "No", "_done", "/home/me/_yes/"};
    EXPECT_EQ(f.Texts(), english);

    TranslateForm(&f.form, 1);
    EXPECT_EQ(f.Texts(), french) << "a second switch gives the same French";
    EXPECT_EQ(f.answers->currentIndex(), 1) << "the selected item stays selected";
}

TEST(TranslateForm, DecidesOnceWhetherACaptionIsTranslatable)
{
    TestForm f;
    TranslateForm(&f.form, 0);
    f.plainLabel->setText("_browse");
    f.index->setText("_browse");
    TranslateForm(&f.form, 1);
    EXPECT_EQ(f.plainLabel->text(), "_browse") << "a plain text is never looked at again";
    EXPECT_EQ(f.index->text(), "_browse");

    // An empty combo box is looked at again; the language names are no key.
    f.languages->addItems({"English", "Français"});
    TranslateForm(&f.form, 0);
    EXPECT_EQ(f.languages->itemText(1), "Français");
    EXPECT_EQ(f.languages->property("lumitagTag").toInt(), -1);
}

TEST(TranslateForm, HintsAndRadioItemsShowOnlyTheTranslation)
{
    TestForm f;
    TranslateForm(&f.form, 0);
    EXPECT_EQ(f.button->toolTip(), "Refresh file list");
    EXPECT_FALSE(f.button->toolTip().contains(QChar(0)));
    EXPECT_EQ(f.button->property("lumitagHintId").toInt(), 17044);
    EXPECT_EQ(f.radio->itemButton(0)->property("lumitagItemId").toInt(), 17048);

    // A hint that code replaces by another key is translated from it.
    f.check->setToolTip("_image_editor_hint");
    f.button->setToolTip("Plain hint");
    TranslateForm(&f.form, 1);
    EXPECT_EQ(f.check->toolTip(), "Éditeur d'image pour modifier l'image en cours par double-clic");
    EXPECT_EQ(f.button->toolTip(), "Plain hint");
}

TEST(TranslateForm, ComboBoxesKeepTheirSelectionAndSendNoSignal)
{
    TestForm f;
    QSignalSpy changed(f.answers, &QComboBox::currentTextChanged);
    TranslateForm(&f.form, 1);
    EXPECT_EQ(f.answers->currentText(), "Oui");
    EXPECT_EQ(changed.count(), 0);

    // Every combo box may fill the screen height with its rows.
    const int rows = f.folders->maxVisibleItems();
    const int screenHeight = f.folders->screen()->geometry().height();
    EXPECT_GT(rows, 10);
    EXPECT_LE(rows, screenHeight);
    EXPECT_EQ(f.languages->maxVisibleItems(), screenHeight / 13) << "an empty box assumes rows of 13 pixels";
}

TEST(TRadioGroup, ItemIndexAndThePickedSignal)
{
    App();
    TRadioGroup group("Title", {"a", "b", "c"});
    QSignalSpy picked(&group, &TRadioGroup::itemPicked);
    EXPECT_EQ(group.itemCount(), 3);
    EXPECT_EQ(group.itemIndex(), -1);

    group.setItemIndex(2);
    EXPECT_EQ(group.itemIndex(), 2);
    EXPECT_EQ(picked.count(), 0) << "setting the index is not the user's pick";

    group.itemButton(0)->click();
    EXPECT_EQ(group.itemIndex(), 0);
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.at(0).at(0).toInt(), 0);

    group.setItemIndex(-1);
    EXPECT_EQ(group.itemIndex(), -1);
    group.setItemIndex(7);
    EXPECT_EQ(group.itemIndex(), -1);

    group.setItems({"x", "y"});
    EXPECT_EQ(group.items(), (QStringList{"x", "y"}));
    EXPECT_EQ(group.itemIndex(), -1);
    group.setItemText(1, "z");
    EXPECT_EQ(group.itemText(1), "z");
    EXPECT_EQ(group.itemButton(2), nullptr);
}
