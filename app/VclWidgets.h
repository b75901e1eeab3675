// Small widgets that the window's controls need and Qt lacks.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

// A group box of radio buttons, one per item, stacked from the top, with the
// index of the checked item (-1 when none is checked).
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(QWidget* parent = nullptr);
    TRadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    void setItems(const QStringList& items);  // replaces every item; none is checked
    void addItem(const QString& text);
    QStringList items() const;
    int itemCount() const;
    QString itemText(int index) const;
    void setItemText(int index, const QString& text);
    QRadioButton* itemButton(int index) const;  // nullptr out of range

    int itemIndex() const;
    // Checks item index; -1 or an index out of range unchecks every item.
    // Emits nothing: itemPicked is for the user's choice only.
    void setItemIndex(int index);

signals:
    // The user checked item index (by mouse or keyboard).
    void itemPicked(int index);

private:
    QButtonGroup* buttons_;
    QVBoxLayout* layout_;
};
