// The edit band driven through the real window with the keys a user presses;
// what was written is read back with exiftool, an independent reader.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "catalogue/CatalogueTestSupport.h"
#include "catalogue/EditProposals.h"
#include "catalogue/Titem.h"
#include "support/TestSupport.h"
#include "support/WindowTestSupport.h"

namespace fs = std::filesystem;
using namespace testsupport;
using Fields = std::vector<std::string>;

namespace {

constexpr const char* kTitle = "Lumitag";
constexpr std::time_t kParisJuly14At1030 = 1089793800;  // 14/07/2004 10:30:00 in Paris
constexpr timespec kOldAccess{1'000'000'000, 5};
constexpr timespec kOldModification{1'100'000'000, 7};

// ImageDescription, UserComment, Artist, DateTimeOriginal, DateTime and
// DateTimeDigitized as exiftool reads them; "-" for a missing tag.
Fields ExifFields(const std::string& path)
{
    const auto result = RunCommand({"exiftool", "-s3", "-f", "-charset", "exif=utf8", "-ImageDescription",
                                    "-UserComment", "-Artist", "-DateTimeOriginal", "-ModifyDate", "-CreateDate",
                                    path});
    EXPECT_EQ(result.status, 0) << result.errors;
    Fields fields;
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);)
        fields.push_back(line);
    return fields;
}

// The three texts followed by the three dates.
Fields WithDates(Fields texts, const std::string& date)
{
    texts.insert(texts.end(), {date, date, date});
    return texts;
}

// The bytes from the start-of-scan segment to the end of the file, found by
// walking the segments (an EXIF thumbnail holds a start of scan of its own).
std::vector<std::uint8_t> ImageData(const std::string& path)
{
    const auto bytes = ReadBytes(path);
    size_t at = 2;
    while (at + 4 <= bytes.size() && bytes[at] == 0xFF && bytes[at + 1] != 0xDA)
        at += 2 + (bytes[at + 2] << 8 | bytes[at + 3]);
    EXPECT_TRUE(at + 2 <= bytes.size() && bytes[at + 1] == 0xDA) << "no image data in " << path;
    return {bytes.begin() + static_cast<std::ptrdiff_t>(std::min(at, bytes.size())), bytes.end()};
}

struct stat Status(const std::string& path)
{
    struct stat status {};
    EXPECT_EQ(stat(path.c_str(), &status), 0) << path;
    return status;
}

void SetTimes(const std::string& path, timespec access, timespec modification)
{
    const timespec times[2] = {access, modification};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

std::string Title(const TfrmMain& window)
{
    return window.windowTitle().toStdString();
}

void Press(QWidget* widget, int key)
{
    PressKey(widget, key);
    ProcessEvents();
}

// Replaces the field's text as a user does: focus, select all, type.
void Type(QLineEdit* field, const QString& text)
{
    field->setFocus(Qt::MouseFocusReason);
    ProcessEvents();
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Backspace);
    else
        QTest::keyClicks(field, text);
}

void Select(TfrmMain& window, const QString& caption)
{
    const auto rows = window.lvFiles->findItems(caption, Qt::MatchExactly, 0);
    ASSERT_EQ(rows.size(), 1) << caption.toStdString();
    window.lvFiles->setCurrentItem(rows.front());
    window.lvFiles->setFocus();
    ProcessEvents();
}

std::vector<std::string> RowTexts(const TfrmMain& window, const QString& caption)
{
    const auto rows = window.lvFiles->findItems(caption, Qt::MatchExactly, 0);
    std::vector<std::string> texts;
    for (int column = 1; !rows.isEmpty() && column < 5; ++column)
        texts.push_back(rows.front()->text(column).toStdString());
    return texts;
}

// The texts of the four fields and which of them carry the modified mark.
struct Band {
    std::vector<std::string> texts;
    std::vector<bool> marks;
    friend bool operator==(const Band&, const Band&) = default;
};

Band BandOf(const TfrmMain& window)
{
    Band band;
    for (const QLineEdit* field : {window.txDescription, window.txUserComment, window.txArtist, window.txDate}) {
        band.texts.push_back(field->text().toStdString());
        band.marks.push_back(field->isModified());
    }
    return band;
}

std::ostream& operator<<(std::ostream& out, const Band& band)
{
    for (size_t i = 0; i < band.texts.size(); ++i)
        out << "'" << band.texts[i] << "'" << (band.marks[i] ? "*" : "") << " ";
    return out;
}

class EditBandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(HaveProgram("exiftool")) << "exiftool is needed (scripts/install-deps.sh installs it)";
        ResetOptions();
    }

    // The program on the scratch folder, with the preview off so that the
    // caption shows this band's statuses only, and the proposals of the
    // options known.
    std::unique_ptr<TfrmMain> Open()
    {
        auto window = OpenWindow({QString::fromStdString(scratch.path())});
        window->chkPreview->setChecked(false);
        window->chkPreviewClick();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        auto& options = LumitagOptions();
        options.default_artist.clear();
        options.default_user_comment.clear();
        options.last_description.clear();
        options.default_description_option = 0;
        options.focus_action_option = 0;
        options.change_file_date = false;
        return window;
    }

    const catalogue_test::ScopedTimeZone paris{catalogue_test::kParisTime};
    const catalogue_test::ScopedDefaultLocale british{QLocale(QLocale::English, QLocale::UnitedKingdom)};
    ScratchDir scratch;
};

TEST_F(EditBandTest, EnterOnARowProposesValuesForTheEmptyFields)
{
    MakePhoto(scratch.file("IMG_0012.jpg"), {"", "", "", 2004, 7, 14, 10, 0, 0});
    MakePhoto(scratch.file("2004.07.14 Beach.jpg"), {"", "", "", 2004, 7, 14, 10, 0, 0});
    MakePhoto(scratch.file("Named.jpg"), {"Kept", "Own comment", "Bob", 2004, 7, 14, 10, 0, 0});
    auto window = Open();
    auto& options = LumitagOptions();
    options.default_user_comment = "Holiday";
    options.default_artist = "Anne";
    options.last_description = "Last";
    options.firstDescription = "First";

    const std::string date = "14/07/2004 10:00:00";
    const struct {
        int option;
        const char* caption;
        Band proposed;
    } cases[] = {
        {0, "IMG_0012.jpg", {{"", "Holiday", "Anne", date}, {false, true, true, false}}},
        {1, "IMG_0012.jpg", {{"IMG_0012", "Holiday", "Anne", date}, {true, true, true, false}}},
        {1, "2004.07.14 Beach.jpg", {{"14 Beach", "Holiday", "Anne", date}, {true, true, true, false}}},
        {2, "IMG_0012.jpg", {{"Last", "Holiday", "Anne", date}, {true, true, true, false}}},
        {3, "IMG_0012.jpg", {{"First", "Holiday", "Anne", date}, {true, true, true, false}}},
        {2, "Named.jpg", {{"Kept", "Own comment", "Bob", date}, {false, false, false, false}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "option " << c.option << " on " << c.caption);
        options.default_description_option = c.option;
        Select(*window, c.caption);
        const Band shown = BandOf(*window);
        Press(window->lvFiles, Qt::Key_Return);
        EXPECT_TRUE(window->EditMode());
        EXPECT_EQ(BandOf(*window), c.proposed);
        EXPECT_EQ(QApplication::focusWidget(), window->txDescription);  // the first Change begins there
        EXPECT_TRUE(window->btValidate->isEnabled() && window->btCancel->isEnabled());
        EXPECT_FALSE(window->btChange->isEnabled());
        EXPECT_FALSE(window->txDescription->isReadOnly());

        Press(window->txDescription, Qt::Key_Escape);
        EXPECT_FALSE(window->EditMode());
        EXPECT_EQ(BandOf(*window), shown);  // the row's texts are back
        EXPECT_TRUE(window->txDescription->isReadOnly());
        EXPECT_EQ(QApplication::focusWidget(), window->lvFiles);
    }
}

TEST_F(EditBandTest, AnEmptyDateIsProposedFromTheNeighboursOfTheSameFolder)
{
    MakePhoto(scratch.file("a.jpg"), {"", "", "", 2004, 7, 14, 10, 0, 0});
    MakePhoto(scratch.file("b.jpg"));
    MakePhoto(scratch.file("c.jpg"), {"", "", "", 2004, 7, 14, 10, 5, 0});
    fs::create_directory(scratch.file("s1"));
    MakePhoto(scratch.file("s1/a.jpg"));
    MakePhoto(scratch.file("s1/b.jpg"), {"", "", "", 2004, 7, 14, 10, 5, 0});
    fs::create_directory(scratch.file("s2"));
    MakePhoto(scratch.file("s2/a.jpg"));
    SetTimes(scratch.file("s2/a.jpg"), kOldAccess, {kParisJuly14At1030, 0});
    WriteBytes(scratch.file("s2/b.jpg"), {'t', 'e', 'x', 't'});
    auto window = Open();
    window->chkRecursive->setChecked(true);
    window->chkRecursiveClick();
    window->lvFilesColumnClick(0);  // by name, so undated photos lie between dated ones

    const struct {
        const char* caption;
        const char* proposal;
    } cases[] = {
        {"b.jpg", "14/07/2004 10:00:01"},      // after the previous
        {"s1/a.jpg", "14/07/2004 10:04:59"},   // c.jpg lies in another folder: before the next
        {"s2/a.jpg", "14/07/2004 10:30:00"},   // unreadable next: the modification time
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        Select(*window, c.caption);
        Press(window->lvFiles, Qt::Key_Return);
        EXPECT_EQ(window->txDate->text().toStdString(), c.proposal);
        EXPECT_TRUE(window->txDate->isModified());
        Press(window->txDate, Qt::Key_Escape);
    }
}

// A run of Enter presses: each validates, writes and starts the next edit
// with the same field in focus and its focus action applied; the last row
// ends the run.
TEST_F(EditBandTest, EnterValidatesAndMovesOnUntilTheLastRow)
{
    MakePhoto(scratch.file("p1.jpg"));
    MakePhoto(scratch.file("p2.jpg"));
    MakePhoto(scratch.file("p3.jpg"), {"Old", "", "Bob", 2004, 7, 15, 9, 0, 0});
    SetTimes(scratch.file("p1.jpg"), kOldAccess, {kParisJuly14At1030, 0});
    SetTimes(scratch.file("p2.jpg"), kOldAccess, kOldModification);
    const auto p1Image = ImageData(scratch.file("p1.jpg"));
    const auto p3Bytes = ReadBytes(scratch.file("p3.jpg"));
    auto window = Open();
    LumitagOptions().default_description_option = 2;
    LumitagOptions().focus_action_option = 1;

    Press(window->lvFiles, Qt::Key_Return);
    ASSERT_TRUE(window->EditMode());
    Type(window->txDescription, "Beach");
    Type(window->txArtist, "Anne");
    Press(window->txArtist, Qt::Key_Return);

    EXPECT_EQ(Title(*window), "p1.jpg wrote.");
    EXPECT_EQ(ExifFields(scratch.file("p1.jpg")), WithDates({"Beach", "-", "Anne"}, "2004:07:14 10:30:00"));
    EXPECT_EQ(ImageData(scratch.file("p1.jpg")), p1Image);
    EXPECT_EQ(Status(scratch.file("p1.jpg")).st_mtim.tv_sec, kParisJuly14At1030);
    EXPECT_EQ(RowTexts(*window, "p1.jpg"), (std::vector<std::string>{"Beach", "", "14/07/2004 10:30:00", "Anne"}));
    EXPECT_TRUE(LumitagOptions().modified);

    // The next photo is in edit at once, with the last values proposed.
    EXPECT_EQ(window->SelectedFileName(), "p2.jpg");
    EXPECT_EQ(window->lvFiles->selectedItems().size(), 1);
    ASSERT_TRUE(window->EditMode());
    EXPECT_EQ(BandOf(*window), (Band{{"Beach", "", "Anne", "14/07/2004 10:30:01"}, {true, false, true, true}}));
    EXPECT_EQ(QApplication::focusWidget(), window->txArtist);
    EXPECT_EQ(window->txArtist->cursorPosition(), 4);
    EXPECT_FALSE(window->txArtist->hasSelectedText());
    Press(window->txArtist, Qt::Key_Return);

    EXPECT_EQ(Title(*window), "p2.jpg wrote.");
    EXPECT_EQ(ExifFields(scratch.file("p2.jpg")), WithDates({"Beach", "-", "Anne"}, "2004:07:14 10:30:01"));
    EXPECT_EQ(Status(scratch.file("p2.jpg")).st_mtim.tv_nsec, kOldModification.tv_nsec);

    // The last photo: nothing typed, nothing proposed, nothing written.
    EXPECT_EQ(window->SelectedFileName(), "p3.jpg");
    EXPECT_EQ(BandOf(*window), (Band{{"Old", "", "Bob", "15/07/2004 09:00:00"}, {false, false, false, false}}));
    Press(window->txArtist, Qt::Key_Return);
    EXPECT_EQ(Title(*window), kTitle);
    EXPECT_EQ(ReadBytes(scratch.file("p3.jpg")), p3Bytes);
    EXPECT_FALSE(window->EditMode());
    EXPECT_EQ(QApplication::focusWidget(), window->lvFiles);
    EXPECT_TRUE(window->firstDescriptionPending);
}

// The first validation of a run gives the description proposed by option 3;
// Cancel starts a new run.
TEST_F(EditBandTest, FirstDescriptionOfTheRun)
{
    for (const char* name : {"q1.jpg", "q2.jpg", "q3.jpg", "q4.jpg"})
        MakePhoto(scratch.file(name));
    auto window = Open();
    LumitagOptions().default_description_option = 3;

    Press(window->lvFiles, Qt::Key_Return);
    EXPECT_EQ(window->txDescription->text(), "");
    Type(window->txDescription, "One");
    Press(window->txDescription, Qt::Key_Return);
    EXPECT_EQ(window->txDescription->text(), "One");
    Type(window->txDescription, "Two");
    Press(window->txDescription, Qt::Key_Return);
    EXPECT_EQ(window->txDescription->text(), "One");  // q3: still the run's first
    Press(window->txDescription, Qt::Key_Escape);
    EXPECT_EQ(window->txDescription->text(), "");

    Press(window->lvFiles, Qt::Key_Return);
    EXPECT_EQ(window->txDescription->text(), "One");
    Type(window->txDescription, "Three");
    Press(window->txDescription, Qt::Key_Return);
    EXPECT_EQ(window->SelectedFileName(), "q4.jpg");
    EXPECT_EQ(window->txDescription->text(), "Three");  // a new run began after Cancel
    EXPECT_EQ(LumitagOptions().last_description, "Three");
    for (const auto& [caption, description] : {std::pair{"q1.jpg", "One"}, {"q2.jpg", "Two"}, {"q3.jpg", "Three"}})
        EXPECT_EQ(RowTexts(*window, caption).front(), description) << caption;
}

TEST_F(EditBandTest, DateFieldEdits)
{
    for (const char* name : {"d1.jpg", "d2.jpg", "d3.jpg"})
        MakePhoto(scratch.file(name), {"Old", "", "", 2004, 7, 14, 10, 0, 0});
    WarningCatcher warnings;
    auto window = Open();
    const struct {
        const char* caption;
        const char* description;  // nullptr: not typed
        const char* date;
        Fields written;
    } cases[] = {
        {"d1.jpg", nullptr, "", WithDates({"Old", "-", "-"}, "-")},
        {"d2.jpg", "New", "31/02/2004", WithDates({"New", "-", "-"}, "2004:07:14 10:00:00")},
        {"d3.jpg", nullptr, "01/08/2005 09:15:30", WithDates({"Old", "-", "-"}, "2005:08:01 09:15:30")},
    };
    Press(window->lvFiles, Qt::Key_Return);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        ASSERT_EQ(window->SelectedFileName(), c.caption);
        if (c.description)
            Type(window->txDescription, c.description);
        Type(window->txDate, c.date);
        Press(window->txDate, Qt::Key_Return);
        EXPECT_EQ(ExifFields(scratch.file(c.caption)), c.written);
    }
    EXPECT_TRUE(warnings.texts().empty());
}

TEST_F(EditBandTest, FileDatesFollowTheDateFieldOnRequest)
{
    MakePhoto(scratch.file("f1.jpg"), {"D", "C", "A", 2003, 1, 1, 0, 0, 0});
    for (const char* name : {"f2.jpg", "f3.jpg", "f4.jpg"})
        MakePhoto(scratch.file(name), {"D", "C", "A", 2004, 7, 14, 10, 30, 0});
    const auto f2Bytes = ReadBytes(scratch.file("f2.jpg"));
    auto window = Open();
    // After the load, which read every file: no dated photo is read again
    // unless it is written.
    for (const char* name : {"f1.jpg", "f2.jpg", "f3.jpg", "f4.jpg"})
        SetTimes(scratch.file(name), kOldAccess, kOldModification);
    LumitagOptions().change_file_date = true;

    Press(window->lvFiles, Qt::Key_Return);  // f1: a typed date sets the file's time
    Type(window->txDate, "14/07/2004 10:30:00");
    Press(window->txDate, Qt::Key_Return);
    Press(window->txDate, Qt::Key_Return);  // f2: nothing changed, yet the time is set
    Type(window->txDate, "");               // f3: no date, the time stays
    Press(window->txDate, Qt::Key_Return);
    LumitagOptions().change_file_date = false;  // f4: off, the write keeps the time
    Type(window->txDescription, "X");
    Press(window->txDescription, Qt::Key_Return);

    // Checked before any reader opens the file again.
    EXPECT_EQ(Status(scratch.file("f2.jpg")).st_atim.tv_sec, kOldAccess.tv_sec);
    EXPECT_EQ(Status(scratch.file("f2.jpg")).st_atim.tv_nsec, kOldAccess.tv_nsec);

    const struct {
        const char* name;
        timespec modification;
        Fields written;
    } cases[] = {
        {"f1.jpg", {kParisJuly14At1030, 0}, WithDates({"D", "C", "A"}, "2004:07:14 10:30:00")},
        {"f2.jpg", {kParisJuly14At1030, 0}, WithDates({"D", "C", "A"}, "2004:07:14 10:30:00")},
        {"f3.jpg", kOldModification, WithDates({"D", "C", "A"}, "-")},
        {"f4.jpg", kOldModification, WithDates({"X", "C", "A"}, "2004:07:14 10:30:00")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const struct stat status = Status(scratch.file(c.name));
        EXPECT_EQ(status.st_mtim.tv_sec, c.modification.tv_sec);
        EXPECT_EQ(status.st_mtim.tv_nsec, c.modification.tv_nsec);
        EXPECT_NE(status.st_atim.tv_sec, kParisJuly14At1030);  // never set from the date
        EXPECT_EQ(ExifFields(scratch.file(c.name)), c.written);
    }
    EXPECT_EQ(ReadBytes(scratch.file("f2.jpg")), f2Bytes);
}

// A read-only file is written; a write that cannot complete and a file that
// vanished leave everything as it was and say so.
TEST_F(EditBandTest, FilesThatCannotBeWrittenAreLeftAsTheyWere)
{
    MakePhoto(scratch.file("a-readonly.jpg"));
    MakePhoto(scratch.file("b-too-big.jpg"), {}, 640, 480);
    MakePhoto(scratch.file("c-deleted.jpg"));
    MakePhoto(scratch.file("d-last.jpg"));
    ASSERT_EQ(chmod(scratch.file("a-readonly.jpg").c_str(), 0444), 0);
    const auto tooBig = ReadBytes(scratch.file("b-too-big.jpg"));
    ASSERT_GT(tooBig.size(), 4096u);
    WarningCatcher warnings;
    auto window = Open();
    window->StopWatching();  // the deletion below must not reload the list
    const auto entries = FolderEntries(scratch.path());

    Press(window->lvFiles, Qt::Key_Return);
    Type(window->txDescription, "Read-only");
    Press(window->txDescription, Qt::Key_Return);
    EXPECT_EQ(Title(*window), "a-readonly.jpg wrote.");
    EXPECT_EQ(ExifFields(scratch.file("a-readonly.jpg")).front(), "Read-only");
    EXPECT_TRUE(Status(scratch.file("a-readonly.jpg")).st_mode & S_IWUSR);

    Type(window->txDescription, "Too big");
    {
        const ScopedFileSizeLimit limit(4096);
        Press(window->txDescription, Qt::Key_Return);
    }
    EXPECT_EQ(Title(*window), "Failed to write: b-too-big.jpg");
    EXPECT_EQ(ReadBytes(scratch.file("b-too-big.jpg")), tooBig);
    EXPECT_EQ(RowTexts(*window, "b-too-big.jpg").front(), "");
    EXPECT_EQ(window->SelectedFileName(), "c-deleted.jpg");  // the run goes on
    EXPECT_TRUE(window->EditMode());

    Type(window->txDescription, "Gone");
    fs::remove(scratch.file("c-deleted.jpg"));
    Press(window->txDescription, Qt::Key_Return);
    EXPECT_EQ(Title(*window),
              "Error: EXIF information from '" + scratch.file("c-deleted.jpg") + "' could not be read.");
    EXPECT_TRUE(window->EditMode());
    EXPECT_EQ(window->SelectedFileName(), "c-deleted.jpg");

    Press(window->txDescription, Qt::Key_Escape);
    Press(window->lvFiles, Qt::Key_Return);
    EXPECT_FALSE(window->EditMode());
    EXPECT_EQ(warnings.texts(), (std::vector<std::string>{"File '" + scratch.file("c-deleted.jpg") +
                                                          "' does not exist! Press the refresh button and try again."}));
    auto remaining = entries;
    remaining.erase(std::find(remaining.begin(), remaining.end(), "c-deleted.jpg"));
    EXPECT_EQ(FolderEntries(scratch.path()), remaining);  // nothing created, no temporary file left
}

// The selection cleared during an edit: the typed values become proposals,
// nothing is written and the caption claims no write.
TEST_F(EditBandTest, ValidateWithoutASelectedRowStoresTheProposalsOnly)
{
    MakePhoto(scratch.file("a.jpg"));
    MakePhoto(scratch.file("b.jpg"));
    auto window = Open();
    Press(window->lvFiles, Qt::Key_Return);
    Type(window->txDescription, "First");
    Press(window->txDescription, Qt::Key_Return);
    ASSERT_EQ(Title(*window), "a.jpg wrote.");
    const auto bBytes = ReadBytes(scratch.file("b.jpg"));

    Type(window->txDescription, "Typed");
    Type(window->txArtist, "Who");
    LumitagOptions().change_file_date = true;  // there is no file to date either
    window->lvFiles->clearSelection();
    ProcessEvents();
    Press(window->txArtist, Qt::Key_Return);

    EXPECT_EQ(Title(*window), kTitle);
    EXPECT_EQ(ReadBytes(scratch.file("b.jpg")), bBytes);
    EXPECT_EQ(LumitagOptions().last_description, "Typed");
    EXPECT_EQ(LumitagOptions().default_artist, "Who");
    EXPECT_FALSE(window->EditMode());
    EXPECT_TRUE(window->firstDescriptionPending);
    EXPECT_FALSE(window->btChange->isEnabled());
}

TEST_F(EditBandTest, EnterAndEscapeByState)
{
    auto window = Open();  // an empty folder: no row
    WarningCatcher warnings;
    Press(window->lvFiles, Qt::Key_Return);
    Press(window->lvFiles, Qt::Key_Escape);
    EXPECT_FALSE(window->EditMode());
    EXPECT_FALSE(window->btChange->isEnabled() || window->btValidate->isEnabled() || window->btCancel->isEnabled());

    MakePhoto(scratch.file("a.jpg"), {"Beach", "", "", 2004, 7, 14, 10, 0, 0});
    window->btRefreshClick();
    Press(window->lvFiles, Qt::Key_Escape);  // browsing: Escape does nothing
    EXPECT_FALSE(window->EditMode());
    EXPECT_TRUE(window->btChange->isEnabled());
    EXPECT_TRUE(window->IsDefaultButton(window->btChange));
    Press(window->lvFiles, Qt::Key_Return);
    EXPECT_TRUE(window->EditMode());
    EXPECT_TRUE(window->IsDefaultButton(window->btValidate));
    EXPECT_TRUE(warnings.texts().empty());
}

// The chosen focus action wins over the field's own focus handling, however
// the focus arrives.
TEST_F(EditBandTest, FocusActionWhateverTheFocusReason)
{
    MakePhoto(scratch.file("a.jpg"), {"Beach", "", "Anne Smith", 2004, 7, 14, 10, 0, 0});
    auto window = Open();
    Press(window->lvFiles, Qt::Key_Return);
    QLineEdit* field = window->txArtist;
    const std::function<void()> entries[] = {
        [&] { field->setFocus(Qt::TabFocusReason); },
        [&] { field->setFocus(Qt::ShortcutFocusReason); },
        [&] { field->setFocus(Qt::OtherFocusReason); },
        [&] { QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() / 2, field->height() / 2)); },
    };
    const struct {
        int option;
        int cursor;
        bool allSelected;
    } actions[] = {{0, 10, true}, {1, 10, false}, {2, 0, false}};
    for (const auto& action : actions) {
        LumitagOptions().focus_action_option = action.option;
        for (size_t how = 0; how < std::size(entries); ++how) {
            SCOPED_TRACE(testing::Message() << "option " << action.option << ", entry " << how);
            window->txDescription->setFocus(Qt::OtherFocusReason);
            ProcessEvents();
            entries[how]();
            ProcessEvents();
            EXPECT_EQ(window->lastEditField, field);
            EXPECT_EQ(field->cursorPosition(), action.cursor);
            EXPECT_EQ(field->selectedText().toStdString(), action.allSelected ? "Anne Smith" : "");
        }
    }
}

// What the band is for: a folder of real camera photos captioned with Enter
// presses alone, the description proposed from each file name.
TEST_F(EditBandTest, AFolderOfCameraPhotosCaptionedByEnterAlone)
{
    LUMITAG_REQUIRE_SAMPLES();
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::uint8_t>> images;
    for (const auto& sample : SampleFiles()) {
        const std::string name = fs::path(sample).filename().string();
        CopyFile(sample, scratch.file(name));
        ASSERT_EQ(chmod(scratch.file(name).c_str(), 0644), 0);
        names.push_back(name);
        images[name] = ImageData(scratch.file(name));
    }
    // ImageDescription, then the tags that must not change, and the date.
    const auto tagsOfEveryPhoto = [&] {
        std::vector<std::string> command = {"exiftool", "-T", "-f", "-charset", "exif=utf8", "-EXIF:ImageDescription",
                                            "-EXIF:Artist", "-EXIF:Make", "-EXIF:Model", "-EXIF:Orientation",
                                            "-EXIF:DateTimeOriginal"};
        for (const auto& name : names)
            command.push_back(scratch.file(name));
        std::istringstream rows(RunCommand(command).output);
        std::vector<Fields> tags;
        for (std::string row; std::getline(rows, row);) {
            std::istringstream cells(row);
            tags.emplace_back();
            for (std::string cell; std::getline(cells, cell, '\t');)
                tags.back().push_back(cell);
        }
        return tags;
    };
    const auto before = tagsOfEveryPhoto();
    ASSERT_EQ(before.size(), names.size());
    auto window = Open();
    LumitagOptions().default_description_option = 1;

    Press(window->lvFiles, Qt::Key_Return);
    for (size_t presses = 0; window->EditMode() && presses <= names.size(); ++presses) {
        const std::string caption = window->SelectedFileName();
        Press(window->focusWidget(), Qt::Key_Return);
        EXPECT_EQ(Title(*window).find("Error"), std::string::npos) << caption;
        EXPECT_EQ(Title(*window).find("Failed"), std::string::npos) << caption;
    }
    EXPECT_FALSE(window->EditMode());

    const auto after = tagsOfEveryPhoto();
    ASSERT_EQ(after.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        ASSERT_EQ(after[i].size(), 6u);
        const bool hadDescription = before[i][0] != "-" && !lumitag::TrimControls(before[i][0]).empty();
        EXPECT_EQ(after[i][0], hadDescription ? before[i][0] : lumitag::DescriptionFromFileName(names[i]));
        EXPECT_EQ(Fields(after[i].begin() + 1, after[i].end() - 1), Fields(before[i].begin() + 1, before[i].end() - 1));
        if (before[i][5] != "-")
            EXPECT_EQ(after[i][5], before[i][5]);
        else
            EXPECT_NE(after[i][5], "-") << "a date was proposed and written";
        EXPECT_TRUE(ImageData(scratch.file(names[i])) == images[names[i]]) << "image data changed";
    }
}

}  // namespace
