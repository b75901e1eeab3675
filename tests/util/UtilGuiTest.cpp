#include "util/kivUtil.h"
#include "util/kivUtilGui.h"

#include "tests/util/GuiTestApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWidget>

using namespace kivUtil;

namespace {

// Receives what the desktop is asked to open, in place of a browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

QApplication& App() { return testsupport::GuiTestApp(); }

struct SeenBox {
    bool found = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool modal = false;
    QWidget* parent = nullptr;
};

// Shows a warning and reads the box from a timer while it is open.
SeenBox WarningShownBy(void (*show)())
{
    App();
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (!box || box->objectName() != WarningBoxName())
                continue;
            seen = {true, box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->isModal(),
                    box->parentWidget()};
            box->button(QMessageBox::Ok)->click();
        }
    });
    show();
    return seen;
}

}  // namespace

TEST(TWaitCursor, TheInnerGuardsEndRemovesTheHourglass)
{
    App();
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        TWaitCursor outer;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            TWaitCursor inner;
        }
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ShowWarning, ShowsAModalWarningBoxCaptionedWithTheTitle)
{
    const SeenBox seen = WarningShownBy([] { ShowWarning("Folder '%s' does not exist!", "/Été/"); });
    ASSERT_TRUE(seen.found) << "no box named " << WarningBoxName();
    EXPECT_EQ(seen.title, "Lumitag");
    EXPECT_EQ(seen.text, "Folder '/Été/' does not exist!");
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
    EXPECT_TRUE(seen.modal);
}

TEST(ShowWarning, CutsALongMessageOnACharacterBoundary)
{
    const SeenBox seen = WarningShownBy([] {
        std::string accents;
        for (int i = 0; i < 1500; ++i)
            accents += "é";
        ShowWarning("%s", accents.c_str());
    });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, QString(999, QChar(0xE9))) << "1999 bytes hold 999 whole characters";
}

TEST(ShowWarning, IsOwnedByTheActiveWindow)
{
    App();
    QWidget window;
    window.show();
    QApplication::setActiveWindow(&window);
    const SeenBox seen = WarningShownBy([] { ShowWarning("%s", "owned"); });
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.parent, &window);
}

TEST(OpenWithShell, HandsPathsAsFilesAndAddressesAsUrls)
{
    App();
    UrlCatcher catcher;
    for (const char* scheme : {"file", "http", "https"})
        QDesktopServices::setUrlHandler(scheme, &catcher, "open");
    OpenWithShell("/photos/Été 2004/IMG 1.jpg");
    OpenWithShell("www.example.com/index.html");
    OpenWithShell("https://example.com/a/index.html");
    for (const char* scheme : {"file", "http", "https"})
        QDesktopServices::unsetUrlHandler(scheme);
    EXPECT_EQ(catcher.opened, (QList<QUrl>{QUrl::fromLocalFile("/photos/Été 2004/IMG 1.jpg"),
                                           QUrl("http://www.example.com/index.html"),
                                           QUrl("https://example.com/a/index.html")}));
}

#include "UtilGuiTest.moc"
