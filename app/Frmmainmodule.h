// The main window: folder box, the EXIF tab (file list, preview, edit band),
// the rename tab and the options tab. The window stays thin: the records,
// scanning, patterns, options and texts live in window-free libraries.
#pragma once

#include <QMainWindow>
#include <QStringList>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/FolderWatch.h"
#include "catalogue/Titem.h"
#include "exif/Exif_stl.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class QAbstractButton;
class TRadioGroup;
class TUpDown;

class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    using Titem = lumitag::Titem;

    // `arguments` are the program's arguments without the program name.
    explicit TfrmMain(const QStringList& arguments = {}, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Trace sink: every piece of engine text goes to the trace file.
    class TTracer : public Texif_stl::tracer {
    public:
        void trace(const std::string& text) override;
    };

    // ---- status line and shared helpers
    void ShowStatus(const std::string& text);
    std::string FullFileName(const std::string& name) const;
    double GetExifDate(const Texif_stl* document = nullptr) const;
    void ScanFolder(const std::string& folder, std::vector<Titem>& records);
    Titem LoadItem(const std::string& fileName);

    // ---- recent lists
    void AddRecentFolder(const std::string& text);
    void AddRecentFormat(const std::string& text);
    void FillFolderBox();
    void FillFormatBox();
    void ApplyLanguage();

    // ---- file list
    void FillRow(QTreeWidgetItem* row, const Titem& record);
    void RefreshRow(QTreeWidgetItem* row, const std::string& name);
    std::string SelectedFileName() const;
    std::string SelectedFullFileName() const;
    void SortFileList();
    int lvFilesCompare(const QTreeWidgetItem* row1, const QTreeWidgetItem* row2) const;

    // ---- folder scan and watch
    void AddFolderToList(const std::string& folder, bool recursive);
    void LoadFileList();
    void StartWatching();
    void StopWatching();
    bool IsWatching() const { return watchHandle.IsWatching(); }

    // ---- preview
    void ShowPreview();
    void FitPreview();

    // ---- editing workflow
    void SetEditMode(bool editing);
    bool EditMode() const { return editMode; }
    void ShowSelectedItem();
    double GuessDate();
    void SetFileDates(const std::string& dateText, const std::string& path);

    // ---- rename tab
    void RenameFolder(const std::string& folder, bool recursive, bool applyMode, bool foldAccents,
                      bool spacesToUnderscores, int startIndex);
    bool MarkDuplicates();
    void UpdateLivePreview();
    bool IsRenameRowMarked(const QTreeWidgetItem* row) const;  // the duplicate mark MarkDuplicates sets

    // ---- shell integration
    void ReadShellRegistration();

    // ---- default and cancel buttons (Enter and Escape at the window)
    void SetDefaultButton(QAbstractButton* button, bool isDefault);
    bool IsDefaultButton(const QAbstractButton* button) const;

    // ---- controls (named as on the form)
    QGroupBox* GroupBox1 = nullptr;
    QComboBox* cbLastDirs = nullptr;
    QPushButton* btBrowse = nullptr;
    QCheckBox* chkRecursive = nullptr;
    QToolButton* btRefresh = nullptr;
    QTabWidget* tabMain = nullptr;

    QWidget* tabEXIF = nullptr;
    QTreeWidget* lvFiles = nullptr;
    QSplitter* Splitter1 = nullptr;
    QWidget* panImage = nullptr;
    QLabel* imImage = nullptr;
    QCheckBox* chkPreview = nullptr;
    QWidget* panEdit = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txDescription = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* txUserComment = nullptr;
    QWidget* panArtistDate = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txArtist = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txDate = nullptr;
    QPushButton* btChange = nullptr;
    QPushButton* btValidate = nullptr;
    QPushButton* btCancel = nullptr;

    QWidget* tabRename = nullptr;
    QWidget* panRename = nullptr;
    QComboBox* cbFormat = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* lbLivePreview = nullptr;
    QCheckBox* chkRemoveAccent = nullptr;
    QCheckBox* chkRemoveSpace = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* txIndex = nullptr;
    TUpDown* udIndex = nullptr;
    QPushButton* tbPreview = nullptr;
    QPushButton* btApply = nullptr;
    QLabel* lbDoublons = nullptr;
    QTreeWidget* lvRename = nullptr;

    QWidget* tabOptions = nullptr;
    QLabel* Label7 = nullptr;
    QComboBox* cbLanguage = nullptr;
    TRadioGroup* optDefaultDescription = nullptr;
    TRadioGroup* optFocusAction = nullptr;
    QGroupBox* grpOtherOptions = nullptr;
    QCheckBox* chkChangeFileDate = nullptr;
    QCheckBox* chkShellRegister = nullptr;
    QLabel* lbExternalEditor = nullptr;
    QLineEdit* txExternalEditor = nullptr;
    QPushButton* btExternalEditor = nullptr;
    QWidget* panAbout = nullptr;
    QLabel* imIcon = nullptr;
    QLabel* lbApplicationTitle = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* txEmail = nullptr;
    QLabel* lbURL = nullptr;

    QTimer* timerFiles = nullptr;

    // ---- window state
    std::string rootFolder;           // always ends with "/" once set
    lumitag::FolderWatch watchHandle;          // the change notification on rootFolder
    bool firstPaintPending = true;
    int sortColumn = 0;
    QLineEdit* lastEditField = nullptr;
    bool firstDescriptionPending = true;
    bool updatingControls = false;
    bool traceOn = false;
    std::vector<Titem> liveRecords;
    Texif_stl exif;
    TTracer tracerSink;

    // ---- event handlers (public so that tests can drive them like the toolkit does)
    void btBrowseClick();
    void btRefreshClick();
    void cbLastDirsKeyPress();
    void chkRecursiveClick();
    void tabMainChange();
    void timerFilesTimer();
    void FormPaint();
    void FormClose();
    void lvFilesColumnClick(int column);
    void lvFilesSelectItem(QTreeWidgetItem* row, bool selected);
    void lvFilesDblClick();
    void panImageResize();
    void chkPreviewClick();
    void txDescriptionEnter(QLineEdit* field);
    void btChangeClick();
    void btValidateClick();
    void btCancelClick();
    void btPreviewClick(QObject* sender);
    void cbFormatChange();
    bool cbFormatKeyPress(const QString& typed);
    void cbFormatClick();
    void chkRemoveAccentClick();
    void chkRemoveSpaceClick();
    void lvRenameCustomDrawItem(QTreeWidgetItem* row);
    void cbLanguageClick();
    void optDefaultDescriptionClick();
    void chkChangeFileDateClick();
    void GroupBox1DblClick();
    void lbURLClick();
    void btShellRegisterClick();
    void txExternalEditorExit();
    void btExternalEditorClick();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void CreateControls();
    void CreateFolderArea();
    QWidget* CreateExifTab();
    QWidget* CreateRenameTab();
    QWidget* CreateOptionsTab();
    QWidget* CreateAboutPanel();
    void ConnectHandlers();
    void TakeOptions();
    void TakeCommandLine();
    bool ClickDefaultButton();

    QStringList arguments_;
    bool editMode = false;
    std::vector<QAbstractButton*> defaultButtons_;  // in the order Enter looks at them
};
