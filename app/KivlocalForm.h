// The translation walk over a window's widgets.
//
// TranslateForm(form, language) sets the current language, then visits every
// widget below form (not form itself), in creation order within each parent:
//
//  - hint: any widget with a non-empty tool tip: TranslateText on it. The
//    source id is kept in the properties "lumitagHintId" and
//    "lumitagHintShown"; a tool tip that code has changed since is read anew.
//  - QComboBox: its items. The first walk that finds items takes the id of
//    item 0 (IdOfText); the box is translatable only when every item i is
//    the key of id + i, otherwise it is marked not translatable for good (so
//    folders or patterns that happen to start with "_" are never replaced).
//    Later walks set item i to TextOfId(id + i), the selected index kept and
//    no signal sent. The edit text is not touched apart from what Qt shows
//    for the selected item. A box with no items is looked at again next time.
//  - QTreeWidget: the caption of each header column.
//  - otherwise the widget's caption: QLabel text, QAbstractButton text
//    (push, tool, check and radio buttons), QGroupBox title (TRadioGroup
//    included), QLineEdit text, and for a page of a QTabWidget its tab text.
//    TRadioGroup then translates its items as hints are translated (the
//    properties "lumitagItemId" and "lumitagItemShown" on each button).
//
// Captions, column captions and combo boxes remember their source in the
// integer property "lumitagTag" ("lumitagColumnTags" for columns): 0 not
// examined yet, -1 not translatable, else the string id. The first walk
// decides once: a text that is not a key ("_...") gets -1 and is never looked
// at again, even when it later becomes a key.
//
// Left alone: the line edit inside a QComboBox or a spin box, the buttons of
// a TRadioGroup (they are its items), window titles and every other widget.
// Finally every combo box gets as many visible rows as fit in the height of
// its screen.
#pragma once

class QWidget;

void TranslateForm(QWidget* form, int language);
