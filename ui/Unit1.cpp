#include "ui/Unit1.h"

#include "filelist/drop_names.h"
#include "filelist/filedrag.h"
#include "filelist/folder_listing.h"
#include "filelist/list_file.h"
#include "search/failure.h"
#include "search/output_file.h"
#include "search/run_flags.h"
#include "search/search_run.h"
#include "settings/ini_file.h"
#include "settings/options.h"
#include "settings/paths.h"
#include "ui/About.h"
#include "ui/app_title.h"
#include "ui/dialogs.h"
#include "ui/output_list.h"
#include "ui/page_control.h"
#include "ui/status_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <new>
#include <system_error>

namespace quillo {
namespace {

constexpr int FrameMs = 16;          // display rate
constexpr qint64 MaxRowFlushMs = 1000;
constexpr int LayoutCostFactor = 30; // list layouts take at most ~1/30 of the time

constexpr std::string_view StartPanelTexts[4] = {
    "Lines Searched: None",
    "Lines Found: None",
    "File Position: N/A",
    "Words Found: None",
};

QString FromBytes(std::string_view bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text)
{
    return text.toLocal8Bit().toStdString();
}

std::string FileNameBytes(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback, const QStyle* style)
{
    return QIcon::fromTheme(QLatin1String(name), style->standardIcon(fallback));
}

// The window's own icon: a magnifying glass over a page of lines.
QIcon WindowIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(3, 2, 20, 26);
    p.setPen(QPen(QColor(120, 120, 160), 1.5));
    for (int y = 7; y <= 23; y += 4)
        p.drawLine(6, y, 20, y);
    p.setPen(QPen(QColor(30, 60, 150), 3));
    p.setBrush(QColor(200, 220, 255, 160));
    p.drawEllipse(QPointF(19, 17), 7, 7);
    p.drawLine(QPointF(24, 22), QPointF(30, 29));
    return QIcon(pixmap);
}

} // namespace

const QList<FileFilter>& TForm1::OpenFilters()
{
    static const QList<FileFilter> filters = {
        {"All Files", "*.*"},           {"Text Files", "*.txt"},        {"Log Files", "*.log"},
        {"Register Files", "*.reg"},    {"Descritpoin Files", "*.diz"}, {"Information Files", "*.nfo"},
    };
    return filters;
}

const QList<FileFilter>& TForm1::SaveFilters()
{
    static const QList<FileFilter> filters = {
        {"Text Files", "*.txt"},
        {"Log Files", "*.log"},
        {"Information Files", "*.nfo"},
        {"All Files", "*.*"},
    };
    return filters;
}

TForm1::TForm1(Dialogs& dialogs, std::uint64_t outputCapacity, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), store_(outputCapacity)
{
    InstallAccessibleInterfaces();
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(WindowIcon());

    // The layout was drawn for a font whose "Search string 1:" is 74 pixels
    // wide and whose lines are 13 pixels high; a larger font widens it.
    const QFontMetrics fm(font());
    sx_ = std::max(1.0, fm.horizontalAdvance(QStringLiteral("Search string 1:")) / 74.0);
    sy_ = std::max(1.0, fm.height() / 13.0);

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    setCentralWidget(central);

    BuildToolBar();
    column->addWidget(Panel2);

    GroupBox1 = new QGroupBox(central);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(GroupBox1);
    groupLayout->setContentsMargins(4, 4, 4, 4);
    PageControl1 = new PageControl(GroupBox1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->SetTabWidth(static_cast<int>(std::lround(130 * sx_)));
    groupLayout->addWidget(PageControl1);
    column->addWidget(GroupBox1, 1);

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    BuildMainPage(TabSheet1);
    PageControl1->AddPage(TabSheet1, QStringLiteral("Main"));

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    BuildFileListPage(TabSheet2);
    PageControl1->AddPage(TabSheet2, QStringLiteral("File List"));

    OutputList = new QWidget;
    OutputList->setObjectName(QStringLiteral("OutputList"));
    auto* outputLayout = new QVBoxLayout(OutputList);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    SearchList = new OutputListView(OutputList);
    SearchList->setObjectName(QStringLiteral("SearchList"));
    SearchList->setAccessibleName(QStringLiteral("Output List"));
    model_ = new OutputListModel(store_, this);
    model_->setObjectName(QStringLiteral("SearchListModel"));
    model_->SetRowHeight(SearchList->fontMetrics().height() + 2);
    SearchList->setModel(model_);
    outputLayout->addWidget(SearchList);
    PageControl1->AddPage(OutputList, QStringLiteral("Output List"));
    PageControl1->SetCurrentPage(TabSheet1);

    BuildStatusBar();
    BuildMenu();

    // Files dropped anywhere on the window go to the drop target, which sits
    // in front of the window's own event handling. Qt hands a drag to the
    // innermost widget under the pointer that accepts drops, so the controls
    // that take text drops by themselves (the edit fields) must not.
    for (QWidget* child : findChildren<QWidget*>())
        child->setAcceptDrops(false);
    FileDrag1 = new TFileDrag(this);
    FileDrag1->setObjectName(QStringLiteral("FileDrag1"));
    FileDrag1->OnDrop = [this](TFileDrag*) { Invoke(&TForm1::FileDrag1Drop); };
    fileListFile_ = ReplaceExtension(FileNameBytes(QCoreApplication::applicationFilePath()), ".lst");

    resize(static_cast<int>(std::lround(501 * sx_)), static_cast<int>(std::lround(373 * sy_)));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()).topLeft());

    FString1->setFocus();
    clock_.start();
    qApp->installEventFilter(this);
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    if (busy_)
        QGuiApplication::restoreOverrideCursor();
    if (Form1 == this)
        Form1 = nullptr;
}

QRect TForm1::Scaled(int left, int top, int width, int height) const
{
    const auto x = [this](int v) { return static_cast<int>(std::lround(v * sx_)); };
    const auto y = [this](int v) { return static_cast<int>(std::lround(v * sy_)); };
    return QRect(x(left), y(top), x(width), y(height));
}

void TForm1::Connect(QAbstractButton* button, void (TForm1::*handler)())
{
    connect(button, &QAbstractButton::clicked, this, [this, handler] { Invoke(handler); });
}

void TForm1::Connect(QAction* item, QMenu* menu, void (TForm1::*handler)())
{
    connect(item, &QAction::triggered, this, [this, item, menu, handler] {
        if (item->isEnabled() && menu->isEnabled())
            Invoke(handler);
    });
}

void TForm1::BuildToolBar()
{
    Panel2 = new QFrame;
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setLineWidth(2);
    Panel2->setBackgroundRole(QPalette::Button);
    Panel2->setAutoFillBackground(true);
    Panel2->setFixedHeight(Scaled(0, 0, 0, 45).height());

    struct Tool {
        QToolButton*& button;
        const char* name;
        const char* caption;
        int left;
        const char* tooltip;
        const char* icon;
        QStyle::StandardPixmap fallback;
        void (TForm1::*handler)();
    };
    const Tool tools[] = {
        {CmdOpen, "CmdOpen", "&Open", 2, "Open File", "document-open", QStyle::SP_DialogOpenButton,
         &TForm1::CmdOpenClick},
        {CmdSave, "CmdSave", "Sa&ve", 46, "Save output list", "document-save", QStyle::SP_DialogSaveButton,
         &TForm1::CmdSaveClick},
        {CmdClear, "CmdClear", "C&lear", 90, "Clear results", "edit-clear", QStyle::SP_DialogResetButton,
         &TForm1::CmdClearClick},
        {CmdSearch, "CmdSearch", "&Search", 134, nullptr, "edit-find", QStyle::SP_FileDialogContentsView,
         &TForm1::CmdSearchClick},
        {CmdCancel, "CmdCancel", "&Cancel", 178, nullptr, "process-stop", QStyle::SP_BrowserStop,
         &TForm1::CmdCancelClick},
        {CmdAbout, "CmdAbout", "&About", 221, "About Quillo", "help-about", QStyle::SP_MessageBoxInformation,
         &TForm1::CmdAboutClick},
    };
    const QRect box = Scaled(0, 2, 40, 40);
    const int iconSide = std::clamp(box.height() - fontMetrics().height() - 9, 12, 32);
    for (const Tool& tool : tools) {
        auto* button = new QToolButton(Panel2);
        tool.button = button;
        button->setObjectName(QLatin1String(tool.name));
        button->setText(QLatin1String(tool.caption));
        button->setIcon(ThemeIcon(tool.icon, tool.fallback, style()));
        button->setIconSize(QSize(iconSide, iconSide));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(QRect(Scaled(tool.left, 2, 0, 0).topLeft(), box.size()));
        if (tool.tooltip)
            button->setToolTip(QLatin1String(tool.tooltip));
        Connect(button, tool.handler);
    }
    CmdSave->setEnabled(false);
    CmdSearch->setEnabled(false);
    CmdCancel->setEnabled(false);
}

void TForm1::BuildMainPage(QWidget* page)
{
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    MainPage = new QWidget(page);
    MainPage->setObjectName(QStringLiteral("MainPage"));
    pageLayout->addWidget(MainPage);
    auto* panelLayout = new QVBoxLayout(MainPage);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    GroupBox2 = new QGroupBox(MainPage);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    panelLayout->addWidget(GroupBox2);

    const auto place = [this](QWidget* w, const char* name, QRect at) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(at);
    };
    Label1 = new QLabel(QStringLiteral("Search string 1:"), GroupBox2);
    place(Label1, "Label1", Scaled(16, 14, 74, 13));
    Label1->resize(std::max(Label1->width(), Label1->sizeHint().width()), Label1->height());
    FString1 = new QLineEdit(GroupBox2);
    place(FString1, "FString1", Scaled(16, 30, 193, 21));
    FString1->setAccessibleName(Label1->text());
    Label1->setBuddy(FString1);

    FOperator = new QComboBox(GroupBox2);
    place(FOperator, "FOperator", Scaled(214, 30, 54, 21));
    FOperator->addItems({"And", "Or", "Xor", "& Not"});
    FOperator->setMaxVisibleItems(4);
    FOperator->setCurrentIndex(-1); // chosen at start-up
    FOperator->setAccessibleName(QStringLiteral("Operator"));
    FOperator->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    Label2 = new QLabel(QStringLiteral("Search string 2:"), GroupBox2);
    place(Label2, "Label2", Scaled(272, 14, 74, 13));
    Label2->resize(std::max(Label2->width(), Label2->sizeHint().width()), Label2->height());
    FString2 = new QLineEdit(GroupBox2);
    place(FString2, "FString2", Scaled(272, 30, 193, 21));
    FString2->setAccessibleName(Label2->text());
    Label2->setBuddy(FString2);

    struct Option {
        QCheckBox*& box;
        const char* name;
        const char* caption;
        int left, top, width, height;
        bool checked;
    };
    const Option options[] = {
        {OptionLineCount, "OptionLineCount", "Line Counting", 16, 65, 89, 17, false},
        {OptionWordCount, "OptionWordCount", "Word Counting", 16, 90, 96, 17, false},
        {OptionProgress, "OptionProgress", "Progress Indication", 16, 115, 116, 17, true},
        {OptionNumbering, "OptionNumbering", "Line Numbering", 16, 140, 97, 17, false},
        {OptionLoadList, "OptionLoadList", "Load file list on startup", 16, 165, 153, 17, false},
        {OptionClearAll, "OptionClearAll", "Clear Everything on \"Clear\"", 16, 190, 153, 17, false},
        {OptionCase, "OptionCase", "Case Sensitive Searching", 272, 65, 143, 16, false},
        {OptionReverse, "OptionReverse", "Reverse Logic", 272, 90, 97, 17, false},
        {OptionSave, "OptionSave", "Prompt for save after search", 272, 115, 157, 17, false},
        {OptionUnixFile, "OptionUnixFile", "Unix Text File Format", 272, 140, 129, 13, false},
        {OptionOneInstance, "OptionOneInstance", "One occurance only", 272, 165, 121, 17, false},
    };
    QWidget* previous = FString2;
    QWidget::setTabOrder(FString1, FOperator);
    QWidget::setTabOrder(FOperator, FString2);
    for (const Option& o : options) {
        auto* box = new QCheckBox(QLatin1String(o.caption), GroupBox2);
        o.box = box;
        QRect at = Scaled(o.left, o.top, o.width, o.height);
        // The check mark and caption must fit whatever the font measures.
        at.setWidth(std::max(at.width(), box->sizeHint().width()));
        at.setHeight(std::max(at.height(), box->sizeHint().height()));
        place(box, o.name, at);
        box->setChecked(o.checked);
        QWidget::setTabOrder(previous, box);
        previous = box;
    }

    connect(FString1, &QLineEdit::textChanged, this, [this] { Invoke(&TForm1::FString1Change); });
    connect(FString2, &QLineEdit::textChanged, this, [this] { Invoke(&TForm1::FString2Change); });
    connect(OptionOneInstance, &QCheckBox::toggled, this, [this] { Invoke(&TForm1::OptionOneInstanceClick); });
}

void TForm1::BuildFileListPage(QWidget* page)
{
    FileList = new QListWidget(page);
    FileList->setObjectName(QStringLiteral("FileList"));
    FileList->setAccessibleName(QStringLiteral("File List"));
    FileList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileList->setUniformItemSizes(true);

    struct Button {
        QPushButton*& button;
        const char* name;
        const char* caption;
        int top;
        const char* icon;
        QStyle::StandardPixmap fallback;
        void (TForm1::*handler)();
    };
    const Button buttons[] = {
        {cmdFLClear, "cmdFLClear", "Clear", 24, "edit-clear", QStyle::SP_DialogResetButton, &TForm1::cmdFLClearClick},
        {cmdFLDelete, "cmdFLDelete", "Delete", 48, "edit-delete", QStyle::SP_TrashIcon, &TForm1::cmdFLDeleteClick},
        {cmdFLSave, "cmdFLSave", "Save", 120, "document-save", QStyle::SP_DialogSaveButton, &TForm1::cmdFLSaveClick},
        {cmdFLLoad, "cmdFLLoad", "Load", 144, "document-open", QStyle::SP_DialogOpenButton, &TForm1::cmdFLLoadClick},
    };
    QWidget* previous = FileList;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(ThemeIcon(b.icon, b.fallback, style()), QLatin1String(b.caption), page);
        b.button = button;
        button->setObjectName(QLatin1String(b.name));
        button->setGeometry(Scaled(400, b.top, 75, 25));
        QWidget::setTabOrder(previous, button);
        previous = button;
        Connect(button, b.handler);
    }
    // The list keeps the page's height as the window is resized.
    page->installEventFilter(this);
}

void TForm1::BuildStatusBar()
{
    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(Scaled(0, 0, 0, 21).height());
    setStatusBar(StatusBar);
    const int widths[3] = {125, 115, 125};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new StatusPanel(StatusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panels_[static_cast<std::size_t>(i)] = panel;
        panel->SetText(StartPanelTexts[i]);
        if (i < 3) {
            panel->setFixedWidth(Scaled(0, 0, widths[i], 0).width());
            StatusBar->addWidget(panel, 0);
        } else {
            StatusBar->addWidget(panel, 1);
        }
    }
}

void TForm1::BuildMenu()
{
    MainMenu1 = menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    // The window routes the shortcut keys itself (see RouteKey); Qt is told
    // about them only so that menus show them and a key pressed while the menu
    // is open acts on its item.
    const auto item = [](QMenu* menu, QAction*& action, const char* name, const char* text, QKeySequence key) {
        action = menu->addAction(QLatin1String(text));
        action->setObjectName(QLatin1String(name));
        if (!key.isEmpty()) {
            action->setShortcut(key);
            action->setShortcutContext(Qt::WidgetShortcut);
        }
    };
    File1 = MainMenu1->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    item(File1, Open1, "Open1", "Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    item(File1, mSave, "mSave", "Save", QKeySequence(Qt::CTRL | Qt::Key_S));
    N1 = File1->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    item(File1, Exit1, "Exit1", "E&xit", {});

    mSearch = MainMenu1->addMenu(QStringLiteral("Search"));
    mSearch->setObjectName(QStringLiteral("mSearch"));
    item(mSearch, mStart, "mStart", "Start", QKeySequence(Qt::Key_F9));
    item(mSearch, mCancel, "mCancel", "Cancel", QKeySequence(Qt::CTRL | Qt::Key_C));
    item(mSearch, mClear, "mClear", "Clear", QKeySequence(Qt::CTRL | Qt::Key_Delete));

    About1 = MainMenu1->addMenu(QStringLiteral("&Help"));
    About1->setObjectName(QStringLiteral("About1"));
    item(About1, About2, "About2", "About", {});

    mSave->setEnabled(false);
    mStart->setEnabled(false);
    mCancel->setEnabled(false);

    Connect(Open1, File1, &TForm1::CmdOpenClick);
    Connect(mSave, File1, &TForm1::CmdSaveClick);
    Connect(Exit1, File1, &TForm1::Exit1Click);
    Connect(mStart, mSearch, &TForm1::CmdSearchClick);
    Connect(mCancel, mSearch, &TForm1::CmdCancelClick);
    Connect(mClear, mSearch, &TForm1::CmdClearClick);
    Connect(About2, About1, &TForm1::CmdAboutClick);
}

// ---- failures ---------------------------------------------------------------

bool TForm1::Invoke(void (TForm1::*handler)())
{
    return Invoke([this, handler] { (this->*handler)(); });
}

bool TForm1::Invoke(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (const std::bad_alloc&) {
        ShowFailure("Out of memory");
    } catch (const std::exception& failure) {
        ShowFailure(failure.what());
    } catch (...) {
        ShowFailure("Unknown failure");
    }
    return false;
}

void TForm1::ShowFailure(const char* message) noexcept
{
    try {
        FlushDisplay();
        dialogs_.ShowFailure(this, ApplicationTitleText(), QString::fromLocal8Bit(message) + QLatin1Char('.'));
    } catch (...) {
        // Nothing is left to report it with.
    }
}

// ---- start and close ----------------------------------------------------------

QCheckBox* TForm1::OptionBox(std::string_view name) const
{
    return findChild<QCheckBox*>(QLatin1String(name.data(), static_cast<qsizetype>(name.size())));
}

void TForm1::FormCreate()
{
    starting_ = true;
    struct StartEnd {
        bool& starting;
        ~StartEnd() { starting = false; }
    } startEnd{starting_};

    SetDropEnabled(true);
    setWindowTitle(QStringLiteral("Quillo"));
    quillo::SetApplicationTitle(IdleTitle);
    FOperator->setCurrentIndex(0);

    SettingsStore = std::make_unique<TIniFile>(settingsFile_.empty() ? SettingsFile() : settingsFile_);
    // A box whose tick changes here reacts as to a click (OptionOneInstance).
    const StoredOptions stored = ReadOptions(*SettingsStore);
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i)
        OptionBox(OptionFlagKeys[i].control)->setChecked(stored.flags[i]);
    FOperator->setCurrentIndex(OperatorSelection(stored.defaultOperator, FOperator->currentIndex()));

    OptionWordCount->setEnabled(!OptionOneInstance->isChecked() && FString2->text().isEmpty());

    if (OptionLoadList->isChecked())
        LoadFileList(fileListFile_);

    ApplyCommandLine(commandLine_, *this);
}

void TForm1::FormClose()
{
    CancelRequested = true;
    if (!SettingsStore)
        return; // released by an earlier close: nothing is written through it
    StoredOptions options;
    for (std::size_t i = 0; i < OptionFlagKeys.size(); ++i)
        options.flags[i] = OptionBox(OptionFlagKeys[i].control)->isChecked();
    options.defaultOperator = FOperator->currentIndex();
    WriteOptions(*SettingsStore, options);
    SettingsStore.reset();
}

// Every close of the window comes here: the close box, the window manager
// and File > Exit. A close that FormClose could not complete (the settings
// file cannot be written) is refused, and the next one runs FormClose again.
// During start-up ("/GO" runs inside FormCreate) a close is carried out once:
// the options are written then, the remaining runs still take place, and the
// program ends when start-up has finished.
void TForm1::closeEvent(QCloseEvent* event)
{
    if (closedWhileStarting_) {
        CancelRequested = true;
        event->accept();
        return;
    }
    if (!Invoke(&TForm1::FormClose)) {
        event->ignore();
        return;
    }
    if (starting_)
        closedWhileStarting_ = true;
    event->accept();
}

void TForm1::Exit1Click()
{
    close();
}

// ---- enabling rules -------------------------------------------------------------

void TForm1::FString1Change()
{
    CmdSearch->setEnabled(!FString1->text().isEmpty() && FileList->count() > 0);
    mSearch->setEnabled(CmdSearch->isEnabled());
}

void TForm1::FString2Change()
{
    OptionWordCount->setEnabled(FString2->text().isEmpty());
}

void TForm1::OptionOneInstanceClick()
{
    OptionWordCount->setEnabled(!OptionOneInstance->isChecked() && FString2->text().isEmpty());
}

// ---- tool bar and menu commands -------------------------------------------------

OpenFilesRequest TForm1::OpenRequest() const
{
    return OpenFilesRequest{QString(), OpenFilters(), openName_};
}

SaveFileRequest TForm1::SaveRequest() const
{
    return SaveFileRequest{QStringLiteral("Select or type an output file."), SaveFilters(), saveName_,
                           QStringLiteral("txt")};
}

void TForm1::CmdOpenClick()
{
    const std::optional<QStringList> chosen = dialogs_.OpenFiles(this, OpenRequest());
    if (!chosen)
        return;
    PageControl1->SetCurrentPage(TabSheet2);
    for (const QString& name : *chosen)
        AppendFileEntry(FileNameBytes(name));
    if (!chosen->isEmpty())
        openName_ = chosen->front();
    const bool search = !FString1->text().isEmpty();
    // During a run the Search button stays locked until the run ends, or a
    // second run could start inside the first; "Start" (whose menu is locked
    // too) takes the state the button will have.
    if (!SearchRunning)
        CmdSearch->setEnabled(search);
    mStart->setEnabled(SearchRunning ? search : CmdSearch->isEnabled());
}

void TForm1::CmdSaveClick()
{
    const std::optional<QString> chosen = dialogs_.SaveFileName(this, SaveRequest());
    if (!chosen || chosen->isEmpty())
        return;
    saveName_ = *chosen;
    SaveOutputList(FileNameBytes(*chosen));
}

void TForm1::CmdClearClick()
{
    if (SearchRunning) {
        model_->Clear();
        return;
    }
    if (OptionClearAll->isChecked()) {
        if (!FString1->text().isEmpty())
            FString1->setText(QString());
        if (!FString2->text().isEmpty())
            FString2->setText(QString());
        FOperator->setCurrentIndex(1);
        openName_.clear();
        SetSaveEnabled(false);
    }
    model_->Clear();
    for (int i = 0; i < 4; ++i)
        SetPanelText(i, StartPanelTexts[i]);
    FlushDisplay();
}

void TForm1::CmdSearchClick()
{
    struct Present {
        TForm1& form;
        ~Present() { form.FlushDisplay(); }
    } present{*this};
    SearchRun(*this);
}

void TForm1::CmdCancelClick()
{
    CancelRequested = true;
}

void TForm1::CmdAboutClick()
{
    const ReactivateOnClose reactivate;
    auto* about = new TAbout(dialogs_);
    About = about;
    about->exec(); // a closed About window deletes itself
}

// ---- the file list ---------------------------------------------------------------

std::size_t TForm1::FileCount()
{
    return static_cast<std::size_t>(FileList->count());
}

std::string TForm1::FileEntry(std::size_t i)
{
    const QListWidgetItem* item = FileList->item(static_cast<int>(i));
    return item ? item->data(Qt::UserRole).toByteArray().toStdString() : std::string();
}

std::vector<std::string> TForm1::FileEntries() const
{
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(FileList->count()));
    for (int i = 0; i < FileList->count(); ++i)
        entries.push_back(FileList->item(i)->data(Qt::UserRole).toByteArray().toStdString());
    return entries;
}

void TForm1::AppendFileEntry(const std::string& entry)
{
    if (FileList->count() >= fileListLimit_)
        throw Failure(std::string(MsgUnableToInsertLine));
    auto* item = new QListWidgetItem(FromBytes(entry));
    item->setData(Qt::UserRole, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
    FileList->addItem(item);
}

void TForm1::LoadFileList(const std::string& listFile)
{
    const std::vector<std::string> entries = ReadListFile(listFile);
    FileList->clear();
    for (const std::string& entry : entries)
        AppendFileEntry(entry);
}

void TForm1::cmdFLClearClick()
{
    FileList->clear();
    CmdSearch->setEnabled(false);
    mSearch->setEnabled(false);
}

void TForm1::cmdFLDeleteClick()
{
    for (int i = 0; i < FileList->count();) {
        if (FileList->item(i)->isSelected())
            delete FileList->takeItem(i);
        else
            ++i;
    }
}

void TForm1::cmdFLSaveClick()
{
    WriteListFile(fileListFile_, FileEntries());
}

void TForm1::cmdFLLoadClick()
{
    std::error_code error;
    if (!std::filesystem::exists(fileListFile_, error)) {
        dialogs_.MessageDialog(this, MsgKind::Error, QStringLiteral("You have not saved a file list yet."), MsgOk);
        return;
    }
    LoadFileList(fileListFile_);
}

void TForm1::FileDrag1Drop()
{
    // A copy: the folder question runs a modal loop, and nothing may change
    // the names under our feet meanwhile.
    const std::vector<std::string> dropped = FileDrag1->NameWithPath();
    for (const std::string& path : dropped) {
        if (IsFolder(path)) {
            const MsgButton answer = dialogs_.MessageBox(this, FromBytes(FolderQuestionCaption),
                                                         FromBytes(FolderQuestion(path)), MsgIcon::Warning,
                                                         MsgYes | MsgNo, MsgYes);
            if (answer != MsgYes)
                continue;
            for (const std::string& name : ListFolderFiles(path))
                AppendFileEntry(path + "/" + name);
        } else if (IsExistingFile(path)) {
            AppendFileEntry(path);
        }
    }
    CmdSearch->setEnabled(FileList->count() > 0 && !FString1->text().isEmpty());
    mSearch->setEnabled(CmdSearch->isEnabled());
}

bool TForm1::DropEnabled() const noexcept
{
    return FileDrag1->EnableDrop();
}

// ---- the command line --------------------------------------------------------------

void TForm1::ShowWrongFilename()
{
    dialogs_.MessageBox(this, QStringLiteral("Error:"), QStringLiteral("Wrong filename!"), MsgIcon::Error, MsgOk,
                        MsgOk);
}

void TForm1::SetString1(const std::string& text)
{
    FString1->setText(FromBytes(text));
}

void TForm1::SetString2(const std::string& text)
{
    FString2->setText(FromBytes(text));
}

void TForm1::SelectOperator(int index)
{
    FOperator->setCurrentIndex(index);
}

bool TForm1::SearchEnabled()
{
    return CmdSearch->isEnabled();
}

void TForm1::SetSearchEnabled(bool on)
{
    CmdSearch->setEnabled(on);
    mSearch->setEnabled(CmdSearch->isEnabled());
}

void TForm1::RunSearchFromCommandLine()
{
    show();
    raise();
    activateWindow();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    CmdSearchClick();
}

// ---- the run's host ----------------------------------------------------------------

void TForm1::AppendLine(std::string_view line)
{
    store_.Append(line);
    ScheduleFrame();
}

void TForm1::SetPanelText(int panel, std::string_view text)
{
    if (panel < 0 || panel >= static_cast<int>(panels_.size()))
        return;
    if (panels_[static_cast<std::size_t>(panel)]->SetText(text))
        ScheduleFrame();
}

QString TForm1::PanelText(int panel) const
{
    if (panel < 0 || panel >= static_cast<int>(panels_.size()))
        return {};
    return panels_[static_cast<std::size_t>(panel)]->Text();
}

void TForm1::SetApplicationTitle(std::string_view title)
{
    quillo::SetApplicationTitle(title);
}

void TForm1::ProcessEvents()
{
    QCoreApplication::processEvents();
}

SearchSettings TForm1::ReadSearchSettings()
{
    SearchSettings settings;
    settings.String1 = ToBytes(FString1->text());
    settings.String2 = ToBytes(FString2->text());
    settings.Operator = FOperator->currentIndex();
    SearchOptions& o = settings.Options;
    o.CaseSensitive = OptionCase->isChecked();
    o.LineCount = OptionLineCount->isChecked();
    o.Progress = OptionProgress->isChecked();
    o.WordCount = OptionWordCount->isChecked();
    o.Reverse = OptionReverse->isChecked();
    o.Numbering = OptionNumbering->isChecked();
    o.OneInstance = OptionOneInstance->isChecked();
    o.UnixFile = OptionUnixFile->isChecked();
    o.PromptSave = OptionSave->isChecked();
    return settings;
}

void TForm1::ShowBusyCursor()
{
    if (!busy_)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    busy_ = true;
}

void TForm1::RestoreCursor()
{
    if (busy_)
        QGuiApplication::restoreOverrideCursor();
    busy_ = false;
}

void TForm1::ShowErrorMessage(std::string_view text)
{
    dialogs_.MessageDialog(this, MsgKind::Error, FromBytes(text), MsgOk);
}

void TForm1::SetSearchButtonEnabled(bool on)
{
    CmdSearch->setEnabled(on);
}

void TForm1::SetSearchMenuEnabled(bool on)
{
    mSearch->setEnabled(on);
}

void TForm1::SetDropEnabled(bool on)
{
    FileDrag1->SetEnableDrop(on);
}

void TForm1::SetCancelEnabled(bool on)
{
    CmdCancel->setEnabled(on);
    mCancel->setEnabled(on);
}

void TForm1::SetSaveEnabled(bool on)
{
    CmdSave->setEnabled(on);
    mSave->setEnabled(on);
}

void TForm1::SetMainPageEnabled(bool on)
{
    MainPage->setEnabled(on);
}

void TForm1::SetCaption(std::string_view caption)
{
    setWindowTitle(FromBytes(caption));
}

void TForm1::Beep()
{
    dialogs_.Beep();
}

void TForm1::ClearSaveDialogName()
{
    saveName_.clear();
}

std::string TForm1::AskSaveFileName()
{
    const std::optional<QString> chosen = dialogs_.SaveFileName(this, SaveRequest());
    if (!chosen || chosen->isEmpty())
        return {};
    saveName_ = *chosen;
    return FileNameBytes(*chosen);
}

void TForm1::SaveOutputList(const std::string& fileName)
{
    SaveOutputFile(store_, fileName);
}

// ---- the display ---------------------------------------------------------------------
//
// A run appends lines and sets panel texts far more often than a screen can
// show them. Both are stored at once; a frame timer then presents them at
// display rate: changed panels repaint, and the model announces the lines
// appended since the last frame in one insertion. The list view lays out all
// its rows after every insertion, so once that layout gets costly (very long
// lists) the announcements are spaced out to keep it a small share of the time.

void TForm1::ScheduleFrame()
{
    if (!frame_.isActive())
        frame_.start(FrameMs, Qt::CoarseTimer, this);
}

bool TForm1::PresentFrame()
{
    for (StatusPanel* panel : panels_)
        panel->Present();
    if (!model_->HasPending())
        return false;
    const qint64 now = clock_.elapsed();
    const qint64 layoutMs = std::chrono::duration_cast<std::chrono::milliseconds>(SearchList->LastLayoutCost()).count();
    const qint64 interval = std::clamp<qint64>(layoutMs * LayoutCostFactor, FrameMs, MaxRowFlushMs);
    if (now - lastRowFlush_ < interval)
        return true;
    model_->Flush();
    lastRowFlush_ = now;
    return false;
}

void TForm1::FlushDisplay() noexcept
{
    try {
        for (StatusPanel* panel : panels_)
            panel->Present();
        model_->Flush();
        lastRowFlush_ = clock_.elapsed();
    } catch (...) {
        // Out of memory while drawing: the data stays intact, the screen
        // catches up at a later frame.
    }
}

void TForm1::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != frame_.timerId()) {
        QMainWindow::timerEvent(event);
        return;
    }
    bool more = false;
    try {
        more = PresentFrame();
    } catch (...) {
        // As in FlushDisplay: a later frame catches up.
    }
    if (!more)
        frame_.stop();
}

// ---- keyboard ---------------------------------------------------------------------------
//
// 1. A main menu shortcut is always the menu's: the focused control never sees
//    it, and the item acts only while it and its menu are enabled.
// 2. Alt with a tool button's letter clicks the button when it is enabled; so
//    does the letter alone while a check box or button has the focus.
// Qt's own mechanisms would give the key to a control that claims it (Ctrl+C
// in an edit field) or to it when the item is disabled, so the window takes
// these keys before anyone else: it claims the shortcut override, then acts on
// the key press.

std::function<void()> TForm1::RouteKey(const QKeyEvent& key, QWidget* receiver)
{
    const Qt::KeyboardModifiers mods = key.modifiers() & ~Qt::KeypadModifier;
    const int code = key.key();
    const struct {
        Qt::KeyboardModifiers mods;
        int key;
        QAction* item;
        QMenu* menu;
    } menuKeys[] = {
        {Qt::ControlModifier, Qt::Key_O, Open1, File1},    {Qt::ControlModifier, Qt::Key_S, mSave, File1},
        {Qt::NoModifier, Qt::Key_F9, mStart, mSearch},     {Qt::ControlModifier, Qt::Key_C, mCancel, mSearch},
        {Qt::ControlModifier, Qt::Key_Delete, mClear, mSearch},
    };
    for (const auto& k : menuKeys)
        if (k.mods == mods && k.key == code)
            return [this, item = k.item, menu = k.menu] { ActivateMenuItem(item, menu); };

    const bool alt = mods == Qt::AltModifier;
    const bool alone = (mods == Qt::NoModifier || mods == Qt::ShiftModifier) && qobject_cast<QAbstractButton*>(receiver);
    if (!alt && !alone)
        return {};
    const struct {
        int key;
        QToolButton* button;
    } letters[] = {
        {Qt::Key_O, CmdOpen}, {Qt::Key_V, CmdSave}, {Qt::Key_L, CmdClear},
        {Qt::Key_S, CmdSearch}, {Qt::Key_C, CmdCancel}, {Qt::Key_A, CmdAbout},
    };
    for (const auto& l : letters)
        if (l.key == code)
            return [this, button = l.button] { ClickToolButton(button); };
    return {};
}

void TForm1::ActivateMenuItem(QAction* item, QMenu* menu)
{
    if (item->isEnabled() && menu->isEnabled())
        item->trigger();
}

void TForm1::ClickToolButton(QToolButton* button)
{
    if (button->isEnabled())
        button->click();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Resize && watched == TabSheet2) {
        FileList->setGeometry(0, 0, Scaled(0, 0, 393, 0).width(), TabSheet2->height());
        return false;
    }
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress)
        return false;
    auto* receiver = qobject_cast<QWidget*>(watched);
    if (!receiver || receiver->window() != this)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    const std::function<void()> action = RouteKey(*key, receiver);
    if (!action)
        return false;
    key->accept();
    if (type == QEvent::KeyPress)
        action();
    return true;
}

} // namespace quillo
