// The rename tab driven through the real window on real folders.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <filesystem>

#include "RenameTestSupport.h"
#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using namespace rename_test;

namespace {

struct Row {
    std::string file, newName, done;
    bool red;
    friend bool operator==(const Row&, const Row&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Row& row)
    {
        return out << row.file << " -> " << row.newName << " [" << row.done << "]" << (row.red ? " red" : "");
    }
};
using Rows = std::vector<Row>;

class RenameTabTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetOptions();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void Open(bool recursive = false)
    {
        window = OpenWindow({QString::fromStdString(scratch.path())});
        if (recursive)
            window->chkRecursive->click();
        window->tabMain->setCurrentWidget(window->tabRename);
    }

    // Sets a check box as the user would, by clicking it when it differs.
    static void SetChecked(QCheckBox* box, bool checked)
    {
        if (box->isChecked() != checked)
            box->click();
    }

    void Preview(const std::string& pattern)
    {
        window->cbFormat->setEditText(QString::fromStdString(pattern));
        window->tbPreview->click();
    }

    void Apply()
    {
        ASSERT_TRUE(window->btApply->isEnabled());
        window->btApply->click();
    }

    Rows Listed() const
    {
        Rows rows;
        for (int i = 0; i < window->lvRename->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = window->lvRename->topLevelItem(i);
            const bool red = item->foreground(0).color() == Qt::red;
            EXPECT_EQ(red, window->IsRenameRowMarked(item)) << "row " << i << " drawn as marked";
            rows.push_back({item->text(0).toStdString(), item->text(1).toStdString(), item->text(2).toStdString(), red});
        }
        return rows;
    }

    // The preview's verdict as the user sees it.
    void ExpectVerdict(bool collision) const
    {
        EXPECT_EQ(window->btApply->isEnabled(), !collision);
        EXPECT_EQ(window->lbDoublons->isVisible(), collision);
    }
    // The state after a change: no verdict until the next preview.
    void ExpectNoVerdict() const
    {
        EXPECT_FALSE(window->btApply->isEnabled());
        EXPECT_FALSE(window->lbDoublons->isVisible());
        EXPECT_EQ(window->lvRename->topLevelItemCount(), 0);
    }

    ScratchDir scratch;
    std::unique_ptr<TfrmMain> window;
};

TEST_F(RenameTabTest, ACollisionTurnsBothRowsRedAndIndexingClearsIt)
{
    MakePhoto(scratch.file("a.jpg"), {"", "", "", 2004, 7, 9, 14, 5, 3});
    MakePhoto(scratch.file("b.jpg"), {"", "", "", 2004, 7, 9, 14, 5, 3});
    MakePhoto(scratch.file("c.jpg"), {"", "", "", 2004, 7, 9, 15, 0, 0});
    Open();

    Preview("%Y%M2%D2_%h2%m2%s2");
    EXPECT_EQ(Listed(), (Rows{{"a.jpg", "20040709_140503.jpg", "No", true},
                              {"b.jpg", "20040709_140503.jpg", "No", true},
                              {"c.jpg", "20040709_150000.jpg", "No", false}}));
    ExpectVerdict(true);
    // Apply stays disabled: clicking it does nothing.
    window->btApply->click();
    EXPECT_EQ(Names(scratch.path()), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));

    Preview("%Y%M2%D2_%h2%m2%s2%N");
    EXPECT_EQ(Listed(), (Rows{{"a.jpg", "20040709_1405031.jpg", "No", false},
                              {"b.jpg", "20040709_1405032.jpg", "No", false},
                              {"c.jpg", "20040709_1500003.jpg", "No", false}}));
    ExpectVerdict(false);
}

TEST_F(RenameTabTest, NamesThatDifferOnlyInCaseCollideAndOtherFoldersDoNot)
{
    fs::create_directories(scratch.file("sub"));
    MakePhoto(scratch.file("a.jpg"), {"Beach", "", "", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("b.jpg"), {"BEACH", "", "", 2004, 7, 9, 11, 0, 0});
    MakePhoto(scratch.file("sub/c.jpg"), {"Beach", "", "", 2004, 7, 9, 12, 0, 0});
    Open(true);

    Preview("%I");
    EXPECT_EQ(Listed(), (Rows{{"a.jpg", "Beach.jpg", "No", true},
                              {"b.jpg", "BEACH.jpg", "No", true},
                              {"sub/c.jpg", "Beach.jpg", "No", false}}));
    ExpectVerdict(true);

    // The same name once per folder is fine.
    Preview("%I%N");
    ExpectVerdict(false);
}

TEST_F(RenameTabTest, ApplyRenamesReportsDoneAndLeavesRightNamesAlone)
{
    fs::create_directories(scratch.file("2004"));
    MakePhoto(scratch.file("sea.JPG"), {"Sea", "", "", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("IMG_1.JPG"), {"Sand", "", "", 2004, 7, 9, 11, 0, 0}, 80, 60);
    MakePhoto(scratch.file("2004/IMG_2.jpg"), {"Été", "", "", 2004, 7, 9, 12, 0, 0}, 70, 50);
    const auto before = Contents(scratch.path());
    const auto seaBytes = ReadBytes(scratch.file("sea.JPG"));
    Open(true);
    ASSERT_EQ(window->lvFiles->topLevelItemCount(), 3);
    SetChecked(window->chkRemoveAccent, false);

    Preview("%I");
    EXPECT_EQ(Listed(), (Rows{{"sea.JPG", "Sea.jpg", "Yes", false},
                              {"IMG_1.JPG", "Sand.jpg", "No", false},
                              {"2004/IMG_2.jpg", "Été.jpg", "No", false}}));
    Apply();
    EXPECT_EQ(Listed(), (Rows{{"sea.JPG", "Sea.jpg", "Yes", false},
                              {"Sand.jpg", "Sand.jpg", "Done", false},
                              {"2004/Été.jpg", "Été.jpg", "Done", false}}));
    // A case-only rename is never made.
    EXPECT_EQ(Names(scratch.path()), (std::set<std::string>{"sea.JPG", "Sand.jpg", "2004/Été.jpg"}));
    EXPECT_EQ(ReadBytes(scratch.file("sea.JPG")), seaBytes);
    EXPECT_EQ(Contents(scratch.path()), before);
    // The apply leaves its verdict; the first tab reloads when shown again.
    ExpectVerdict(false);
    EXPECT_EQ(window->lvFiles->topLevelItemCount(), 0);
    EXPECT_TRUE(window->IsWatching());
    window->tabMain->setCurrentWidget(window->tabEXIF);
    EXPECT_EQ(window->lvFiles->topLevelItemCount(), 3);
}

TEST_F(RenameTabTest, AFileThatWantsAnothersPresentNameFailsAndNothingIsLost)
{
    // b.jpg comes first by date and wants the name that the later photo has now.
    MakePhoto(scratch.file("b.jpg"), {"", "", "", 2004, 7, 10, 9, 0, 0});
    MakePhoto(scratch.file("2004-07-10.jpg"), {"", "", "", 2004, 7, 11, 9, 0, 0}, 80, 60);
    const auto before = Contents(scratch.path());
    Open();

    Preview("%Y-%M2-%D2");
    ExpectVerdict(false);
    Apply();
    EXPECT_EQ(Listed(), (Rows{{"b.jpg", "2004-07-10.jpg", "Failed", false},
                              {"2004-07-11.jpg", "2004-07-11.jpg", "Done", false}}));
    EXPECT_EQ(Names(scratch.path()), (std::set<std::string>{"b.jpg", "2004-07-11.jpg"}));
    EXPECT_EQ(Contents(scratch.path()), before);
}

TEST_F(RenameTabTest, AFileCreatedAfterThePreviewIsNeverReplaced)
{
    MakePhoto(scratch.file("a.jpg"), {"Beach", "", "", 2004, 7, 9, 10, 0, 0});
    Open();
    Preview("%I");
    EXPECT_EQ(Listed(), (Rows{{"a.jpg", "Beach.jpg", "No", false}}));

    MakePhoto(scratch.file("Beach.jpg"), {"Beach", "", "", 2004, 7, 9, 11, 0, 0}, 80, 60);
    const auto before = Contents(scratch.path());
    Apply();
    EXPECT_EQ(Listed(), (Rows{{"a.jpg", "Beach.jpg", "Failed", false}, {"Beach.jpg", "Beach.jpg", "Yes", false}}));
    EXPECT_EQ(Contents(scratch.path()), before);
}

TEST_F(RenameTabTest, AStartIndexThatIsNoIntegerStopsThePreview)
{
    MakePhoto(scratch.file("a.jpg"), {"", "", "", 2004, 7, 9, 10, 0, 0});
    Open();
    Preview("%N3");
    ASSERT_EQ(window->lvRename->topLevelItemCount(), 1);
    EXPECT_EQ(window->lbLivePreview->text(), "001.jpg");

    window->txIndex->setText("-5");
    EXPECT_EQ(window->lbLivePreview->text(), "-05.jpg");
    window->txIndex->setText("abc");
    EXPECT_EQ(window->lbLivePreview->text(), "-05.jpg?");
    // "?" alone changes nothing.
    window->txIndex->setText("?");
    EXPECT_EQ(window->lbLivePreview->text(), "-05.jpg?");

    WarningCatcher warnings;
    window->tbPreview->click();
    ProcessEvents(50);
    EXPECT_EQ(warnings.texts(), (std::vector<std::string>{"'?' is not a valid integer value"}));
    ExpectNoVerdict();
}

TEST_F(RenameTabTest, TheLivePreviewUsesTheExifDateOnlyAndTheRowsTheFileTime)
{
    MakePhoto(scratch.file("undated.jpg"));
    ASSERT_TRUE(SetModificationTime(scratch.file("undated.jpg"), 2004, 7, 9, 14, 5, 3));
    Open();
    Preview("%Y-%M2-%D2 %h2%m2%s2");
    EXPECT_EQ(window->lbLivePreview->text(), "1899-12-30 000000.jpg");
    EXPECT_EQ(Listed(), (Rows{{"undated.jpg", "2004-07-09 140502.jpg", "No", false}}));
}

TEST_F(RenameTabTest, OpeningTheTabShowsTheFirstNewName)
{
    MakePhoto(scratch.file("a.jpg"), {"Beach", "", "", 2004, 7, 9, 10, 0, 0});
    window = OpenWindow({QString::fromStdString(scratch.path())});
    EXPECT_EQ(window->lbLivePreview->text(), "");  // nothing was edited yet
    window->tabMain->setCurrentWidget(window->tabRename);
    EXPECT_EQ(window->lbLivePreview->text(), "2004-07-09.01.Beach.jpg");
}

TEST_F(RenameTabTest, ChangesDisableApplyAndTheCleaningBoxesAreOptions)
{
    MakePhoto(scratch.file("a.jpg"), {"Été à Noël", "", "", 2004, 7, 9, 10, 0, 0});
    Open();
    SetChecked(window->chkRemoveAccent, false);
    SetChecked(window->chkRemoveSpace, false);
    auto& options = LumitagOptions();
    options.modified = false;

    Preview("%I");
    ExpectVerdict(false);
    window->chkRemoveAccent->click();
    EXPECT_TRUE(options.remove_accentuated_letters);
    EXPECT_TRUE(options.modified);
    ExpectNoVerdict();
    EXPECT_EQ(window->lbLivePreview->text(), "ete a Noel.jpg");

    window->chkRemoveSpace->click();
    EXPECT_TRUE(options.remove_spaces);
    window->tbPreview->click();
    EXPECT_EQ(Listed(), (Rows{{"a.jpg", "ete_a_Noel.jpg", "No", false}}));
    ExpectVerdict(false);

    window->chkRecursive->click();
    ExpectNoVerdict();
}

TEST_F(RenameTabTest, TypingASemicolonIntoTheFormatHasNoEffect)
{
    Open();
    QLineEdit* edit = window->cbFormat->lineEdit();
    edit->setFocus();
    edit->clear();
    PressKey(edit, Qt::Key_A, "a");
    PressKey(edit, Qt::Key_Semicolon, ";");
    PressKey(edit, Qt::Key_B, "b");
    EXPECT_EQ(window->cbFormat->currentText().toStdString(), "ab");
}

TEST_F(RenameTabTest, APreviewRemembersTheFormatAndAnEmptyFolderAllowsApply)
{
    Open();
    Preview("%Y-%N");
    EXPECT_EQ(LumitagOptions().last_formats.front(), "%Y-%N");
    EXPECT_EQ(window->cbFormat->itemText(0).toStdString(), "%Y-%N");
    EXPECT_EQ(window->lvRename->topLevelItemCount(), 0);
    ExpectVerdict(false);
}

TEST_F(RenameTabTest, ApplyUsesThePatternJustPreviewedBlanksIncluded)
{
    MakePhoto(scratch.file("a.jpg"), {"Beach", "", "", 2004, 7, 9, 10, 0, 0});
    Open();
    Preview(" %I ");
    EXPECT_EQ(LumitagOptions().last_formats.front(), "%I");  // the recent list keeps it trimmed
    EXPECT_EQ(window->cbFormat->currentText().toStdString(), " %I ");
    ASSERT_EQ(Listed(), (Rows{{"a.jpg", " Beach .jpg", "No", false}}));
    Apply();
    EXPECT_TRUE(fs::exists(scratch.file(" Beach .jpg")));
}

TEST_F(RenameTabTest, AFolderThatIsGoneGetsAWarningAndNoApply)
{
    Open();
    window->cbLastDirs->setEditText(QString::fromStdString(scratch.file("gone")));
    WarningCatcher warnings;
    Preview("%N");
    ProcessEvents(50);
    EXPECT_EQ(warnings.texts(), (std::vector<std::string>{"Folder '" + scratch.file("gone/") + "' does not exist!"}));
    EXPECT_FALSE(window->btApply->isEnabled());
}

}  // namespace
