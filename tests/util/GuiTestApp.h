// The application object of a widget test program.
#pragma once

#include <QApplication>

namespace testsupport {

// Created on first use and never destroyed: a QApplication must not outlive
// Qt's own statics at exit.
inline QApplication& GuiTestApp()
{
    static int argc = 1;
    static char name[] = "lumitag-gui-test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

}  // namespace testsupport
