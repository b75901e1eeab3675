// The options tab's context-menu box and external editor, and the double
// click on the file list, driven through the real window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <filesystem>
#include <fstream>
#include <map>

#include "DialogDriver.h"
#include "ShellTestSupport.h"
#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "app/ShellRegistration.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using namespace shelltest;

namespace {

const char* kEnglishVerb = "See in Lumitag";
const char* kFrenchVerb = "Voir dans Lumitag";

std::string ApplicationsFolder() { return ScratchHome() + "data/applications/"; }

std::string EntryPath(lumitag::ShellKey key, const std::string& verb)
{
    return ApplicationsFolder() + lumitag::DesktopEntryFileName(lumitag::ShellCommandKeyPath(key, verb));
}

// The entries of the folder with their texts; the cache of the desktop
// database is left out.
std::map<std::string, std::string> Entries()
{
    std::map<std::string, std::string> entries;
    if (!fs::exists(ApplicationsFolder()))
        return entries;
    for (const auto& file : fs::directory_iterator(ApplicationsFolder())) {
        if (file.path().extension() != ".desktop")
            continue;
        std::ifstream in(file.path());
        entries[file.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return entries;
}

void SetLanguage(TfrmMain& window, int language)
{
    window.cbLanguage->setCurrentIndex(language);
    window.cbLanguageClick();
}

void StartWithLanguage(int language)
{
    ResetOptions();
    LumitagOptions().ResetToDefaults();
    LumitagOptions().language = language;
    LumitagOptions().Save();
}

class ShellWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetOptions();
        fs::remove_all(ApplicationsFolder());
    }
    ScratchDir scratch;
};

TEST_F(ShellWindowTest, TheBoxRegistersTheEntriesOfTheCurrentLanguage)
{
    auto window = OpenWindow();
    EXPECT_FALSE(window->chkShellRegister->isChecked());
    EXPECT_TRUE(Entries().empty());

    window->chkShellRegister->click();
    const std::string exec = "\"" + lumitag::RunningExecutable() + "\" %f";
    const std::pair<lumitag::ShellKey, const char*> keys[] = {{lumitag::ShellKey::Folder, "inode/directory;"},
                                                              {lumitag::ShellKey::JpegFile, "image/jpeg;"}};
    for (const auto& [key, mimeType] : keys) {
        auto values = EntryValues(EntryPath(key, kEnglishVerb));
        EXPECT_EQ(values["Name"], kEnglishVerb);
        EXPECT_EQ(values["Exec"], exec);
        EXPECT_EQ(values["MimeType"], mimeType);
    }
    const auto english = Entries();
    EXPECT_EQ(english.size(), 2u);

    SetLanguage(*window, 1);
    EXPECT_FALSE(window->chkShellRegister->isChecked()) << "only the English entries exist";
    EXPECT_EQ(Entries(), english);

    window->chkShellRegister->click();
    EXPECT_EQ(EntryValues(EntryPath(lumitag::ShellKey::Folder, kFrenchVerb))["Name"], kFrenchVerb);
    EXPECT_EQ(EntryValues(EntryPath(lumitag::ShellKey::JpegFile, kFrenchVerb))["Name"], kFrenchVerb);
    const auto both = Entries();
    EXPECT_EQ(both.size(), 4u);
    if (HaveProgram("desktop-file-validate")) {
        for (const auto& [name, text] : both)
            EXPECT_EQ(ValidationErrors(ApplicationsFolder() + name), "") << name;
    }

    window->chkShellRegister->click();
    EXPECT_EQ(Entries(), english) << "unticking removes the French entries only";

    SetLanguage(*window, 0);
    EXPECT_TRUE(window->chkShellRegister->isChecked());
}

TEST_F(ShellWindowTest, ReadingTheRegistrationWritesNothing)
{
    // Only the English folder entry, with a text the program would not write.
    fs::create_directories(ApplicationsFolder());
    std::ofstream(EntryPath(lumitag::ShellKey::Folder, kEnglishVerb)) << "[Desktop Entry]\nName=kept as it is\n";
    const auto before = Entries();

    const std::pair<int, bool> starts[] = {{0, true}, {1, false}};
    for (const auto& [language, ticked] : starts) {
        SCOPED_TRACE(language);
        StartWithLanguage(language);
        auto window = OpenWindow();
        EXPECT_EQ(window->chkShellRegister->isChecked(), ticked);
        SetLanguage(*window, 1 - language);
        EXPECT_EQ(window->chkShellRegister->isChecked(), !ticked);
        EXPECT_FALSE(window->updatingControls);
        EXPECT_EQ(Entries(), before);
    }
}

TEST_F(ShellWindowTest, AFolderThatRefusesTheEntriesLeavesTheBoxUnticked)
{
    // A file where the folder of entries belongs: nothing can be written.
    fs::create_directories(ScratchHome() + "data");
    std::ofstream(ScratchHome() + "data/applications") << "not a folder";
    auto window = OpenWindow();
    window->chkShellRegister->click();
    EXPECT_FALSE(window->chkShellRegister->isChecked());
    fs::remove(ScratchHome() + "data/applications");
}

// ---- the external editor

class EditorTest : public ShellWindowTest {
protected:
    // A script that records its working folder and its arguments.
    std::string MakeEditor()
    {
        const std::string editor = scratch.file("editor.sh");
        std::ofstream(editor) << "#!/bin/sh\n{ pwd; printf '%s\\n' \"$@\"; } > '" << Record() << ".part'\n"
                              << "mv '" << Record() << ".part' '" << Record() << "'\n";
        fs::permissions(editor, fs::perms::owner_all);
        return editor;
    }
    std::string Record() const { return scratch.file("record.txt"); }
    std::string Photos() const { return scratch.file("My photos/"); }

    // The window opened on the photo, which is selected.
    std::unique_ptr<TfrmMain> OpenOn(const std::string& photoName)
    {
        fs::create_directories(Photos());
        MakePhoto(Photos() + photoName);
        auto window = OpenWindow({QString::fromStdString(Photos() + photoName)});
        EXPECT_EQ(window->SelectedFileName(), photoName);
        return window;
    }
};

TEST_F(EditorTest, TheEditorGetsTheFileNameInTheFilesFolder)
{
    const std::pair<std::string, std::string> cases[] = {
        {"my photo.jpg", "my photo.jpg"},
        {"-rf.jpg", "./-rf.jpg"},  // never an option to the editor
    };
    for (const auto& [photo, argument] : cases) {
        SCOPED_TRACE(photo);
        fs::remove(Record());
        auto window = OpenOn(photo);
        LumitagOptions().external_editor = MakeEditor();
        WarningCatcher warnings;
        window->lvFilesDblClick();
        ASSERT_TRUE(WaitFor([&] { return fs::exists(Record()); }, 5000));
        std::ifstream in(Record());
        const std::string recorded(std::istreambuf_iterator<char>(in), {});
        std::string folder = Photos();
        folder.pop_back();
        EXPECT_EQ(recorded, folder + "\n" + argument + "\n");
        EXPECT_TRUE(warnings.texts().empty());
    }
}

// Takes the addresses that the program hands to the desktop.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    std::vector<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.push_back(url); }
};

TEST_F(EditorTest, AnEditorThatCannotStartGivesTheFailureBox)
{
    std::ofstream(scratch.file("notes.txt")) << "not a program";
    const std::string editors[] = {"", scratch.file("missing-editor"), scratch.file("notes.txt"), scratch.path()};
    auto window = OpenOn("IMG_0001.jpg");
    for (const auto& editor : editors) {
        SCOPED_TRACE(editor);
        LumitagOptions().external_editor = editor;
        WarningCatcher warnings;
        window->lvFilesDblClick();
        ASSERT_TRUE(WaitFor([&] { return !warnings.texts().empty(); }));
        EXPECT_EQ(warnings.texts(), std::vector<std::string>{"Failed to launch application:\n" + editor +
                                                             "\non picture:\n\"IMG_0001.jpg\"\n"
                                                             "Check external editor setting."});
    }
}

TEST_F(EditorTest, ALibraryAsEditorOpensThePictureWithTheDesktop)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    auto window = OpenOn("IMG_0002.jpg");
    for (const char* library : {"/opt/viewer/Viewer.DLL", "/opt/viewer/viewer.dll"}) {
        LumitagOptions().external_editor = library;
        WarningCatcher warnings;
        window->lvFilesDblClick();
        ProcessEvents(100);
        EXPECT_TRUE(warnings.texts().empty());
    }
    QDesktopServices::unsetUrlHandler("file");
    const QUrl picture = QUrl::fromLocalFile(QString::fromStdString(Photos() + "IMG_0002.jpg"));
    EXPECT_EQ(catcher.urls, (std::vector<QUrl>{picture, picture}));
}

TEST_F(EditorTest, TheEditorFieldStoresItsTextWhenLeft)
{
    auto window = OpenWindow();
    window->tabMain->setCurrentWidget(window->tabOptions);
    window->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return window->isActiveWindow(); }));
    LumitagOptions().modified = false;

    window->txExternalEditor->setFocus();
    window->txExternalEditorExit();  // left unchanged
    EXPECT_FALSE(LumitagOptions().modified);

    const std::string before = LumitagOptions().external_editor;  // the desktop's default viewer, if any
    window->txExternalEditor->setFocus();
    ASSERT_TRUE(WaitFor([&] { return window->txExternalEditor->hasFocus(); }));
    window->txExternalEditor->selectAll();
    QTest::keyClicks(window->txExternalEditor, "/usr/bin/gimp");
    EXPECT_EQ(LumitagOptions().external_editor, before) << "nothing is stored while typing";
    EXPECT_FALSE(LumitagOptions().modified);
    window->cbLanguage->setFocus();
    ASSERT_TRUE(WaitFor([] { return LumitagOptions().external_editor == "/usr/bin/gimp"; }));
    EXPECT_TRUE(LumitagOptions().modified);
}

TEST_F(EditorTest, TheEditorButtonChoosesAProgram)
{
    auto window = OpenWindow();
    const std::string editor = MakeEditor();
    const QString before = window->txExternalEditor->text();
    LumitagOptions().modified = false;
    {
        FileDialogDriver cancel([](QFileDialog* shown) { shown->reject(); });
        window->btExternalEditor->click();
        EXPECT_TRUE(cancel.ran());
    }
    EXPECT_EQ(window->txExternalEditor->text(), before);
    EXPECT_FALSE(LumitagOptions().modified);

    FileDialogDriver choose([&](QFileDialog* shown) {
        EXPECT_EQ(shown->windowTitle(), "External image editor:");
        EXPECT_EQ(shown->directory().absolutePath(), "/usr/bin");
        EXPECT_EQ(shown->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(shown->defaultSuffix(), "") << "Linux programs have no extension";
        shown->findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(editor));
        PressAccept(shown);
    });
    window->btExternalEditor->click();
    EXPECT_TRUE(choose.ran());
    EXPECT_EQ(window->txExternalEditor->text().toStdString(), editor);
    EXPECT_EQ(LumitagOptions().external_editor, editor);
    EXPECT_TRUE(LumitagOptions().modified);
}

}  // namespace

#include "ShellWindowTest.moc"
