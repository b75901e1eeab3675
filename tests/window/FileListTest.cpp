// The first tab driven through the real window: loading, sorting, selection.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidget>
#include <filesystem>

#include "app/Frmmainmodule.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

std::vector<std::string> Column(const QTreeWidget* list, int column)
{
    std::vector<std::string> texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts.push_back(list->topLevelItem(i)->text(column).toStdString());
    return texts;
}

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override { ResetOptions(); }
    ScratchDir scratch;
};

TEST_F(FileListTest, FirstPaintLoadsTheFolderOfTheArgument)
{
    MakePhoto(scratch.file("b.jpg"), {"Second", "", "", 2004, 7, 9, 10, 0, 0});
    MakePhoto(scratch.file("a.jpg"), {"First", "", "", 2004, 7, 9, 9, 0, 0});
    auto window = OpenWindow({QString::fromStdString(scratch.file("b.jpg"))});
    EXPECT_EQ(window->cbLastDirs->currentText().toStdString(), scratch.path());
    EXPECT_EQ(Column(window->lvFiles, 0), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(window->SelectedFileName(), "b.jpg");
}

}  // namespace
