// TLumitagOptions: the application's one set of options, in lumitag.ini,
// section "Options". The members carry the names of their INI keys.
#pragma once

#include "app/Genericoptions.h"

#include <string>
#include <vector>

class TLumitagOptions : public TGenericOptions {
public:
    TLumitagOptions();
    // Keeps the options in the file at iniPath (tests use scratch files).
    explicit TLumitagOptions(std::string iniPath);

    std::vector<std::string> last_dirs;      // recent root folders, most recent first, each ending with "/"
    std::string default_artist;              // proposed for an empty Artist field
    std::string default_user_comment;        // proposed for an empty User Comment field
    std::string last_description;            // proposed when default_description_option is 2
    std::string default_format;              // moved into last_formats at start
    int language = 0;                        // 0 English, 1 French
    int default_description_option = 0;      // 0 nothing, 1 from the file name, 2 last, 3 first description
    int focus_action_option = 0;             // 0 select all, 1 caret at the end, 2 caret at the start
    bool remove_accentuated_letters = false; // rename: fold accented letters
    bool remove_spaces = false;              // rename: spaces to "_"
    std::vector<std::string> last_formats;   // recent rename patterns, most recent first
    std::string external_editor;             // full path of the external image editor
    bool change_file_date = false;           // validation sets the file's modification time

    // Memory only: the description of the first validation of the current run.
    std::string firstDescription;

protected:
    void Exchange(bool load, bool defaultsOnly) override;
};

// The process's option set, constructed on the first call (not loaded).
TLumitagOptions& LumitagOptions();
