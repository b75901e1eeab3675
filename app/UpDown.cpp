#include "app/UpDown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

TUpDown::TUpDown(QLineEdit* associate, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), associate_(associate), minimum_(minimum), maximum_(maximum)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto makeArrow = [this, layout](Qt::ArrowType arrow, int delta) {
        auto* button = new QToolButton(this);
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
        connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        layout->addWidget(button);
    };
    makeArrow(Qt::UpArrow, +1);
    makeArrow(Qt::DownArrow, -1);
}

int TUpDown::Position() const
{
    bool ok = false;
    const int value = associate_->text().trimmed().toInt(&ok);
    return ok ? std::clamp(value, minimum_, maximum_) : minimum_;
}

void TUpDown::Step(int delta)
{
    const int next = std::clamp(Position() + delta, minimum_, maximum_);
    // No thousands separator, no wrap: the box shows the plain number.
    associate_->setText(QString::number(next));
}
