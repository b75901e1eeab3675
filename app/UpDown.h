// A small up/down control that steps the integer of a free-text edit box.
// The edit box stays free text: a text that is no number is left for the
// caller to report, and a step from it starts at the low end of the range.
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT

public:
    TUpDown(QLineEdit* associate, int minimum, int maximum, QWidget* parent = nullptr);

    int Position() const;
    void Step(int delta);

private:
    QLineEdit* associate_;
    int minimum_;
    int maximum_;
};
