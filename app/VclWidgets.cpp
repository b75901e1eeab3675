#include "app/VclWidgets.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this))
{
    layout_->addStretch(1);
    connect(buttons_, &QButtonGroup::idClicked, this, &TRadioGroup::itemPicked);
}

TRadioGroup::TRadioGroup(const QString& title, const QStringList& items, QWidget* parent) : TRadioGroup(parent)
{
    setTitle(title);
    setItems(items);
}

void TRadioGroup::setItems(const QStringList& items)
{
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        delete button;
    }
    for (const QString& text : items)
        addItem(text);
}

void TRadioGroup::addItem(const QString& text)
{
    auto* button = new QRadioButton(text, this);
    buttons_->addButton(button, itemCount());
    layout_->insertWidget(layout_->count() - 1, button);
}

QStringList TRadioGroup::items() const
{
    QStringList texts;
    for (int i = 0; i < itemCount(); ++i)
        texts << itemText(i);
    return texts;
}

int TRadioGroup::itemCount() const { return static_cast<int>(buttons_->buttons().size()); }

QString TRadioGroup::itemText(int index) const
{
    const QRadioButton* button = itemButton(index);
    return button ? button->text() : QString();
}

void TRadioGroup::setItemText(int index, const QString& text)
{
    if (QRadioButton* button = itemButton(index))
        button->setText(text);
}

QRadioButton* TRadioGroup::itemButton(int index) const
{
    return qobject_cast<QRadioButton*>(buttons_->button(index));
}

int TRadioGroup::itemIndex() const { return buttons_->checkedId(); }

void TRadioGroup::setItemIndex(int index)
{
    if (QRadioButton* button = itemButton(index)) {
        button->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its checked button.
    buttons_->setExclusive(false);
    for (QAbstractButton* button : buttons_->buttons())
        button->setChecked(false);
    buttons_->setExclusive(true);
}
