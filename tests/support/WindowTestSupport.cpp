#include "WindowTestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "TestSupport.h"
#include "app/Frmmainmodule.h"
#include "app/LumitagOptions.h"
#include "exif/Exif_stl.h"
#include "util/kivUtilGui.h"

namespace testsupport {

namespace {

const std::string& ScratchHomePath()
{
    // Lives for the whole process; removed at exit.
    static ScratchDir home;
    return home.path();
}

}  // namespace

std::string ScratchHome()
{
    return ScratchHomePath();
}

QApplication& GuiApp()
{
    static QApplication* app = [] {
        const std::string home = ScratchHomePath();
        for (const char* sub : {"config", "data", "cache", "Desktop", "runtime"})
            std::filesystem::create_directories(home + sub);
        std::filesystem::permissions(home + "runtime", std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", (home + "runtime").c_str(), 1);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "data").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home + "cache").c_str(), 1);
        if (!getenv("QT_QPA_PLATFORM"))
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "lumitag-window-tests";
        static char* argv[] = {name, nullptr};
        // Never destroyed: a QApplication must not outlive Qt's own statics.
        return new QApplication(argc, argv);
    }();
    return *app;
}

void ResetOptions()
{
    GuiApp();
    std::error_code ec;
    std::filesystem::remove(LumitagOptions().IniPath(), ec);
    LumitagOptions().firstDescription.clear();
}

std::unique_ptr<TfrmMain> OpenWindow(const QStringList& arguments)
{
    GuiApp();
    auto window = std::make_unique<TfrmMain>(arguments);
    window->show();
    if (!WaitFor([&] { return !window->firstPaintPending; }, 5000))
        throw std::runtime_error("the window was never painted");
    ProcessEvents();
    return window;
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

void ProcessEvents(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (timer.elapsed() < milliseconds);
}

void PressKey(QWidget* widget, int key, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

struct WarningCatcher::State {
    QTimer timer;
    std::vector<std::string> texts;
};

WarningCatcher::WarningCatcher() : state_(std::make_unique<State>())
{
    GuiApp();
    state_->timer.setInterval(20);
    QObject::connect(&state_->timer, &QTimer::timeout, [state = state_.get()] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box && box->isVisible() && box->objectName() == kivUtil::WarningBoxName()) {
                state->texts.push_back(box->text().toStdString());
                box->accept();
            }
        }
    });
    state_->timer.start();
}

WarningCatcher::~WarningCatcher() = default;

const std::vector<std::string>& WarningCatcher::texts() const
{
    return state_->texts;
}

void MakePhoto(const std::string& path, const PhotoFields& fields, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, width, height);
    gradient.setColorAt(0, QColor(40, 90, 200));
    gradient.setColorAt(1, QColor(250, 200, 80));
    painter.fillRect(image.rect(), gradient);
    painter.end();
    if (!image.save(QString::fromStdString(path), "JPEG", 85))
        throw std::runtime_error("cannot write " + path);

    const bool anyField = !fields.description.empty() || !fields.comment.empty() || !fields.artist.empty() ||
                          fields.year != 0;
    if (!anyField)
        return;
    Texif_stl exif;
    if (!exif.read_jpeg(path))
        throw std::runtime_error("cannot read " + path);
    if (!fields.description.empty())
        exif.set_image_description(fields.description);
    if (!fields.comment.empty())
        exif.set_user_comment(fields.comment);
    if (!fields.artist.empty())
        exif.set_artist(fields.artist);
    if (fields.year != 0) {
        exif.set_date_time_original(fields.year, fields.month, fields.day, fields.hour, fields.minute,
                                    fields.second);
        exif.set_date_time(fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second);
        exif.set_date_time_digitized(fields.year, fields.month, fields.day, fields.hour, fields.minute,
                                     fields.second);
    }
    if (!exif.write_jpeg(path))
        throw std::runtime_error("cannot write EXIF into " + path);
}

}  // namespace testsupport
