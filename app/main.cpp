// Program entry: the application object, its title, the main window and the
// message loop. An exception that escapes is shown in a box; the exit code is 0.
#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/Frmmainmodule.h"
#include "app/ShellRegistration.h"
#include "util/kivUtil.h"

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QString title = QString::fromStdString(kivUtil::ApplicationTitle());
    QApplication::setApplicationName("lumitag");
    // Lets the desktop match the window with the installed entry and its icon.
    QGuiApplication::setDesktopFileName(lumitag::ApplicationId());
    try {
        QStringList arguments = QApplication::arguments();
        arguments.removeFirst();
        TfrmMain window(arguments);
        window.show();
        return QApplication::exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, title, QString::fromLocal8Bit(error.what()));
    }
    return 0;
}
