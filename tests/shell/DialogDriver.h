// Driving the modal file dialogs and message boxes from inside their loops.
#pragma once

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace shelltest {

// What the dialog's Open or Save button does.
inline void PressAccept(QFileDialog* dialog)
{
    static_cast<QDialog*>(dialog)->accept();
}

// Waits until the dialog lists its folder, as a user does before typing:
// the dialog applies its first selection when the listing arrives.
inline void WaitUntilListed(QFileDialog* dialog)
{
    auto* model = dialog->findChild<QFileSystemModel*>();
    if (!model)
        return;
    const QString folder = dialog->directory().absolutePath();
    const auto entries = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size();
    QElapsedTimer timer;
    timer.start();
    while (model->rowCount(model->index(folder)) < entries && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QCoreApplication::processEvents();
}

// While it lives, hands the first file dialog that runs modally to act,
// which accepts or rejects it (or does anything a user would).
class FileDialogDriver {
public:
    explicit FileDialogDriver(std::function<void(QFileDialog*)> act) : act_(std::move(act))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || ran_)
                return;
            ran_ = true;
            WaitUntilListed(dialog);
            act_(dialog);
        });
        timer_.start();
    }
    bool ran() const { return ran_; }

private:
    std::function<void(QFileDialog*)> act_;
    QTimer timer_;
    bool ran_ = false;
};

// While it lives, collects the text of every message box that runs modally
// and closes it with its escape button ("No", "OK").
class MessageBoxCloser {
public:
    MessageBoxCloser()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts_.push_back(box->text().toStdString());
            box->reject();
        });
        timer_.start();
    }
    const std::vector<std::string>& texts() const { return texts_; }

private:
    QTimer timer_;
    std::vector<std::string> texts_;
};

}  // namespace shelltest
