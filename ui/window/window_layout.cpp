#include "ui/window/window_layout.h"

#include "filelist/filedrag.h"
#include "ui/output/find_bar.h"
#include "ui/platform/app_icon.h"
#include "ui/output/output_view.h"
#include "ui/window/enable_repaint.h"
#include "ui/window/page_control.h"
#include "ui/window/status_panel.h"
#include "ui/window/status_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillo {
namespace {

QIcon ThemeIcon(const char* name, QStyle::StandardPixmap fallback, const QStyle* style)
{
    return QIcon::fromTheme(QLatin1String(name), style->standardIcon(fallback));
}

// Keeps a control at its width and at the full height of the page holding
// it, as the window is resized.
class FullPageHeight : public QObject {
public:
    FullPageHeight(QWidget* page, QWidget* control, int width)
        : QObject(page), page_(page), control_(control), width_(width)
    {
        page->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == page_ && event->type() == QEvent::Resize)
            control_->setGeometry(0, 0, width_, page_->height());
        return false;
    }

private:
    QWidget* page_;
    QWidget* control_;
    int width_;
};

// Takes the window back to its minimum size when it has been made smaller: a
// window manager keeps to the minimum the window asks for, but without one
// (or with one that ignores it) nothing else would.
class HoldMinimumSize : public QObject {
public:
    explicit HoldMinimumSize(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == window_ && event->type() == QEvent::Resize) {
            const QSize size = static_cast<QResizeEvent*>(event)->size();
            if (size != size.expandedTo(window_->minimumSize()))
                QMetaObject::invokeMethod(
                    window_, [w = window_] { w->resize(w->size().expandedTo(w->minimumSize())); },
                    Qt::QueuedConnection);
        }
        return false;
    }

private:
    QWidget* window_;
};

} // namespace

LayoutScale LayoutScale::ForFont(const QFont& font)
{
    const QFontMetrics fm(font);
    return {std::max(1.0, fm.horizontalAdvance(QStringLiteral("Search string 1:")) / 74.0),
            std::max(1.0, fm.height() / 13.0)};
}

int LayoutScale::X(int pixels) const
{
    return static_cast<int>(std::lround(pixels * x));
}

int LayoutScale::Y(int pixels) const
{
    return static_cast<int>(std::lround(pixels * y));
}

QRect LayoutScale::operator()(int left, int top, int width, int height) const
{
    return QRect(X(left), Y(top), X(width), Y(height));
}

WindowLayout::WindowLayout(QMainWindow& window, const OutputLineStore& outputLines)
{
    InstallAccessibleInterfaces();
    window.setObjectName(QStringLiteral("Form1"));
    window.setWindowIcon(AppIcon());
    Scale = LayoutScale::ForFont(window.font());

    auto* central = new QWidget(&window);
    central->setObjectName(QStringLiteral("ClientArea"));
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    window.setCentralWidget(central);

    BuildToolBar(window);
    column->addWidget(Panel2);
    BuildPages(central, window.style(), outputLines);
    column->addWidget(GroupBox1, 1);
    BuildStatusBar(window);
    BuildMenu(window);
    BuildDropTarget(window);

    // The layout's size, or the smallest that shows every tool button, every
    // control of the "Main" page and the status panels whole.
    window.resize(QSize(Scale.X(501), Scale.Y(373)).expandedTo(window.minimumSizeHint()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        const QRect centred = QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(), available);
        // A window larger than the screen keeps its menu and tool bar on it.
        window.move(std::max(centred.left(), available.left()), std::max(centred.top(), available.top()));
    }
    new HoldMinimumSize(&window);

    FString1->setFocus();
}

void WindowLayout::BuildToolBar(QWidget& window)
{
    Panel2 = new QFrame;
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setLineWidth(2);
    Panel2->setBackgroundRole(QPalette::Button);
    Panel2->setAutoFillBackground(true);
    Panel2->setFixedHeight(Scale.Y(45));

    struct Tool {
        QToolButton*& button;
        const char* name;
        const char* caption;
        int left;
        const char* tooltip;
        const char* icon;
        QStyle::StandardPixmap fallback;
        bool enabled;
    };
    const Tool tools[] = {
        {CmdOpen, "CmdOpen", "&Open", 2, "Open File", "document-open", QStyle::SP_DialogOpenButton, true},
        {CmdSave, "CmdSave", "Sa&ve", 46, "Save output list", "document-save", QStyle::SP_DialogSaveButton, false},
        {CmdClear, "CmdClear", "C&lear", 90, "Clear results", "edit-clear", QStyle::SP_DialogResetButton, true},
        {CmdSearch, "CmdSearch", "&Search", 134, nullptr, "edit-find", QStyle::SP_FileDialogContentsView, false},
        {CmdCancel, "CmdCancel", "&Cancel", 178, nullptr, "process-stop", QStyle::SP_BrowserStop, false},
        {CmdAbout, "CmdAbout", "&About", 221, "About Quillo", "help-about", QStyle::SP_MessageBoxInformation, true},
    };
    const QRect box = Scale(0, 2, 40, 40);
    const int iconSide = std::clamp(box.height() - window.fontMetrics().height() - 9, 12, 32);
    for (const Tool& tool : tools) {
        auto* button = new QToolButton(Panel2);
        tool.button = button;
        button->setObjectName(QLatin1String(tool.name));
        button->setText(QLatin1String(tool.caption));
        button->setIcon(ThemeIcon(tool.icon, tool.fallback, window.style()));
        button->setIconSize(QSize(iconSide, iconSide));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(QRect(Scale(tool.left, 2, 0, 0).topLeft(), box.size()));
        if (tool.tooltip)
            button->setToolTip(QLatin1String(tool.tooltip));
        button->setEnabled(tool.enabled);
    }
    // Narrower, the tool bar would cut its last buttons off.
    Panel2->setMinimumWidth(Panel2->childrenRect().right() + 1 + Scale.X(2));
}

void WindowLayout::BuildPages(QWidget* central, const QStyle* style, const OutputLineStore& outputLines)
{
    GroupBox1 = new QGroupBox(central);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* groupLayout = new QVBoxLayout(GroupBox1);
    groupLayout->setContentsMargins(4, 4, 4, 4);
    PageControl1 = new PageControl(GroupBox1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->SetTabWidth(Scale.X(130));
    groupLayout->addWidget(PageControl1);

    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    BuildMainPage(TabSheet1);
    PageControl1->AddPage(TabSheet1, QStringLiteral("Main"));

    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    BuildFileListPage(TabSheet2, style);
    PageControl1->AddPage(TabSheet2, QStringLiteral("File List"));

    OutputList = new QWidget;
    OutputList->setObjectName(QStringLiteral("OutputList"));
    BuildOutputPage(OutputList, outputLines);
    PageControl1->AddPage(OutputList, QStringLiteral("Output List"));
    PageControl1->SetCurrentPage(TabSheet1);
}

void WindowLayout::BuildMainPage(QWidget* page)
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

    const auto place = [](QWidget* w, const char* name, QRect at) {
        w->setObjectName(QLatin1String(name));
        w->setGeometry(at);
    };
    // A search string field under its label, which names it.
    const auto stringField = [&](QLabel*& label, const char* labelName, const char* caption, QLineEdit*& edit,
                                 const char* editName, int left) {
        label = new QLabel(QLatin1String(caption), GroupBox2);
        place(label, labelName, Scale(left, 14, 74, 13));
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
        edit = new QLineEdit(GroupBox2);
        place(edit, editName, Scale(left, 30, 193, 21));
        // A search string has no length limit (the field's own is 32,767).
        edit->setMaxLength(std::numeric_limits<int>::max());
        edit->setAccessibleName(label->text());
        label->setBuddy(edit);
    };
    stringField(Label1, "Label1", "Search string 1:", FString1, "FString1", 16);

    FOperator = new QComboBox(GroupBox2);
    place(FOperator, "FOperator", Scale(214, 30, 54, 21));
    FOperator->addItems({"And", "Or", "Xor", "& Not"});
    FOperator->setMaxVisibleItems(4);
    FOperator->setCurrentIndex(-1); // chosen at start-up
    FOperator->setAccessibleName(QStringLiteral("Operator"));
    FOperator->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    stringField(Label2, "Label2", "Search string 2:", FString2, "FString2", 272);

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
        {OptionOnlyFound, "OptionOnlyFound", "Only files with found lines", 272, 190, 157, 17, false},
        {OptionRegex, "OptionRegex", "&Regular expressions", 16, 215, 125, 17, false},
        {OptionWholeWords, "OptionWholeWords", "&Whole words only", 272, 215, 113, 17, false},
    };
    QWidget* previous = FString2;
    QWidget::setTabOrder(FString1, FOperator);
    QWidget::setTabOrder(FOperator, FString2);
    for (const Option& o : options) {
        auto* box = new QCheckBox(QLatin1String(o.caption), GroupBox2);
        o.box = box;
        QRect at = Scale(o.left, o.top, o.width, o.height);
        // The check mark and caption must fit whatever the font measures.
        at.setWidth(std::max(at.width(), box->sizeHint().width()));
        at.setHeight(std::max(at.height(), box->sizeHint().height()));
        place(box, o.name, at);
        box->setChecked(o.checked);
        QWidget::setTabOrder(previous, box);
        previous = box;
    }
    // Smaller, the page would cut its controls off; a narrow margin stays
    // right of and below them.
    const QRect controls = GroupBox2->childrenRect();
    GroupBox2->setMinimumSize(controls.right() + 1 + Scale.X(8), controls.bottom() + 1 + Scale.Y(8));
    // A run disables the page: only its controls look different then.
    auto* enableRepaint = new EnableRepaint(MainPage);
    enableRepaint->Watch(MainPage);
    enableRepaint->Watch(GroupBox2);
}

void WindowLayout::BuildFileListPage(QWidget* page, const QStyle* style)
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
    };
    const Button buttons[] = {
        {cmdFLClear, "cmdFLClear", "Clear", 24, "edit-clear", QStyle::SP_DialogResetButton},
        {cmdFLDelete, "cmdFLDelete", "Delete", 48, "edit-delete", QStyle::SP_TrashIcon},
        {cmdFLAddFolder, "cmdFLAddFolder", "A&dd Folder...", 84, "folder-open", QStyle::SP_DirOpenIcon},
        {cmdFLSave, "cmdFLSave", "Save", 120, "document-save", QStyle::SP_DialogSaveButton},
        {cmdFLLoad, "cmdFLLoad", "Load", 144, "document-open", QStyle::SP_DialogOpenButton},
    };
    QWidget* previous = FileList;
    for (const Button& b : buttons) {
        auto* button = new QPushButton(ThemeIcon(b.icon, b.fallback, style), QLatin1String(b.caption), page);
        b.button = button;
        button->setObjectName(QLatin1String(b.name));
        button->setGeometry(Scale(400, b.top, 75, 25));
        // As wide as the others, or as its caption needs.
        button->resize(std::max(button->width(), button->sizeHint().width()), button->height());
        QWidget::setTabOrder(previous, button);
        previous = button;
    }
    // The buttons keep their places; the list keeps the page's height.
    new FullPageHeight(page, FileList, Scale.X(393));
}

void WindowLayout::BuildOutputPage(QWidget* page, const OutputLineStore& outputLines)
{
    auto* outputLayout = new QVBoxLayout(page);
    outputLayout->setContentsMargins(0, 0, 0, 0);
    SearchList = new OutputView(outputLines, page);
    SearchList->setObjectName(QStringLiteral("SearchList"));
    SearchList->setAccessibleName(QStringLiteral("Output List"));
    outputLayout->addWidget(SearchList);
    FindBar1 = new FindBar(outputLines, *SearchList, page);
    outputLayout->addWidget(FindBar1);
}

void WindowLayout::BuildStatusBar(QMainWindow& window)
{
    StatusBar = new QStatusBar(&window);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setFixedHeight(Scale.Y(21));
    window.setStatusBar(StatusBar);
    // Each panel is as wide as the layout says and as its longest text needs;
    // the last one takes the rest of the bar.
    const int widths[4] = {125, 115, 125, 0};
    for (std::size_t i = 0; i < Panels.size(); ++i) {
        auto* panel = new StatusPanel(StatusBar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        panel->SetWidthRule(Scale.X(widths[i]), LongestPanelTexts(static_cast<int>(i)));
        Panels[i] = panel;
        const bool last = i + 1 == Panels.size();
        panel->setSizePolicy(last ? QSizePolicy::Expanding : QSizePolicy::Fixed, QSizePolicy::Preferred);
        StatusBar->addWidget(panel, last ? 1 : 0);
    }
}

void WindowLayout::BuildMenu(QMainWindow& window)
{
    MainMenu1 = window.menuBar();
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));

    // The window routes the shortcut keys itself (ui/key_routing.h); Qt is
    // told about them only so that menus show them and a key pressed while
    // the menu is open acts on its item.
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
    item(File1, mEditor, "mEditor", "Editor...", {});
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
}

void WindowLayout::BuildDropTarget(QWidget& window)
{
    // Files dropped anywhere on the window go to the drop target, which sits
    // in front of the window's own event handling. Qt hands a drag to the
    // innermost widget under the pointer that accepts drops, so the controls
    // that take text drops by themselves (the edit fields) must not.
    for (QWidget* child : window.findChildren<QWidget*>())
        child->setAcceptDrops(false);
    FileDrag1 = new TFileDrag(&window);
    FileDrag1->setObjectName(QStringLiteral("FileDrag1"));
}

} // namespace quillo
