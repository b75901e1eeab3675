// The localisation table and its lookups.
//
// The table holds strings 17000 to 17076 (17023, 17043, 17051 and 17073
// hold nothing). Each is a key and its texts, separated by "¤": text 0
// English, text 1 French. String 17000 is the list of language names; the
// key lookup starts at 17001 and so never finds it. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

// The text of key in the current language; key + "??" when the table lacks it.
std::string TextOfKey(const std::string& key);
// The string id of key, compared ignoring case; 0 when the table lacks it.
int IdOfKey(const std::string& key);
// The text of string id in the current language, "?" when the string or
// that text is missing or empty.
std::string TextOfId(int id);
// The language names in language order; the index is the language number.
std::vector<std::string> LanguageNames();

// The string id a text stands for: a text beginning with "_" is a key; a
// text holding a NUL carries the decimal id after it; any other text, the
// empty one included, gives 0 (not translatable).
int IdOfText(const std::string& text);
// Translates a hint or radio item. hiddenId is the id remembered beside the
// text (0 when none): it is used when set, otherwise IdOfText(text). When an
// id is found, text becomes its translation, hiddenId the id, and the result
// is true; otherwise nothing changes and the result is false.
bool TranslateText(std::string& text, int& hiddenId);

// The language of TextOfKey and TextOfId (0 English, 1 French); 0 until the
// first form translation.
int CurrentLanguage();
void SetCurrentLanguage(int language);
