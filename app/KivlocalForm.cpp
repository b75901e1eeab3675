#include "app/KivlocalForm.h"

#include "app/Kivlocal.h"
#include "app/VclWidgets.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>

#include <algorithm>
#include <functional>

namespace {

constexpr const char* kTag = "lumitagTag";
constexpr const char* kColumnTags = "lumitagColumnTags";
constexpr int kNotTranslatable = -1;
// The row height assumed when a combo box cannot tell its own.
constexpr int kDefaultItemHeight = 13;

struct RememberedText {
    const char* idProperty;
    const char* shownProperty;
};
constexpr RememberedText kHint{"lumitagHintId", "lumitagHintShown"};
constexpr RememberedText kRadioItem{"lumitagItemId", "lumitagItemShown"};

// Translates a text whose source id is kept beside it on holder. The id is
// trusted only while the text is still the one this walk showed.
QString TranslateRemembered(QObject* holder, const RememberedText& memory, const QString& current)
{
    const bool unchanged = holder->property(memory.shownProperty).toString() == current;
    int id = unchanged ? holder->property(memory.idProperty).toInt() : 0;
    std::string text = current.toStdString();
    if (!TranslateText(text, id)) {
        holder->setProperty(memory.idProperty, QVariant());
        holder->setProperty(memory.shownProperty, QVariant());
        return current;
    }
    const QString shown = QString::fromStdString(text);
    holder->setProperty(memory.idProperty, id);
    holder->setProperty(memory.shownProperty, shown);
    return shown;
}

// The id a tagged caption shows, deciding on the first visit; 0 for none.
int TagFor(int& tag, const QString& current)
{
    if (tag == 0)
        tag = IdOfText(current.toStdString());
    if (tag == 0)
        tag = kNotTranslatable;
    return tag > 0 ? tag : 0;
}

QString TextOf(int id) { return QString::fromStdString(TextOfId(id)); }

void TranslateCombo(QComboBox* combo)
{
    int tag = combo->property(kTag).toInt();
    if (combo->count() == 0 || tag < 0)
        return;
    if (tag == 0) {
        tag = IdOfText(combo->itemText(0).toStdString());
        for (int i = 1; tag > 0 && i < combo->count(); ++i)
            if (IdOfText(combo->itemText(i).toStdString()) != tag + i)
                tag = 0;
        combo->setProperty(kTag, tag > 0 ? tag : kNotTranslatable);
        if (tag <= 0)
            return;
    }
    const QSignalBlocker quiet(combo);
    const int selected = combo->currentIndex();
    for (int i = 0; i < combo->count(); ++i)
        combo->setItemText(i, TextOf(tag + i));
    combo->setCurrentIndex(selected);
}

void TranslateColumns(QTreeWidget* tree)
{
    QVariantList tags = tree->property(kColumnTags).toList();
    QTreeWidgetItem* header = tree->headerItem();
    while (tags.size() < tree->columnCount())
        tags.append(0);
    for (int column = 0; column < tree->columnCount(); ++column) {
        int tag = tags[column].toInt();
        if (const int id = TagFor(tag, header->text(column)))
            header->setText(column, TextOf(id));
        tags[column] = tag;
    }
    tree->setProperty(kColumnTags, tags);
}

QTabWidget* TabWidgetOfPage(QWidget* widget)
{
    QWidget* stack = qobject_cast<QStackedWidget*>(widget->parentWidget());
    auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
    return tabs && tabs->indexOf(widget) >= 0 ? tabs : nullptr;
}

// The caption of a widget as a getter and a setter; false for a widget
// without one.
struct Caption {
    std::function<QString()> get;
    std::function<void(const QString&)> set;
};

bool CaptionOf(QWidget* widget, Caption& caption)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        caption = {[=] { return label->text(); }, [=](const QString& t) { label->setText(t); }};
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        caption = {[=] { return button->text(); }, [=](const QString& t) { button->setText(t); }};
    else if (auto* group = qobject_cast<QGroupBox*>(widget))
        caption = {[=] { return group->title(); }, [=](const QString& t) { group->setTitle(t); }};
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        caption = {[=] { return edit->text(); }, [=](const QString& t) { edit->setText(t); }};
    else if (QTabWidget* tabs = TabWidgetOfPage(widget))
        caption = {[=] { return tabs->tabText(tabs->indexOf(widget)); },
                   [=](const QString& t) { tabs->setTabText(tabs->indexOf(widget), t); }};
    else
        return false;
    return true;
}

void TranslateCaption(QWidget* widget)
{
    Caption caption;
    int tag = widget->property(kTag).toInt();
    if (tag < 0 || !CaptionOf(widget, caption))
        return;
    const int id = TagFor(tag, caption.get());
    widget->setProperty(kTag, tag);
    if (id)
        caption.set(TextOf(id));
}

void TranslateRadioItems(TRadioGroup* group)
{
    for (int i = 0; i < group->itemCount(); ++i) {
        QRadioButton* button = group->itemButton(i);
        const QString current = button->text();
        const QString shown = TranslateRemembered(button, kRadioItem, current);
        if (shown != current)
            button->setText(shown);
    }
}

// Widgets that belong to another widget's inside or are translated by it.
bool IsPartOfAnother(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    if (qobject_cast<const QComboBox*>(parent) || qobject_cast<const QAbstractSpinBox*>(parent))
        return true;
    return qobject_cast<const QRadioButton*>(widget) && qobject_cast<const TRadioGroup*>(parent);
}

void TranslateWidget(QWidget* widget)
{
    if (!widget->toolTip().isEmpty())
        widget->setToolTip(TranslateRemembered(widget, kHint, widget->toolTip()));
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        TranslateCombo(combo);
    } else if (auto* tree = qobject_cast<QTreeWidget*>(widget)) {
        TranslateColumns(tree);
    } else {
        TranslateCaption(widget);
        if (auto* group = qobject_cast<TRadioGroup*>(widget))
            TranslateRadioItems(group);
    }
}

void FitDropDownToScreen(QComboBox* combo)
{
    const QScreen* screen = combo->screen();
    if (!screen)
        return;
    int itemHeight = combo->count() > 0 ? combo->view()->sizeHintForRow(0) : 0;
    if (itemHeight <= 0)
        itemHeight = kDefaultItemHeight;
    combo->setMaxVisibleItems(std::max(1, screen->geometry().height() / itemHeight));
}

}  // namespace

void TranslateForm(QWidget* form, int language)
{
    SetCurrentLanguage(language);
    const QList<QWidget*> widgets = form->findChildren<QWidget*>();
    for (QWidget* widget : widgets)
        if (!IsPartOfAnother(widget))
            TranslateWidget(widget);
    for (QComboBox* combo : form->findChildren<QComboBox*>())
        FitDropDownToScreen(combo);
}
