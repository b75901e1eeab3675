// Construction, layout, options tab, recent lists, status line, trace switch,
// Enter/Escape handling and closing of the main window.
#include "app/Frmmainmodule.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/Kivlocal.h"
#include "app/KivlocalForm.h"
#include "app/LumitagOptions.h"
#include "app/UpDown.h"
#include "app/VclWidgets.h"
#include "util/kivUtil.h"
#include "util/kivUtilGui.h"

namespace {

constexpr const char* kVersion = "1.8.0.0";
constexpr const char* kSupportEmail = "support@lumitag.example.org";
constexpr const char* kWebSite = "https://lumitag.example.org/";
constexpr int kMaxRecent = 10;

QString Q(const std::string& text) { return QString::fromStdString(text); }

std::string Trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The one update rule of both recent lists; true when the list changed.
bool PushRecent(std::vector<std::string>& list, const std::string& text)
{
    const auto found = std::find(list.begin(), list.end(), text);
    if (found == list.begin() && !list.empty())
        return false;
    if (found != list.end()) {
        std::iter_swap(list.begin(), found);
        return true;
    }
    list.insert(list.begin(), text);
    if (list.size() > kMaxRecent)
        list.pop_back();
    return true;
}

QLabel* MakeLabel(const char* key, QWidget* buddy = nullptr)
{
    auto* label = new QLabel(key);
    if (buddy)
        label->setBuddy(buddy);
    return label;
}

}  // namespace

void TfrmMain::TTracer::trace(const std::string& text)
{
    kivUtil::WriteTrace("%s", text.c_str());
}

// Resources of a static library are registered by hand, outside any namespace.
static void InitResources() { Q_INIT_RESOURCE(lumitag); }

TfrmMain::TfrmMain(const QStringList& arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(arguments)
{
    InitResources();
    CreateControls();
    ConnectHandlers();

    kivUtil::TBoolSaver guard(updatingControls);
    updatingControls = true;

    auto& options = LumitagOptions();
    options.Load();
    tabMain->setCurrentWidget(tabEXIF);
    if (!options.default_format.empty()) {
        AddRecentFormat(options.default_format);
        options.default_format.clear();
        options.modified = true;
    }
    FillFormatBox();
    FillFolderBox();
    ShowStatus("");
    ApplyLanguage();
    for (const auto& name : LanguageNames())
        cbLanguage->addItem(Q(name));
    TakeOptions();
    lbApplicationTitle->setText(Q(std::string(kivUtil::ApplicationTitle()) + " version " + kVersion));
    txEmail->setText(kSupportEmail);
    ReadShellRegistration();
    txExternalEditor->setText(Q(options.external_editor));
    TakeCommandLine();
    txIndex->setText("1");
    SetEditMode(false);
}

TfrmMain::~TfrmMain()
{
    StopWatching();
}

// ---------------------------------------------------------------- layout

void TfrmMain::CreateControls()
{
    setWindowIcon(QIcon(":/lumitag/lumitag.svg"));
    resize(864, 579);
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(6, 6, 6, 6);
    CreateFolderArea();
    layout->addWidget(GroupBox1);

    tabMain = new QTabWidget(central);
    tabEXIF = CreateExifTab();
    tabRename = CreateRenameTab();
    tabOptions = CreateOptionsTab();
    tabMain->addTab(tabEXIF, "_edit_exif_data");
    tabMain->addTab(tabRename, "_rename_files");
    tabMain->addTab(tabOptions, "_options");
    layout->addWidget(tabMain, 1);
    setCentralWidget(central);

    timerFiles = new QTimer(this);
    timerFiles->setInterval(500);
    timerFiles->start();

    // Enter looks at the default buttons in this order; the first one that is
    // marked, visible and enabled is clicked.
    defaultButtons_ = {btRefresh, btValidate, btChange, tbPreview};
    SetDefaultButton(tbPreview, true);
}

void TfrmMain::CreateFolderArea()
{
    GroupBox1 = new QGroupBox("_find_jpg_from");
    auto* row = new QHBoxLayout(GroupBox1);
    cbLastDirs = new QComboBox;
    cbLastDirs->setEditable(true);
    cbLastDirs->setInsertPolicy(QComboBox::NoInsert);
    cbLastDirs->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    btBrowse = new QPushButton("_browse");
    chkRecursive = new QCheckBox("_recurse");
    chkRecursive->setToolTip("_recurse_option_hint");
    btRefresh = new QToolButton;
    btRefresh->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
    btRefresh->setToolTip("_refresh_file_list_hint");
    row->addWidget(cbLastDirs, 1);
    row->addWidget(btBrowse);
    row->addWidget(chkRecursive);
    row->addWidget(btRefresh);
    GroupBox1->installEventFilter(this);
    cbLastDirs->lineEdit()->installEventFilter(this);
}

QWidget* TfrmMain::CreateExifTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(4, 4, 4, 4);

    lvFiles = new QTreeWidget;
    lvFiles->setRootIsDecorated(false);
    lvFiles->setUniformRowHeights(true);
    lvFiles->setSelectionMode(QAbstractItemView::SingleSelection);
    lvFiles->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvFiles->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvFiles->setSortingEnabled(false);
    lvFiles->setAllColumnsShowFocus(true);
    lvFiles->setHeaderLabels({"_file_col", "_image_description_col", "_user_comment_col", "_date_time_col",
                              "_artist_col"});
    const int widths[] = {200, 220, 140, 115, 70};
    for (int i = 0; i < 5; ++i)
        lvFiles->setColumnWidth(i, widths[i]);
    lvFiles->header()->setSectionsClickable(true);
    lvFiles->header()->setSortIndicatorShown(false);

    panImage = new QWidget;
    panImage->setMinimumHeight(40);
    imImage = new QLabel(panImage);
    imImage->setScaledContents(true);
    chkPreview = new QCheckBox("_preview", panImage);
    chkPreview->setChecked(true);
    chkPreview->move(8, 8);
    chkPreview->adjustSize();
    panImage->installEventFilter(this);

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setOpaqueResize(true);
    Splitter1->setHandleWidth(5);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(lvFiles);
    Splitter1->addWidget(panImage);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({150, 250});
    layout->addWidget(Splitter1, 1);

    panEdit = new QWidget;
    auto* grid = new QGridLayout(panEdit);
    grid->setContentsMargins(0, 4, 0, 0);
    grid->setVerticalSpacing(3);
    txDescription = new QLineEdit;
    txUserComment = new QLineEdit;
    txArtist = new QLineEdit;
    txDate = new QLineEdit;
    Label1 = MakeLabel("_image_description", txDescription);
    Label4 = MakeLabel("_user_comment", txUserComment);
    Label2 = MakeLabel("_artist", txArtist);
    Label3 = MakeLabel("_date", txDate);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(txDescription, 0, 1);
    grid->addWidget(Label4, 1, 0);
    grid->addWidget(txUserComment, 1, 1);

    panArtistDate = new QWidget;
    panArtistDate->setFixedWidth(172 + 70);
    auto* artistDate = new QGridLayout(panArtistDate);
    artistDate->setContentsMargins(8, 0, 0, 0);
    artistDate->setVerticalSpacing(3);
    artistDate->addWidget(Label2, 0, 0);
    artistDate->addWidget(txArtist, 0, 1);
    artistDate->addWidget(Label3, 1, 0);
    artistDate->addWidget(txDate, 1, 1);
    grid->addWidget(panArtistDate, 0, 2, 2, 1);

    btChange = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogContentsView), "_change");
    btValidate = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), "_validate_and_edit_next");
    btCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "_cancel_esc");
    for (auto* button : {btChange, btValidate, btCancel})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btChange);
    buttons->addWidget(btValidate);
    buttons->addWidget(btCancel);
    grid->addLayout(buttons, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    layout->addWidget(panEdit);

    // Tab order: the three buttons first, then the fields.
    QWidget::setTabOrder(btChange, btValidate);
    QWidget::setTabOrder(btValidate, btCancel);
    for (auto* field : {txDescription, txUserComment, txArtist, txDate})
        field->installEventFilter(this);
    return tab;
}

QWidget* TfrmMain::CreateRenameTab()
{
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->setContentsMargins(4, 4, 4, 4);

    panRename = new QWidget;
    auto* grid = new QGridLayout(panRename);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);

    cbFormat = new QComboBox;
    cbFormat->setEditable(true);
    cbFormat->setInsertPolicy(QComboBox::NoInsert);
    cbFormat->setMinimumWidth(193);
    Label13 = new QLabel("_live_preview_label");
    lbLivePreview = new QLabel;
    QFont bold = lbLivePreview->font();
    bold.setBold(true);
    lbLivePreview->setFont(bold);
    lbLivePreview->setStyleSheet("color: grey");
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(cbFormat, 0);
    formatRow->addSpacing(12);
    formatRow->addWidget(Label13);
    formatRow->addWidget(lbLivePreview, 1);
    grid->addLayout(formatRow, 0, 0, 1, 2);

    Label5 = new QLabel("_format_description_1");
    Label6 = new QLabel("_format_description_2");
    Label9 = new QLabel("_format_description_3");
    Label10 = new QLabel("_format_description_4");
    int row = 1;
    for (auto* help : {Label5, Label6, Label9, Label10}) {
        help->setWordWrap(true);
        QFont small = help->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        help->setFont(small);
        grid->addWidget(help, row++, 0, 1, 2);
    }

    chkRemoveAccent = new QCheckBox("_replace_accentuated_letters");
    chkRemoveSpace = new QCheckBox("_replace_space_with_underscore");
    txIndex = new QLineEdit("1");
    txIndex->setFixedWidth(56);
    udIndex = new TUpDown(txIndex, 0, 32767);
    Label12 = MakeLabel("_index_start_at", txIndex);
    tbPreview = new QPushButton("_preview");
    btApply = new QPushButton("_apply");
    btApply->setEnabled(false);  // until a preview finds no collision
    for (auto* button : {tbPreview, btApply})
        button->setAutoDefault(false);
    auto* controls = new QHBoxLayout;
    controls->addWidget(chkRemoveAccent);
    controls->addWidget(chkRemoveSpace);
    controls->addSpacing(12);
    controls->addWidget(Label12);
    controls->addWidget(txIndex);
    controls->addWidget(udIndex);
    controls->addStretch(1);
    controls->addWidget(tbPreview);
    controls->addWidget(btApply);
    grid->addLayout(controls, row++, 0, 1, 2);

    lbDoublons = new QLabel("_can_not_apply_warn");
    lbDoublons->setStyleSheet("color: red");
    lbDoublons->setVisible(false);
    grid->addWidget(lbDoublons, row++, 0, 1, 2);
    layout->addWidget(panRename);

    lvRename = new QTreeWidget;
    lvRename->setRootIsDecorated(false);
    lvRename->setUniformRowHeights(true);
    lvRename->setSelectionMode(QAbstractItemView::SingleSelection);
    lvRename->setSelectionBehavior(QAbstractItemView::SelectRows);
    lvRename->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvRename->setFocusPolicy(Qt::ClickFocus);
    lvRename->setHeaderLabels({"_file_col", "_if_renamed_col", "_done_col"});
    lvRename->header()->setSectionsClickable(false);
    lvRename->setColumnWidth(0, 380);
    lvRename->setColumnWidth(1, 336);
    lvRename->setColumnWidth(2, 40);
    layout->addWidget(lvRename, 1);

    cbFormat->installEventFilter(this);
    if (cbFormat->lineEdit())
        cbFormat->lineEdit()->installEventFilter(this);
    return tab;
}

QWidget* TfrmMain::CreateOptionsTab()
{
    auto* tab = new QWidget;
    auto* layout = new QGridLayout(tab);

    auto* left = new QVBoxLayout;
    cbLanguage = new QComboBox;
    cbLanguage->setEditable(false);
    Label7 = MakeLabel("_language", cbLanguage);
    auto* languageRow = new QHBoxLayout;
    languageRow->addWidget(Label7);
    languageRow->addWidget(cbLanguage, 1);
    left->addLayout(languageRow);
    optDefaultDescription = new TRadioGroup(
        "_default_value_image_description", {"_nothing", "_file_name", "_last_description", "_first_description"});
    optFocusAction = new TRadioGroup("_focus_action", {"_select_field", "_cursor_at_end", "_crusor_at_begin"});
    left->addWidget(optDefaultDescription);
    left->addWidget(optFocusAction);
    left->addStretch(1);
    layout->addLayout(left, 0, 0);

    grpOtherOptions = new QGroupBox("_other_options");
    auto* other = new QGridLayout(grpOtherOptions);
    chkChangeFileDate = new QCheckBox("_change_file_date");
    chkChangeFileDate->setToolTip("_change_file_date_hint");
    chkShellRegister = new QCheckBox("_add_shell_folder_submenu");
    txExternalEditor = new QLineEdit;
    txExternalEditor->setToolTip("_image_editor_hint");
    lbExternalEditor = MakeLabel("_image_editor", txExternalEditor);
    lbExternalEditor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lbExternalEditor->setWordWrap(true);
    btExternalEditor = new QPushButton("...");
    btExternalEditor->setAutoDefault(false);
    btExternalEditor->setFixedWidth(32);
    other->addWidget(chkChangeFileDate, 0, 0, 1, 3);
    other->addWidget(chkShellRegister, 1, 0, 1, 3);
    other->addWidget(lbExternalEditor, 2, 0);
    other->addWidget(txExternalEditor, 2, 1);
    other->addWidget(btExternalEditor, 2, 2);
    other->setColumnStretch(1, 1);
    other->setRowStretch(3, 1);
    layout->addWidget(grpOtherOptions, 0, 1);

    layout->addWidget(CreateAboutPanel(), 1, 1, Qt::AlignRight | Qt::AlignBottom);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(0, 1);
    return tab;
}

QWidget* TfrmMain::CreateAboutPanel()
{
    auto* panel = new QFrame;
    panel->setFrameShape(QFrame::StyledPanel);
    panAbout = panel;
    auto* grid = new QGridLayout(panel);
    imIcon = new QLabel;
    imIcon->setPixmap(windowIcon().pixmap(48, 48));
    imIcon->installEventFilter(this);
    lbApplicationTitle = new QLabel("lbApplicationTitle");
    QFont bold = lbApplicationTitle->font();
    bold.setBold(true);
    lbApplicationTitle->setFont(bold);
    Label8 = new QLabel("_info_suggestions");
    txEmail = new QLineEdit;
    txEmail->setReadOnly(true);
    txEmail->setFrame(false);
    txEmail->setStyleSheet("background: transparent");
    lbURL = new QLabel(kWebSite);
    lbURL->setStyleSheet("color: blue; text-decoration: underline");
    lbURL->setCursor(Qt::PointingHandCursor);
    lbURL->installEventFilter(this);
    grid->addWidget(imIcon, 0, 0, 4, 1, Qt::AlignTop);
    grid->addWidget(lbApplicationTitle, 0, 1);
    grid->addWidget(Label8, 1, 1);
    grid->addWidget(txEmail, 2, 1);
    grid->addWidget(lbURL, 3, 1);
    return panel;
}

void TfrmMain::ConnectHandlers()
{
    connect(btBrowse, &QPushButton::clicked, this, &TfrmMain::btBrowseClick);
    connect(btRefresh, &QToolButton::clicked, this, &TfrmMain::btRefreshClick);
    connect(cbLastDirs, qOverload<int>(&QComboBox::activated), this, [this](int) { btRefreshClick(); });
    connect(chkRecursive, &QCheckBox::clicked, this, &TfrmMain::chkRecursiveClick);
    connect(tabMain, &QTabWidget::currentChanged, this, [this](int) { tabMainChange(); });
    connect(timerFiles, &QTimer::timeout, this, &TfrmMain::timerFilesTimer);

    connect(lvFiles->header(), &QHeaderView::sectionClicked, this, &TfrmMain::lvFilesColumnClick);
    // Selection changes made by the user and by the program run the same handler.
    connect(lvFiles, &QTreeWidget::itemSelectionChanged, this, [this] {
        const auto selected = lvFiles->selectedItems();
        if (!selected.isEmpty())
            lvFilesSelectItem(selected.front(), true);
    });
    connect(lvFiles, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) { lvFilesDblClick(); });
    connect(lvRename, &QTreeWidget::itemSelectionChanged, this, [this] {
        const auto selected = lvRename->selectedItems();
        if (!selected.isEmpty())
            lvFilesSelectItem(selected.front(), true);
    });
    connect(chkPreview, &QCheckBox::clicked, this, &TfrmMain::chkPreviewClick);

    connect(btChange, &QPushButton::clicked, this, &TfrmMain::btChangeClick);
    connect(btValidate, &QPushButton::clicked, this, &TfrmMain::btValidateClick);
    connect(btCancel, &QPushButton::clicked, this, &TfrmMain::btCancelClick);

    connect(cbFormat, &QComboBox::editTextChanged, this, [this](const QString&) { cbFormatChange(); });
    connect(cbFormat, qOverload<int>(&QComboBox::activated), this, [this](int) { cbFormatClick(); });
    connect(txIndex, &QLineEdit::textChanged, this, [this](const QString&) { cbFormatChange(); });
    connect(chkRemoveAccent, &QCheckBox::clicked, this, &TfrmMain::chkRemoveAccentClick);
    connect(chkRemoveSpace, &QCheckBox::clicked, this, &TfrmMain::chkRemoveSpaceClick);
    connect(tbPreview, &QPushButton::clicked, this, [this] { btPreviewClick(tbPreview); });
    connect(btApply, &QPushButton::clicked, this, [this] { btPreviewClick(btApply); });

    connect(cbLanguage, qOverload<int>(&QComboBox::activated), this, [this](int) { cbLanguageClick(); });
    connect(optDefaultDescription, &TRadioGroup::itemPicked, this, [this](int) { optDefaultDescriptionClick(); });
    connect(optFocusAction, &TRadioGroup::itemPicked, this, [this](int) { optDefaultDescriptionClick(); });
    connect(chkChangeFileDate, &QCheckBox::clicked, this, &TfrmMain::chkChangeFileDateClick);
    connect(chkShellRegister, &QCheckBox::toggled, this, [this](bool) { btShellRegisterClick(); });
    connect(txExternalEditor, &QLineEdit::editingFinished, this, &TfrmMain::txExternalEditorExit);
    connect(btExternalEditor, &QPushButton::clicked, this, &TfrmMain::btExternalEditorClick);
}

// ---------------------------------------------------------------- start-up

void TfrmMain::TakeOptions()
{
    const auto& options = LumitagOptions();
    cbLanguage->setCurrentIndex(options.language);
    optDefaultDescription->setItemIndex(options.default_description_option);
    optFocusAction->setItemIndex(options.focus_action_option);
    chkRemoveAccent->setChecked(options.remove_accentuated_letters);
    chkRemoveSpace->setChecked(options.remove_spaces);
    chkChangeFileDate->setChecked(options.change_file_date);
}

void TfrmMain::TakeCommandLine()
{
    if (arguments_.isEmpty())
        return;
    QString argument = arguments_.front();
    if (argument.isEmpty())
        return;
    // A relative argument is resolved once, against the current folder.
    argument = QFileInfo(argument).absoluteFilePath();
    const QFileInfo info(argument);
    if (info.isFile())
        argument = info.absolutePath();
    if (!QFileInfo(argument).isDir())
        return;
    std::string folder = argument.toStdString();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    folder = kivUtil::TrueCasePath(folder);
    cbLastDirs->setEditText(Q(folder));
    AddRecentFolder(folder);
}

// ---------------------------------------------------------------- status, language, recent lists

void TfrmMain::ShowStatus(const std::string& text)
{
    const bool blank = std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) <= 32;
    });
    setWindowTitle(blank ? Q(kivUtil::ApplicationTitle()) : Q(text));
}

void TfrmMain::ApplyLanguage()
{
    TranslateForm(this, LumitagOptions().language);
}

void TfrmMain::AddRecentFolder(const std::string& text)
{
    std::string folder = Trimmed(text);
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    auto& options = LumitagOptions();
    if (PushRecent(options.last_dirs, folder))
        options.modified = true;
    FillFolderBox();
}

void TfrmMain::AddRecentFormat(const std::string& text)
{
    auto& options = LumitagOptions();
    if (PushRecent(options.last_formats, Trimmed(text)))
        options.modified = true;
    FillFormatBox();
}

void TfrmMain::FillFolderBox()
{
    const QSignalBlocker block(cbLastDirs);
    cbLastDirs->clear();
    for (const auto& folder : LumitagOptions().last_dirs)
        cbLastDirs->addItem(Q(folder));
    cbLastDirs->setCurrentIndex(cbLastDirs->count() > 0 ? 0 : -1);
}

void TfrmMain::FillFormatBox()
{
    const QSignalBlocker block(cbFormat);
    cbFormat->clear();
    for (const auto& format : LumitagOptions().last_formats)
        cbFormat->addItem(Q(format));
    cbFormat->setCurrentIndex(cbFormat->count() > 0 ? 0 : -1);
}

// ---------------------------------------------------------------- options tab

void TfrmMain::cbLanguageClick()
{
    auto& options = LumitagOptions();
    const int index = cbLanguage->currentIndex();
    if (index < 0 || index == options.language)
        return;
    options.language = index;
    options.modified = true;
    ApplyLanguage();
    ReadShellRegistration();
}

void TfrmMain::optDefaultDescriptionClick()
{
    auto& options = LumitagOptions();
    auto take = [&options](const TRadioGroup* group, int& option) {
        const int index = group->itemIndex();
        if (index >= 0 && index != option) {
            option = index;
            options.modified = true;
        }
    };
    take(optDefaultDescription, options.default_description_option);
    take(optFocusAction, options.focus_action_option);
}

void TfrmMain::chkChangeFileDateClick()
{
    auto& options = LumitagOptions();
    options.change_file_date = chkChangeFileDate->isChecked();
    options.modified = true;
}

void TfrmMain::GroupBox1DblClick()
{
    traceOn = !traceOn;
    if (traceOn) {
        exif.tracer = &tracerSink;
        ShowStatus("Trace On");
    } else {
        exif.tracer = nullptr;
        ShowStatus("Trace Off");
    }
}

void TfrmMain::lbURLClick()
{
    std::string address = lbURL->text().toStdString();
    if (address.empty() || address.back() != '/')
        address += '/';
    kivUtil::OpenWithShell(address + "index.html");
}

// ---------------------------------------------------------------- default and cancel buttons

void TfrmMain::SetDefaultButton(QAbstractButton* button, bool isDefault)
{
    if (button)
        button->setProperty("lumitagDefault", isDefault);
}

bool TfrmMain::IsDefaultButton(const QAbstractButton* button) const
{
    return button && button->property("lumitagDefault").toBool();
}

bool TfrmMain::ClickDefaultButton()
{
    for (auto* button : defaultButtons_) {
        if (IsDefaultButton(button) && button->isVisible() && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return false;
}

void TfrmMain::keyPressEvent(QKeyEvent* e)
{
    const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
        if (ClickDefaultButton())
            return;
    } else if (plain && e->key() == Qt::Key_Escape) {
        if (btCancel->isEnabled() && btCancel->isVisible()) {
            btCancel->click();
            return;
        }
    }
    QMainWindow::keyPressEvent(e);
}

// ---------------------------------------------------------------- events

bool TfrmMain::eventFilter(QObject* watched, QEvent* e)
{
    switch (e->type()) {
    case QEvent::MouseButtonDblClick:
        if (watched == GroupBox1 || watched == imIcon) {
            GroupBox1DblClick();
            return true;
        }
        break;
    case QEvent::MouseButtonRelease:
        if (watched == lbURL) {
            lbURLClick();
            return true;
        }
        break;
    case QEvent::Resize:
        if (watched == panImage)
            panImageResize();
        break;
    case QEvent::FocusIn:
        if (auto* field = qobject_cast<QLineEdit*>(watched);
            field && (field == txDescription || field == txUserComment || field == txArtist || field == txDate))
            txDescriptionEnter(field);
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(e);
        if (watched == cbLastDirs->lineEdit())
            cbLastDirsKeyPress();
        if (watched == cbFormat || (cbFormat->lineEdit() && watched == cbFormat->lineEdit())) {
            if (cbFormatKeyPress(key->text()))
                return true;
        }
        break;
    }
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

bool TfrmMain::event(QEvent* e)
{
    if (e->type() == QEvent::Paint && firstPaintPending)
        QMetaObject::invokeMethod(this, &TfrmMain::FormPaint, Qt::QueuedConnection);
    return QMainWindow::event(e);
}

void TfrmMain::closeEvent(QCloseEvent* e)
{
    FormClose();
    e->accept();
}

void TfrmMain::FormClose()
{
    auto& options = LumitagOptions();
    if (options.modified)
        options.Save();
    StopWatching();
}
