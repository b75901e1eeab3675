// kivUtil helpers that need the widget toolkit.
#pragma once

#include <string>

namespace kivUtil {

// Shows the hourglass for the guard's lifetime. Its end removes every
// override cursor, so when guards nest the inner one's end already brings
// back the normal cursor.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// The object name of the warning box, for tests that look for it.
constexpr const char* WarningBoxName() { return "lumitagWarning"; }

// A modal warning box (caption: the application title, a warning icon, an OK
// button) owned by the active window; returns when it is closed. The message
// is cut to 1999 bytes.
void ShowWarning(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Hands a file path or an address to the desktop to open with its default
// program; the outcome is not checked.
void OpenWithShell(const std::string& pathOrUrl);

}  // namespace kivUtil
