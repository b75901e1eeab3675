// The program's open and save dialogs: thin wrappers over QFileDialog that
// keep a history of the chosen files and return every chosen file as a full
// path, and kivUtil::SelectFile, which runs one of them once.
#pragma once

#include <QObject>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QEvent;
class QWidget;

// The file-dialog options, in the toolkit's order. On QFileDialog:
// ofFileMustExist makes an open dialog accept existing files only,
// ofAllowMultiSelect lets it return several, ofOverwritePrompt makes a save
// dialog ask before an existing file is replaced, ofOldStyleDialog asks for
// Qt's own dialog instead of the desktop's, ofNoDereferenceLinks keeps
// symbolic links as they are, and ofEnableSizing shows a size grip. The
// others have no counterpart there and change nothing.
enum TOpenOption : unsigned {
    ofReadOnly = 1u << 0,
    ofOverwritePrompt = 1u << 1,
    ofHideReadOnly = 1u << 2,
    ofNoChangeDir = 1u << 3,
    ofShowHelp = 1u << 4,
    ofNoValidate = 1u << 5,
    ofAllowMultiSelect = 1u << 6,
    ofExtensionDifferent = 1u << 7,
    ofPathMustExist = 1u << 8,
    ofFileMustExist = 1u << 9,
    ofCreatePrompt = 1u << 10,
    ofShareAware = 1u << 11,
    ofNoReadOnlyReturn = 1u << 12,
    ofNoTestFileCreate = 1u << 13,
    ofNoNetworkButton = 1u << 14,
    ofNoLongNames = 1u << 15,
    ofOldStyleDialog = 1u << 16,
    ofNoDereferenceLinks = 1u << 17,
    ofEnableIncludeNotify = 1u << 18,
    ofEnableSizing = 1u << 19,
};
using TOpenOptions = unsigned;

// A filter of description and pattern pairs separated by "|" ("JPEG
// files|*.jpg;*.jpeg|All files|*") as QFileDialog name filters ("JPEG files
// (*.jpg *.jpeg)"). A last description without its pattern is taken as a
// pattern.
QStringList NameFiltersOf(const std::string& filter);

class TExtOpenDialog : public QObject {
    Q_OBJECT

public:
    // The dialog window belongs to the owner when the owner is a widget.
    explicit TExtOpenDialog(QObject* owner = nullptr);
    ~TExtOpenDialog() override;

    // Files chosen in earlier runs of this object, oldest first, never more
    // than HistoryListSize(). Assigning copies the list and drops its oldest
    // entries beyond the size.
    const std::vector<std::string>& HistoryList() const { return historyList_; }
    void SetHistoryList(const std::vector<std::string>& list);
    // Clamped to 1..1000; the oldest entries beyond the new size are dropped.
    int HistoryListSize() const { return historyListSize_; }
    void SetHistoryListSize(int size);

    // A dialog template of the desktop's own dialogs; Qt's dialogs have
    // none, so they are kept only. Setting one clears the other.
    std::int16_t TemplateInt() const { return templateInt_; }
    void SetTemplateInt(std::int16_t id);
    const std::string& TemplateString() const { return templateString_; }
    void SetTemplateString(const std::string& name);

    // The full paths chosen in the last successful run.
    const std::vector<std::string>& Files() const { return files_; }

    // Runs the dialog. True when the user chose a file: FileName is the
    // (first) chosen path, Files() holds them all, FilterIndex the filter
    // picked last, and the history takes each one. False on cancel, with
    // FileName unchanged and Files() empty.
    bool Execute();

    TOpenOptions Options = ofEnableSizing;
    std::string Filter;      // see NameFiltersOf
    int FilterIndex = 1;     // counted from 1
    std::string InitialDir;  // folder shown first, when not empty
    std::string Title;       // the dialog's own caption when empty
    std::string DefaultExt;  // appended to a typed name without extension
    std::string FileName;    // the proposed name before a run, the chosen file after it
    // When set, DefaultExt follows the extension of the filter the user
    // picks ("*.png" gives "png"; a pattern such as "*" keeps it).
    bool DynamicChangeDefaultExt = false;
    // Sees every event of the running dialog window before the dialog does;
    // setting handled keeps it from the dialog.
    std::function<void(QObject* sender, QEvent* message, bool& handled)> OnDialogMessage;

protected:
    virtual bool IsSaveDialog() const { return false; }

private:
    void AddToHistory(const std::string& file);
    void TrimHistory();

    std::vector<std::string> historyList_;
    int historyListSize_ = 10;
    std::int16_t templateInt_ = 0;
    std::string templateString_;
    std::vector<std::string> files_;
};

class TExtSaveDialog : public TExtOpenDialog {
    Q_OBJECT

public:
    using TExtOpenDialog::TExtOpenDialog;

protected:
    bool IsSaveDialog() const override { return true; }
};

namespace kivUtil {

// Runs an open dialog (existing files only) or a save dialog (asking before
// replacing a file) once and returns the chosen path, "" when cancelled.
// The proposed name is cleaned with CleanDialogFileName. The dialog belongs
// to owner, or to the application's main window when owner is null; the
// initial folder is set only when not empty.
std::string SelectFile(const std::string& defaultExt, const std::string& filter, const std::string& proposedName,
                       bool save, const std::string& title, QWidget* owner = nullptr,
                       const std::string& initialDir = {});

}  // namespace kivUtil
