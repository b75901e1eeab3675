// The open and save dialogs: history, options, filters and SelectFile, each
// run as the user would run it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <filesystem>
#include <fstream>

#include "DialogDriver.h"
#include "app/ExtDialogs.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using namespace shelltest;
using Files = std::vector<std::string>;

namespace {

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

QLineEdit* NameField(QFileDialog* dialog) { return dialog->findChild<QLineEdit*>("fileNameEdit"); }

class ExtDialogsTest : public ::testing::Test {
protected:
    void SetUp() override { GuiApp(); }

    // Runs the dialog once, choosing path as a user would.
    bool Choose(TExtOpenDialog& dialog, const std::string& path)
    {
        FileDialogDriver driver([&](QFileDialog* shown) {
            NameField(shown)->setText(QString::fromStdString(path));  // typed, as a user would
            PressAccept(shown);
        });
        return dialog.Execute();
    }

    std::string File(const std::string& name)
    {
        const std::string path = scratch.file(name);
        Touch(path);
        return path;
    }

    ScratchDir scratch;
};

TEST_F(ExtDialogsTest, HistoryKeepsEachChosenFileOnceNewestLast)
{
    struct Case {
        const char* what;
        int historySize;
        std::vector<std::string> chosen;
        std::vector<std::string> history;
    };
    const Case cases[] = {
        {"the same file twice", 10, {"a.jpg", "b.jpg", "a.jpg"}, {"b.jpg", "a.jpg"}},
        {"three files in a history of two", 2, {"a.jpg", "b.jpg", "c.jpg"}, {"b.jpg", "c.jpg"}},
        {"a history of one", 0, {"a.jpg", "b.jpg"}, {"b.jpg"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TExtOpenDialog dialog;
        dialog.SetHistoryListSize(c.historySize);
        for (const auto& name : c.chosen) {
            ASSERT_TRUE(Choose(dialog, File(name)));
            EXPECT_EQ(dialog.FileName, scratch.file(name));
            EXPECT_EQ(dialog.Files(), Files{scratch.file(name)});
        }
        Files expected;
        for (const auto& name : c.history)
            expected.push_back(scratch.file(name));
        EXPECT_EQ(dialog.HistoryList(), expected);
    }
}

TEST_F(ExtDialogsTest, HistorySizeIsClampedAndTrimsTheOldest)
{
    const std::pair<int, int> sizes[] = {{0, 1}, {-4, 1}, {1, 1}, {7, 7}, {1000, 1000}, {5000, 1000}};
    for (const auto& [given, kept] : sizes) {
        TExtOpenDialog dialog;
        dialog.SetHistoryListSize(given);
        EXPECT_EQ(dialog.HistoryListSize(), kept) << given;
    }

    TExtOpenDialog dialog;
    EXPECT_EQ(dialog.HistoryListSize(), 10);
    dialog.SetHistoryListSize(3);
    dialog.SetHistoryList({"1", "2", "3", "4", "5"});
    EXPECT_EQ(dialog.HistoryList(), (Files{"3", "4", "5"}));
    dialog.SetHistoryListSize(2);
    EXPECT_EQ(dialog.HistoryList(), (Files{"4", "5"}));
}

TEST_F(ExtDialogsTest, CancelLeavesFileNameAndEmptiesFiles)
{
    TExtOpenDialog dialog;
    ASSERT_TRUE(Choose(dialog, File("kept.jpg")));
    dialog.FileName = "proposed.jpg";

    FileDialogDriver driver([](QFileDialog* shown) { shown->reject(); });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(driver.ran());
    EXPECT_EQ(dialog.FileName, "proposed.jpg");
    EXPECT_TRUE(dialog.Files().empty());
    EXPECT_EQ(dialog.HistoryList(), Files{scratch.file("kept.jpg")});
}

TEST_F(ExtDialogsTest, MultiSelectReturnsEveryFileAsAFullPath)
{
    File("a.jpg");
    File("b b.jpg");
    TExtOpenDialog dialog;
    dialog.Options |= ofAllowMultiSelect;
    dialog.InitialDir = scratch.path();
    FileDialogDriver driver([](QFileDialog* shown) {
        NameField(shown)->setText(R"("a.jpg" "b b.jpg")");
        PressAccept(shown);
    });
    ASSERT_TRUE(dialog.Execute());
    const Files both{scratch.file("a.jpg"), scratch.file("b b.jpg")};
    EXPECT_EQ(dialog.Files(), both);
    EXPECT_EQ(dialog.FileName, both.front());
    EXPECT_EQ(dialog.HistoryList(), both);
}

TEST_F(ExtDialogsTest, FilterPickedLastIsRememberedAndMayLeadTheExtension)
{
    struct Case {
        bool dynamicExtension;
        const char* savedName;
        const char* defaultExt;
    };
    const Case cases[] = {{false, "pic.jpg", "jpg"}, {true, "pic.png", "png"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.savedName);
        TExtSaveDialog dialog;
        dialog.Filter = "JPEG pictures|*.jpg;*.jpeg|PNG pictures|*.png";
        dialog.DefaultExt = "jpg";
        dialog.InitialDir = scratch.path();
        dialog.DynamicChangeDefaultExt = c.dynamicExtension;
        FileDialogDriver driver([](QFileDialog* shown) {
            EXPECT_EQ(shown->selectedNameFilter(), "JPEG pictures (*.jpg *.jpeg)");
            auto* types = shown->findChild<QComboBox*>("fileTypeCombo");
            ASSERT_NE(types, nullptr);
            QTest::keyClick(types, Qt::Key_Down);  // the user picks the second filter
            NameField(shown)->setText("pic");
            PressAccept(shown);
        });
        ASSERT_TRUE(dialog.Execute());
        EXPECT_EQ(dialog.FileName, scratch.file(c.savedName));
        EXPECT_EQ(dialog.FilterIndex, 2);
        EXPECT_EQ(dialog.DefaultExt, c.defaultExt);
    }
}

TEST_F(ExtDialogsTest, FiltersBecomeNameFilters)
{
    const std::pair<std::string, QStringList> cases[] = {
        {"", {}},
        {"JPEG files|*.jpg;*.jpeg|All files|*", {"JPEG files (*.jpg *.jpeg)", "All files (*)"}},
        {"Pictures (*.jpg)|*.jpg", {"Pictures (*.jpg)"}},
        {"|*.txt", {"*.txt"}},
        {"*.exe", {"*.exe"}},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(NameFiltersOf(filter), expected) << filter;
}

TEST_F(ExtDialogsTest, MessageHandlerSeesTheDialogsEventsAndMayKeepThem)
{
    TExtOpenDialog dialog;
    std::vector<QEvent::Type> seen;
    QObject* sender = nullptr;
    dialog.OnDialogMessage = [&](QObject* from, QEvent* message, bool& handled) {
        sender = from;
        seen.push_back(message->type());
        auto* key = message->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(message) : nullptr;
        handled = key && key->key() == Qt::Key_Escape;
    };
    bool stillOpen = false;
    FileDialogDriver driver([&](QFileDialog* shown) {
        QTest::keyClick(shown, Qt::Key_Escape);
        stillOpen = shown->isVisible();
        shown->reject();
    });
    EXPECT_FALSE(dialog.Execute());
    EXPECT_TRUE(stillOpen) << "the handler kept Escape from the dialog";
    EXPECT_EQ(sender, &dialog);
    EXPECT_NE(std::find(seen.begin(), seen.end(), QEvent::Show), seen.end());
}

TEST_F(ExtDialogsTest, SelectFileProposesACleanNameAndReturnsTheChoice)
{
    QString proposed;
    FileDialogDriver driver([&](QFileDialog* shown) {
        proposed = NameField(shown)->text();
        EXPECT_EQ(shown->windowTitle(), "Save the trip");
        EXPECT_EQ(shown->acceptMode(), QFileDialog::AcceptSave);
        PressAccept(shown);
    });
    const std::string chosen =
        kivUtil::SelectFile("jpg", "JPEG|*.jpg", "Trip: Rome?", true, "Save the trip", nullptr, scratch.path());
    EXPECT_EQ(proposed, "Trip- Rome-");
    EXPECT_EQ(chosen, scratch.file("Trip- Rome-.jpg"));
}

TEST_F(ExtDialogsTest, SelectFileRefusesWhatTheDialogKindForbids)
{
    // An open dialog takes existing files only; a save dialog asks before it
    // replaces one. Either way the box answered "no" keeps the dialog open.
    struct Case {
        bool save;
        const char* typed;
        const char* boxSays;
    };
    File("taken.jpg");
    const Case cases[] = {{false, "missing.jpg", "File not found"}, {true, "taken.jpg", "already exists"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        MessageBoxCloser boxes;
        bool stillOpen = false;
        FileDialogDriver driver([&](QFileDialog* shown) {
            NameField(shown)->setText(c.typed);
            PressAccept(shown);  // the box runs and is answered inside this call
            stillOpen = shown->isVisible();
            shown->reject();
        });
        EXPECT_EQ(kivUtil::SelectFile("", "", "", c.save, "", nullptr, scratch.path()), "");
        EXPECT_TRUE(stillOpen);
        ASSERT_EQ(boxes.texts().size(), 1u);
        EXPECT_NE(boxes.texts().front().find(c.boxSays), std::string::npos) << boxes.texts().front();
    }
    EXPECT_TRUE(fs::exists(scratch.file("taken.jpg")));
}

}  // namespace
