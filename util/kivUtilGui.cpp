#include "util/kivUtilGui.h"
#include "util/kivUtil.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace kivUtil {

namespace {
// The longest warning text, as the 2000-byte buffer it stands for.
constexpr std::size_t kWarningBytes = 1999;
}  // namespace

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void ShowWarning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string message = FormatTextV(kWarningBytes, format, args);
    va_end(args);
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(ApplicationTitle()), QString::fromStdString(message),
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(WarningBoxName());
    box.exec();
}

void OpenWithShell(const std::string& pathOrUrl)
{
    const QString text = QString::fromStdString(pathOrUrl);
    QDesktopServices::openUrl(text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl::fromUserInput(text));
}

}  // namespace kivUtil
