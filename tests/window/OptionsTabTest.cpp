// The options tab, the language switch, the trace switch and closing.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "app/VclWidgets.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"
#include "util/kivUtil.h"

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class OptionsTabTest : public ::testing::Test {
protected:
    void SetUp() override { ResetOptions(); }
    std::string IniPath() const { return LumitagOptions().IniPath(); }
};

TEST_F(OptionsTabTest, ClosingWritesTheIniFileOnlyWhenSomethingChanged)
{
    {
        auto window = OpenWindow();
        window->close();
    }
    EXPECT_FALSE(fs::exists(IniPath()));

    {
        auto window = OpenWindow();
        window->tabMain->setCurrentWidget(window->tabOptions);
        window->optFocusAction->itemButton(1)->click();
        window->optDefaultDescription->itemButton(3)->click();
        window->chkChangeFileDate->click();
        EXPECT_TRUE(LumitagOptions().modified);
        window->close();
    }
    const std::string ini = ReadText(IniPath());
    EXPECT_NE(ini.find("focus_action_option=1"), std::string::npos) << ini;
    EXPECT_NE(ini.find("default_description_option=3"), std::string::npos) << ini;
    EXPECT_NE(ini.find("change_file_date=1"), std::string::npos) << ini;

    // The next start shows what was stored.
    auto window = OpenWindow();
    EXPECT_EQ(window->optFocusAction->itemIndex(), 1);
    EXPECT_EQ(window->optDefaultDescription->itemIndex(), 3);
    EXPECT_TRUE(window->chkChangeFileDate->isChecked());
    EXPECT_FALSE(LumitagOptions().modified);
}

TEST_F(OptionsTabTest, StoredPatternMovesIntoTheRecentFormats)
{
    fs::create_directories(fs::path(IniPath()).parent_path());
    std::ofstream(IniPath()) << "[Options]\ndefault_format=%Y %I\n";
    auto window = OpenWindow();
    EXPECT_EQ(window->cbFormat->itemText(0), "%Y %I");
    EXPECT_EQ(window->cbFormat->count(), 4);  // before the three default patterns
    EXPECT_TRUE(LumitagOptions().default_format.empty());
    window->close();
    const std::string ini = ReadText(IniPath());
    EXPECT_NE(ini.find("last_formats=%Y %I;%Y-%M2-%D2.%ND2.%I;"), std::string::npos) << ini;
    EXPECT_NE(ini.find("default_format=\n"), std::string::npos) << ini;
}

TEST_F(OptionsTabTest, FrenchAndBackRestoresEveryText)
{
    auto window = OpenWindow();
    auto texts = [&] {
        return std::vector<QString>{window->btBrowse->text(),
                                    window->GroupBox1->title(),
                                    window->tabMain->tabText(0),
                                    window->lvFiles->headerItem()->text(0),
                                    window->lvRename->headerItem()->text(1),
                                    window->chkRecursive->toolTip(),
                                    window->optDefaultDescription->itemText(2),
                                    window->Label3->text(),
                                    window->lbDoublons->text()};
    };
    const auto english = texts();
    EXPECT_EQ(english[0], "&Browse");
    EXPECT_EQ(english[3], "File");
    EXPECT_EQ(english[7], "&Date:");
    window->txDescription->setText("kept");

    window->cbLanguage->setCurrentIndex(1);
    window->cbLanguageClick();
    const auto french = texts();
    EXPECT_EQ(french[0], "Parc&ourir");
    EXPECT_EQ(french[3], "Fichier");
    EXPECT_EQ(french[6], QString::fromUtf8("Dernière description entrée"));
    EXPECT_EQ(french[7], QString::fromUtf8("&Date\u00A0:"));
    EXPECT_EQ(LumitagOptions().language, 1);
    EXPECT_EQ(window->txDescription->text(), "kept");

    window->cbLanguage->setCurrentIndex(0);
    window->cbLanguageClick();
    EXPECT_EQ(texts(), english);
}

TEST_F(OptionsTabTest, AboutPanelAndTraceSwitch)
{
    auto window = OpenWindow();
    EXPECT_EQ(window->lbApplicationTitle->text(), "Lumitag version 1.8.0.0");
    EXPECT_FALSE(window->txEmail->text().isEmpty());

    QTest::mouseDClick(window->GroupBox1, Qt::LeftButton);
    EXPECT_EQ(window->windowTitle(), "Trace On");
    EXPECT_NE(window->exif.tracer, nullptr);
    QTest::mouseDClick(window->GroupBox1, Qt::LeftButton);
    EXPECT_EQ(window->windowTitle(), "Trace Off");
    EXPECT_EQ(window->exif.tracer, nullptr);
}

TEST_F(OptionsTabTest, TracingWritesWhatTheEngineReadsToTheDesktopFile)
{
    ScratchDir folder;
    MakePhoto(folder.file("a.jpg"), {"Traced", "", "", 2004, 1, 1, 10, 0, 0});
    auto window = OpenWindow();
    window->GroupBox1DblClick();
    window->cbLastDirs->setEditText(QString::fromStdString(folder.path()));
    window->btRefreshClick();
    const std::string trace = ReadText(kivUtil::TraceFilePath());
    EXPECT_NE(trace.find("Reading file " + folder.file("a.jpg")), std::string::npos) << trace;
    EXPECT_NE(trace.find("   Marker is SOS at position"), std::string::npos);
    window->GroupBox1DblClick();
}

}  // namespace
