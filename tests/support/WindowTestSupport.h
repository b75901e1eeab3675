// Helpers for tests that drive the real main window on the offscreen platform.
#pragma once

#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QApplication;
class QWidget;
class TfrmMain;

namespace testsupport {

// The application object of the test process. The first call points HOME and
// the XDG folders at a scratch folder of the process, so the option file, the
// desktop entries and the trace file never touch the real ones.
QApplication& GuiApp();
std::string ScratchHome();  // ends with "/"

// Removes the option file, so the next window starts as on a first run.
void ResetOptions();

// A window opened as the program opens it: constructed with the arguments,
// shown, and its first paint (which loads the file list) done.
std::unique_ptr<TfrmMain> OpenWindow(const QStringList& arguments = {});

// Processes events until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);
void ProcessEvents(int milliseconds = 0);

// Sends a key press and release to the widget (Enter, Escape, letters...).
void PressKey(QWidget* widget, int key, const QString& text = {});

// Collects the texts of the warning boxes that appear while it lives, and
// closes each one as the user would with OK.
class WarningCatcher {
public:
    WarningCatcher();
    ~WarningCatcher();
    WarningCatcher(const WarningCatcher&) = delete;
    WarningCatcher& operator=(const WarningCatcher&) = delete;
    const std::vector<std::string>& texts() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// EXIF fields for a made-up photo; empty texts and a zero year are left out.
struct PhotoFields {
    std::string description;
    std::string comment;
    std::string artist;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Writes a small real JPEG (a gradient of the given size) at path, with the
// fields written by the engine when any is given.
void MakePhoto(const std::string& path, const PhotoFields& fields = {}, int width = 64, int height = 48);

}  // namespace testsupport
