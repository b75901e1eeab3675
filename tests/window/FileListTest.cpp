// The first tab driven through the real window: loading, sorting, selection,
// the folder watch and the preview.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QSplitter>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "exif/Exif_stl.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using Rows = std::vector<std::string>;

namespace {

Rows Column(const QTreeWidget* list, int column)
{
    Rows texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.push_back(list->topLevelItem(i)->text(column).toStdString());
    return texts;
}

void ClickHeader(QTreeWidget* list, int column)
{
    QHeaderView* header = list->header();
    const QPoint inside(header->sectionViewportPosition(column) + 4, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inside);
}

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetOptions();
        QLocale::setDefault(QLocale::c());
    }

    std::unique_ptr<TfrmMain> OpenOn(const std::string& folder, bool recursive = false)
    {
        auto window = OpenWindow({QString::fromStdString(folder)});
        if (recursive) {
            window->chkRecursive->setChecked(true);
            window->chkRecursiveClick();
        }
        return window;
    }

    ScratchDir scratch;
};

TEST_F(FileListTest, FirstPaintLoadsTheFolderOfTheArgumentAndSelectsItsFile)
{
    MakePhoto(scratch.file("b.jpg"), {"Second", "", "", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("a.jpg"), {"First", "", "", 2004, 7, 9, 9, 0, 0});
    auto window = OpenWindow({QString::fromStdString(scratch.file("b.jpg"))});
    EXPECT_EQ(window->cbLastDirs->currentText().toStdString(), scratch.path());
    EXPECT_EQ(LumitagOptions().last_dirs.front(), scratch.path());
    EXPECT_EQ(Column(window->lvFiles, 0), (Rows{"a.jpg", "b.jpg"}));
    EXPECT_EQ(window->SelectedFileName(), "b.jpg");
    EXPECT_EQ(window->txDescription->text(), "Second");
    EXPECT_EQ(window->windowTitle(), "Lumitag");
}

TEST_F(FileListTest, ListsEachFolderByDateWithSubFoldersAfterTheirParent)
{
    MakePhoto(scratch.file("late.jpg"), {"Late", "Evening", "Anne", 2004, 7, 9, 20, 0, 0});
    MakePhoto(scratch.file("early.JPG"), {"Early", "", "Bob", 2004, 7, 9, 8, 30, 0});
    MakePhoto(scratch.file("undated.jpeg"), {"No date", "", "", 0, 0, 0, 0, 0, 0});
    WriteBytes(scratch.file("broken.jpg"), {'t', 'e', 'x', 't'});
    WriteBytes(scratch.file("notes.jpe"), {1});
    fs::create_directories(scratch.file("2004/deeper"));
    MakePhoto(scratch.file("2004/inner.jpg"), {"", "", "", 2001, 1, 1, 0, 0, 0});
    MakePhoto(scratch.file("2004/deeper/deep.jpg"));

    auto window = OpenOn(scratch.path());
    EXPECT_EQ(Column(window->lvFiles, 0), (Rows{"broken.jpg", "undated.jpeg", "early.JPG", "late.jpg"}));
    EXPECT_EQ(Column(window->lvFiles, 1), (Rows{"?", "No date", "Early", "Late"}));
    EXPECT_EQ(Column(window->lvFiles, 2), (Rows{"?", "", "", "Evening"}));
    EXPECT_EQ(Column(window->lvFiles, 3), (Rows{"no date", "no date", "2004-07-09 08:30:00", "2004-07-09 20:00:00"}));
    EXPECT_EQ(Column(window->lvFiles, 4), (Rows{"?", "", "Bob", "Anne"}));
    EXPECT_EQ(window->SelectedFileName(), "broken.jpg");
    EXPECT_TRUE(window->IsWatching());

    window->chkRecursive->setChecked(true);
    window->chkRecursiveClick();
    EXPECT_EQ(Column(window->lvFiles, 0), (Rows{"broken.jpg", "undated.jpeg", "early.JPG", "late.jpg",
                                                "2004/inner.jpg", "2004/deeper/deep.jpg"}));
    EXPECT_EQ(Column(window->lvFiles, 3)[4], "2001-01-01");
    EXPECT_EQ(window->FullFileName("2004/inner.jpg"), scratch.file("2004/inner.jpg"));
}

TEST_F(FileListTest, MissingFolderWarnsAndEmptyFolderIsNotWatched)
{
    MakePhoto(scratch.file("a.jpg"));
    auto window = OpenOn(scratch.path());
    ASSERT_TRUE(window->IsWatching());

    WarningCatcher warnings;
    window->cbLastDirs->setEditText(QString::fromStdString(scratch.file("nowhere")));
    window->btRefreshClick();
    ASSERT_TRUE(WaitFor([&] { return !warnings.texts().empty(); }));
    EXPECT_EQ(warnings.texts().front(), "Folder '" + scratch.file("nowhere/") + "' does not exist!");
    EXPECT_EQ(window->lvFiles->topLevelItemCount(), 0);
    EXPECT_EQ(LumitagOptions().last_dirs.front(), scratch.path());  // no recent entry for it

    fs::create_directory(scratch.file("empty"));
    window->cbLastDirs->setEditText(QString::fromStdString(scratch.file("empty")));
    window->btRefreshClick();
    EXPECT_EQ(window->lvFiles->topLevelItemCount(), 0);
    EXPECT_FALSE(window->IsWatching());
    EXPECT_EQ(window->rootFolder, scratch.file("empty/"));
}

TEST_F(FileListTest, HeadersSortAscendingAndRefreshRestoresScanOrder)
{
    MakePhoto(scratch.file("img_10.jpg"), {"beta", "x", "?", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("IMG_2.jpg"), {"Alpha", "y", "anne", 2003, 1, 1, 10, 0, 0});
    MakePhoto(scratch.file("c.jpg"), {"", "", "Zed"});
    auto window = OpenOn(scratch.path());
    const Rows scanOrder = {"c.jpg", "IMG_2.jpg", "img_10.jpg"};
    ASSERT_EQ(Column(window->lvFiles, 0), scanOrder);
    window->lvFiles->setCurrentItem(window->lvFiles->topLevelItem(1));

    struct Case {
        int column;
        Rows order;
    };
    const Case cases[] = {
        {0, {"c.jpg", "img_10.jpg", "IMG_2.jpg"}},   // a to z ignore case, character by character
        {1, {"c.jpg", "IMG_2.jpg", "img_10.jpg"}},   // "", Alpha, beta
        {2, {"c.jpg", "img_10.jpg", "IMG_2.jpg"}},   // "", x, y
        {3, {"c.jpg", "IMG_2.jpg", "img_10.jpg"}},   // no date first, then by date
        {4, {"img_10.jpg", "IMG_2.jpg", "c.jpg"}},   // "?" like any text, anne, Zed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.column);
        ClickHeader(window->lvFiles, c.column);
        EXPECT_EQ(Column(window->lvFiles, 0), c.order);
        ClickHeader(window->lvFiles, c.column);
        EXPECT_EQ(Column(window->lvFiles, 0), c.order);
        EXPECT_EQ(window->SelectedFileName(), "IMG_2.jpg");  // sorting keeps the selection
    }
    window->btRefreshClick();
    EXPECT_EQ(Column(window->lvFiles, 0), scanOrder);
}

TEST_F(FileListTest, WatchReloadsOnNewAndDeletedFilesButNotOnRewrites)
{
    MakePhoto(scratch.file("a.jpg"), {"", "", "", 2004, 1, 1, 10, 0, 0});
    MakePhoto(scratch.file("b.jpg"), {"", "", "", 2004, 1, 2, 10, 0, 0});
    MakePhoto(scratch.file("c.jpg"), {"", "", "", 2004, 1, 3, 10, 0, 0});
    auto window = OpenOn(scratch.path());
    window->lvFiles->setCurrentItem(window->lvFiles->topLevelItem(1));
    ASSERT_EQ(window->SelectedFileName(), "b.jpg");

    // A new photo dated before the others: the list reloads, b.jpg stays selected.
    MakePhoto(scratch.file(".incoming"), {"", "", "", 2003, 1, 1, 10, 0, 0});
    fs::rename(scratch.file(".incoming"), scratch.file("0.jpg"));
    ASSERT_TRUE(WaitFor([&] { return window->lvFiles->topLevelItemCount() == 4; }, 2000));
    EXPECT_EQ(Column(window->lvFiles, 0), (Rows{"0.jpg", "a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(window->SelectedFileName(), "b.jpg");

    // Deleting the selected file selects the row at its index...
    fs::remove(scratch.file("b.jpg"));
    ASSERT_TRUE(WaitFor([&] { return window->lvFiles->topLevelItemCount() == 3; }, 2000));
    EXPECT_EQ(window->SelectedFileName(), "c.jpg");
    // ...or the last row when the list became shorter than that.
    fs::remove(scratch.file("c.jpg"));
    ASSERT_TRUE(WaitFor([&] { return window->lvFiles->topLevelItemCount() == 2; }, 2000));
    EXPECT_EQ(window->SelectedFileName(), "a.jpg");

    // The engine rewriting a listed photo is no reason to reload.
    const QTreeWidgetItem* rowBefore = window->lvFiles->topLevelItem(0);
    Texif_stl exif;
    ASSERT_TRUE(exif.read_jpeg(scratch.file("0.jpg")));
    exif.set_image_description("Rewritten");
    ASSERT_TRUE(exif.write_jpeg(scratch.file("0.jpg")));
    ProcessEvents(1200);
    EXPECT_EQ(window->lvFiles->topLevelItem(0), rowBefore);
    EXPECT_EQ(window->lvFiles->topLevelItem(0)->text(1), "");
}

TEST_F(FileListTest, PreviewShowsTheEighthScaledPictureFittedOrAnError)
{
    WriteBytes(scratch.file("broken.jpg"), {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
    MakePhoto(scratch.file("photo.jpg"), {"", "", "", 2004, 1, 1, 10, 0, 0}, 640, 480);
    auto window = OpenOn(scratch.path());
    ASSERT_EQ(window->SelectedFileName(), "broken.jpg");  // undated, so first
    EXPECT_TRUE(window->imImage->pixmap().isNull());
    EXPECT_TRUE(window->imImage->isVisible());
    EXPECT_EQ(window->windowTitle().toStdString(), "Lumitag");  // the load ends by resetting the caption

    window->lvFiles->setCurrentItem(window->lvFiles->topLevelItem(1));
    ASSERT_EQ(window->SelectedFileName(), "photo.jpg");
    EXPECT_EQ(window->windowTitle().toStdString(), "Lumitag");
    EXPECT_EQ(window->imImage->pixmap().size(), QSize(80, 60));
    const QSize area = window->panImage->contentsRect().size();
    ASSERT_GT(area.height(), 60);
    const QRect placed = window->imImage->geometry();
    EXPECT_EQ(placed.size(), QSize(80, 60));  // never enlarged
    EXPECT_EQ(placed.left(), (area.width() - 80) / 2);
    EXPECT_EQ(placed.top(), (area.height() - 60) / 2);

    // A smaller area refits the same picture without decoding it again.
    window->Splitter1->setSizes({window->Splitter1->height() - 40, 40});
    ProcessEvents(20);
    const int height = window->panImage->contentsRect().height();
    EXPECT_EQ(window->imImage->geometry().height(), height);
    EXPECT_EQ(window->imImage->geometry().width(), height * 80 / 60);

    window->lvFiles->setCurrentItem(window->lvFiles->topLevelItem(0));
    EXPECT_EQ(window->windowTitle().toStdString(), "Error reading image");
    EXPECT_TRUE(window->imImage->pixmap().isNull());
    window->lvFiles->setCurrentItem(window->lvFiles->topLevelItem(1));

    window->chkPreview->click();  // off: hidden, the caption left as it is
    EXPECT_FALSE(window->imImage->isVisible());
    window->ShowStatus("kept");
    window->lvFiles->setCurrentItem(window->lvFiles->topLevelItem(0));
    EXPECT_EQ(window->windowTitle().toStdString(), "kept");
    window->lvFiles->setCurrentItem(window->lvFiles->topLevelItem(1));
    window->chkPreview->click();
    EXPECT_TRUE(window->imImage->isVisible());
    EXPECT_EQ(window->imImage->pixmap().size(), QSize(80, 60));
}

}  // namespace
