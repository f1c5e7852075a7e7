// The main window at start, its enabling rules and its keyboard rules.
#include "ui/dialogs/About.h"
#include "ui_test_support.h"
#include "ui/dialogs/qt_dialogs.h"
#include "ui/window/status_panel.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QListWidget>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

namespace quillo::test {
namespace {

// ---- start state ------------------------------------------------------------

struct Switch {
    const char* name;
    bool enabled;
};

void PrintTo(const Switch& p, std::ostream* os)
{
    *os << p.name;
}


class StartSwitch : public WindowTest, public ::testing::WithParamInterface<Switch> {};

TEST_P(StartSwitch, HasItsStartState)
{
    const Switch& s = GetParam();
    QObject* object = form->findChild<QObject*>(QLatin1String(s.name));
    ASSERT_NE(object, nullptr) << s.name;
    if (auto* action = qobject_cast<QAction*>(object))
        EXPECT_EQ(action->isEnabled(), s.enabled) << s.name;
    else
        EXPECT_EQ(qobject_cast<QWidget*>(object)->isEnabled(), s.enabled) << s.name;
}

INSTANTIATE_TEST_SUITE_P(Window, StartSwitch,
                         ::testing::Values(Switch{"CmdOpen", true}, Switch{"CmdSave", false},
                                           Switch{"CmdClear", true}, Switch{"CmdSearch", false},
                                           Switch{"CmdCancel", false}, Switch{"CmdAbout", true},
                                           Switch{"Open1", true}, Switch{"mSave", false}, Switch{"Exit1", true},
                                           Switch{"mSearch", true}, Switch{"mStart", false},
                                           Switch{"mCancel", false}, Switch{"mClear", true},
                                           Switch{"About2", true}, Switch{"MainPage", true},
                                           Switch{"OptionWordCount", true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct Option {
    const char* name;
    const char* caption;
    bool checked;
};

void PrintTo(const Option& p, std::ostream* os)
{
    *os << p.name;
}


class StartOption : public WindowTest, public ::testing::WithParamInterface<Option> {};

TEST_P(StartOption, HasItsCaptionAndTick)
{
    QCheckBox* box = Box(GetParam().name);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QString::fromUtf8(GetParam().caption));
    EXPECT_EQ(box->isChecked(), GetParam().checked);
}

INSTANTIATE_TEST_SUITE_P(
    Window, StartOption,
    // Without a settings file: "Line Counting", "Progress Indication" and
    // "Unix Text File Format" are on by the settings' defaults.
    ::testing::Values(Option{"OptionLineCount", "Line Counting", true},
                      Option{"OptionWordCount", "Word Counting", false},
                      Option{"OptionProgress", "Progress Indication", true},
                      Option{"OptionNumbering", "Line Numbering", false},
                      Option{"OptionLoadList", "Load file list on startup", false},
                      Option{"OptionClearAll", "Clear Everything on \"Clear\"", false},
                      Option{"OptionCase", "Case Sensitive Searching", false},
                      Option{"OptionReverse", "Reverse Logic", false},
                      Option{"OptionSave", "Prompt for save after search", false},
                      Option{"OptionUnixFile", "Unix Text File Format", true},
                      Option{"OptionOneInstance", "One occurance only", false},
                      Option{"OptionRegex", "&Regular expressions", false},
                      Option{"OptionWholeWords", "&Whole words only", false}),
    [](const auto& info) { return std::string(info.param.name); });

struct MenuItem {
    const char* name;
    const char* text;
    const char* shortcut;
    const char* menu;
};

void PrintTo(const MenuItem& p, std::ostream* os)
{
    *os << p.name;
}


class MenuTable : public WindowTest, public ::testing::WithParamInterface<MenuItem> {};

TEST_P(MenuTable, ItemSitsInItsMenuWithItsShortcut)
{
    const MenuItem& m = GetParam();
    QAction* item = Item(m.name);
    QMenu* menu = Menu(m.menu);
    ASSERT_TRUE(item && menu);
    EXPECT_EQ(item->text(), QLatin1String(m.text));
    EXPECT_EQ(item->shortcut().toString(QKeySequence::PortableText), QLatin1String(m.shortcut));
    EXPECT_TRUE(menu->actions().contains(item));
}

INSTANTIATE_TEST_SUITE_P(Window, MenuTable,
                         ::testing::Values(MenuItem{"Open1", "Open", "Ctrl+O", "File1"},
                                           MenuItem{"mSave", "Save", "Ctrl+S", "File1"},
                                           MenuItem{"Exit1", "E&xit", "", "File1"},
                                           MenuItem{"mStart", "Start", "F9", "mSearch"},
                                           MenuItem{"mCancel", "Cancel", "Ctrl+C", "mSearch"},
                                           MenuItem{"mClear", "Clear", "Ctrl+Del", "mSearch"},
                                           MenuItem{"About2", "About", "", "About1"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, StartsAsCreated)
{
    EXPECT_EQ(form->windowTitle(), "Quillo");
    EXPECT_EQ(ApplicationTitle(), "Quillo");
    EXPECT_TRUE(form->DropEnabled());
    auto* op = Find<QComboBox>("FOperator");
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->currentIndex(), 0);
    QStringList items;
    for (int i = 0; i < op->count(); ++i)
        items << op->itemText(i);
    EXPECT_EQ(items, QStringList({"And", "Or", "Xor", "& Not"}));
    EXPECT_EQ(Panels(), (std::vector<QString>{"Lines Searched: None", "Lines Found: None", "File Position: N/A",
                                              "Words Found: None"}));
    EXPECT_EQ(Menu("File1")->title(), "&File");
    EXPECT_EQ(Menu("mSearch")->title(), "Search"); // no letter
    EXPECT_EQ(Menu("About1")->title(), "&Help");
    EXPECT_EQ(Find<QStatusBar>("StatusBar")->objectName(), "StatusBar");
}

TEST_F(WindowTest, ToolButtonsCarryCaptionsTooltipsAndNeverTakeFocus)
{
    const struct {
        const char* name;
        const char* caption;
        const char* tooltip;
    } tools[] = {{"CmdOpen", "&Open", "Open File"},     {"CmdSave", "Sa&ve", "Save output list"},
                 {"CmdClear", "C&lear", "Clear results"}, {"CmdSearch", "&Search", ""},
                 {"CmdCancel", "&Cancel", ""},          {"CmdAbout", "&About", "About Quillo"}};
    int left = -1;
    for (const auto& t : tools) {
        QToolButton* b = Tool(t.name);
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->text(), QLatin1String(t.caption));
        EXPECT_EQ(b->toolTip(), QLatin1String(t.tooltip));
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        EXPECT_GT(b->x(), left) << t.name; // left to right
        left = b->x();
    }
}

TEST_F(WindowTest, PagesInOrderWithMainInFront)
{
    auto* pages = Find<PageControl>("PageControl1");
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->Count(), 3);
    EXPECT_EQ(pages->Tab(0)->text(), "Main");
    EXPECT_EQ(pages->Tab(1)->text(), "File List");
    EXPECT_EQ(pages->Tab(2)->text(), "Output List");
    EXPECT_EQ(pages->Page(2)->objectName(), "OutputList");
    EXPECT_EQ(pages->CurrentPage()->objectName(), "TabSheet1");
}

TEST_F(WindowTest, TabsWiderThanThePagesWrapIntoRows)
{
    auto* pages = Find<PageControl>("PageControl1");
    const int tab = pages->Tab(0)->width();
    EXPECT_EQ(tab, static_cast<int>(std::lround(130 * form->ScaleX())));
    // The window never gets narrower than its status panels and the "Main"
    // page's controls, which leaves room for the three tabs in one row.
    form->resize(1, form->height());
    QCoreApplication::processEvents();
    EXPECT_EQ(pages->RowCount(), 1);
    pages->SetTabWidth(pages->width() / 2 - 1);
    EXPECT_EQ(pages->RowCount(), 2);
    // The current tab's row lies next to the pages.
    EXPECT_GT(pages->Tab(0)->y(), pages->Tab(2)->y());
    pages->SetCurrentIndex(2);
    EXPECT_GT(pages->Tab(2)->y(), pages->Tab(0)->y());
    pages->SetTabWidth(pages->width() / 3 + 1);
    EXPECT_EQ(pages->RowCount(), 2);
    pages->SetTabWidth(tab);
    EXPECT_EQ(pages->RowCount(), 1);
}

// Whether the whole of the control is on screen: inside the window and inside
// every widget that holds it.
bool WhollyVisible(const QWidget* control, const QWidget* window)
{
    if (!control->isVisible())
        return false;
    const QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
    for (const QWidget* holder = control->parentWidget(); holder; holder = holder->parentWidget()) {
        if (!QRect(holder->mapTo(window, QPoint(0, 0)), holder->size()).contains(area))
            return false;
        if (holder == window)
            return true;
    }
    return false;
}

TEST_F(WindowTest, ShrunkWindowKeepsToolButtonsAndMainPageControlsWhole)
{
    std::vector<QWidget*> controls;
    for (const char* name : {"CmdOpen", "CmdSave", "CmdClear", "CmdSearch", "CmdCancel", "CmdAbout"})
        controls.push_back(Tool(name));
    for (QWidget* control : Find<QGroupBox>("GroupBox2")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        controls.push_back(control);
    ASSERT_EQ(controls.size(), 6u + 5u + 14u); // the labels, fields and operator, the option boxes
    form->resize(320, 240);
    QCoreApplication::processEvents();
    form->layout()->activate();
    for (const QWidget* control : controls)
        EXPECT_TRUE(WhollyVisible(control, form.get())) << control->objectName().toStdString();
}

// A run disables the "Main" page and enables it again, and the window
// repaints only what changes: what the screen then holds must be what a
// drawing of the whole window gives, in a style whose group box frames look
// the same in both states and in one whose disabled frames are drawn in
// colours of their own.
struct LockedLook {
    const char* style;
    bool disabledFrameColours;
};

void PrintTo(const LockedLook& p, std::ostream* os)
{
    *os << p.style;
}

class LockedPageStyle : public WindowTest, public ::testing::WithParamInterface<LockedLook> {};

TEST_P(LockedPageStyle, ShowsAsAWholeDrawingWould)
{
    const std::unique_ptr<QStyle> style(QStyleFactory::create(QLatin1String(GetParam().style)));
    ASSERT_NE(style, nullptr);
    form->setStyle(style.get()); // not handed down to the controls
    for (QWidget* control : form->findChildren<QWidget*>())
        control->setStyle(style.get());
    if (GetParam().disabledFrameColours) {
        QPalette palette = form->palette();
        for (QPalette::ColorRole role : {QPalette::Light, QPalette::Midlight, QPalette::Mid, QPalette::Dark,
                                         QPalette::Shadow})
            palette.setColor(QPalette::Disabled, role, Qt::red);
        form->setPalette(palette);
    }
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0); // no caret blinking between the two images
    QWidget* page = Find("MainPage");
    QScreen* screen = form->screen();
    auto shown = [&] {
        QCoreApplication::processEvents();
        return screen->grabWindow(form->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    };
    auto drawn = [&] { return form->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const QImage unlocked = shown();
    ASSERT_FALSE(unlocked.isNull());
    ASSERT_EQ(unlocked, drawn()) << "the window differs from its own drawing before the run";
    page->setEnabled(false);
    const QImage locked = shown();
    EXPECT_NE(locked, unlocked) << "disabled controls look different";
    EXPECT_EQ(locked, drawn());
    page->setEnabled(true);
    EXPECT_EQ(shown(), drawn());
    QApplication::setCursorFlashTime(flashTime);
    form.reset(); // before its style
}

INSTANTIATE_TEST_SUITE_P(Window, LockedPageStyle,
                         ::testing::Values(LockedLook{"Fusion", false}, LockedLook{"Fusion", true},
                                           LockedLook{"Windows", true}),
                         [](const auto& info) {
                             return std::string(info.param.style) +
                                    (info.param.disabledFrameColours ? "DisabledFrameColours" : "");
                         });

TEST_F(WindowTest, TabWalksTheMainPageInOrder)
{
    Edit("FString1")->setFocus();
    QStringList walked;
    for (int i = 0; i < 16; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walked << QApplication::focusWidget()->objectName();
    }
    EXPECT_EQ(walked, QStringList({"FOperator", "FString2", "OptionLineCount", "OptionWordCount", "OptionProgress",
                                   "OptionNumbering", "OptionLoadList", "OptionClearAll", "OptionCase",
                                   "OptionReverse", "OptionSave", "OptionUnixFile", "OptionOneInstance",
                                   "OptionOnlyFound", "OptionRegex", "OptionWholeWords"}));
}

TEST_F(WindowTest, DialogsAreConfiguredAsTheWindowWantsThem)
{
    Tool("CmdOpen")->click();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const OpenFilesRequest& open = dialogs.openRequests[0];
    EXPECT_TRUE(open.title.isEmpty());
    QStringList filters;
    for (const FileFilter& f : open.filters)
        filters << f.description + "|" + f.pattern;
    EXPECT_EQ(filters, QStringList({"All Files|*.*", "Text Files|*.txt", "Log Files|*.log", "Register Files|*.reg",
                                    "Descritpoin Files|*.diz", "Information Files|*.nfo"}));

    form->Invoke(&TForm1::CmdSaveClick);
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    const SaveFileRequest& save = dialogs.saveRequests[0];
    EXPECT_EQ(save.title, "Select or type an output file.");
    filters.clear();
    for (const FileFilter& f : save.filters)
        filters << f.description + "|" + f.pattern;
    EXPECT_EQ(filters,
              QStringList({"Text Files|*.txt", "Log Files|*.log", "Information Files|*.nfo", "All Files|*.*"}));
    // In Qt's file dialog "*.*" would hide every file without a dot in its name.
    EXPECT_EQ(NameFilterText(save.filters),
              "Text Files (*.txt);;Log Files (*.log);;Information Files (*.nfo);;All Files (*)");
}

// A name typed into the save dialog that cannot be taken is answered there,
// and the answer says why.
struct SaveNameCase {
    const char* name;
    const char* existing;   // a file made first, "" for none
    mode_t mode;            // its permission bits
    const char* chosen;     // the name as chosen, inside the test folder
    const char* reason;     // the warning's middle line, "%1" for the folder; "" for none
    bool needsNonRoot;      // root may write any file
};

void PrintTo(const SaveNameCase& c, std::ostream* os) { *os << c.name; }

class SaveName : public ::testing::TestWithParam<SaveNameCase> {};

TEST_P(SaveName, IsRefusedWithItsReason)
{
    const SaveNameCase& c = GetParam();
    if (c.needsNonRoot && ::geteuid() == 0)
        GTEST_SKIP() << "root may write a read-only file";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    if (*c.existing) {
        QFile file(dir.filePath(c.existing));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        ASSERT_EQ(::chmod(QFile::encodeName(file.fileName()).constData(), c.mode), 0);
    }
    const QString chosen = dir.filePath(c.chosen);
    const QString reason = QString::fromUtf8(c.reason).arg(dir.path());
    EXPECT_EQ(SaveNameRefusal(chosen), reason.isEmpty() ? QString() : chosen + "\n" + reason + "\nChoose another file name.");
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, SaveName,
    ::testing::Values(SaveNameCase{"NewFile", "", 0, "out.txt", "", false},
                      SaveNameCase{"ExistingFile", "out.txt", 0644, "out.txt", "", false},
                      SaveNameCase{"MissingFolder", "", 0, "none/out.txt", "The folder %1/none does not exist.", false},
                      SaveNameCase{"MissingFolders", "", 0, "a/b/out.txt", "The folder %1/a/b does not exist.", false},
                      SaveNameCase{"FileInPlaceOfTheFolder", "plain", 0644, "plain/out.txt", "%1/plain is not a folder.",
                                   false},
                      SaveNameCase{"ReadOnlyFile", "out.txt", 0444, "out.txt",
                                   "This file or its folder is write-protected.", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- status bar ----------------------------------------------------------------

// Every panel holds its longest texts in the window's font, is never narrower
// than the layout's width, and the last one takes the rest of the bar.
struct PanelFont {
    const char* name;
    const char* family; // empty: the window's own
    double size;        // times the window's own point size
    bool bold;
};

struct PanelTexts {
    const char* name;
    std::array<const char*, 4> texts;
};

void PrintTo(const PanelFont& f, std::ostream* os)
{
    *os << f.name;
}

void PrintTo(const PanelTexts& t, std::ostream* os)
{
    *os << t.name;
}

const PanelTexts PanelTextSets[] = {
    {"Start", {"Lines Searched: None", "Lines Found: None", "File Position: N/A", "Words Found: None"}},
    {"RunStart", {"Lines Searched = None", "Lines Found = None", "File Position 0 (KB)", "Words Found = None"}},
    {"EightDigits",
     {"Lines Searched: 99,999,999", "Lines Found: 88,888,888", "File Position: 99,999,999 Kb", "Words Found: 44,444,444"}},
    {"Exponents",
     {"Lines Searched: 9.2233719E18", "Lines Found: 1.2345679E18", "File Position: 8.8971404E15 Kb",
      "Words Found: 4.4444444E18"}},
    {"NegativeZero", {"Lines Searched: 0", "Lines Found: 0", "File Position: -0 Kb", "Words Found: 0"}},
};

const PanelFont PanelFonts[] = {
    {"WindowFont", "", 1.0, false},
    {"OneAndAHalf", "", 1.5, false},
    {"Bold", "", 1.0, true},
    {"Monospace", "DejaVu Sans Mono", 1.2, false},
};

class PanelWidth : public WindowTest, public ::testing::WithParamInterface<std::tuple<PanelFont, PanelTexts>> {
protected:
    StatusPanel* Panel(int i) { return Find<StatusPanel>(qPrintable(QStringLiteral("StatusPanel%1").arg(i))); }
};

TEST_P(PanelWidth, HoldsItsTextAndTheLeastWidth)
{
    const auto& [f, t] = GetParam();
    QFont font = form->font();
    if (*f.family)
        font.setFamily(QLatin1String(f.family));
    font.setPointSizeF(font.pointSizeF() * f.size);
    font.setBold(f.bold);
    form->setFont(font);
    QCoreApplication::processEvents();
    form->layout()->activate();
    const int least[3] = {125, 115, 125};
    for (int i = 0; i < 4; ++i) {
        StatusPanel* panel = Panel(i);
        ASSERT_NE(panel, nullptr);
        form->SetPanelText(i, t.texts[static_cast<std::size_t>(i)]);
        EXPECT_LE(panel->fontMetrics().horizontalAdvance(form->PanelText(i)), panel->TextRect().width())
            << "panel " << i << ": " << t.texts[static_cast<std::size_t>(i)];
        EXPECT_TRUE(panel->isVisible());
        if (i < 3) {
            EXPECT_GE(panel->width(), static_cast<int>(std::lround(least[i] * form->ScaleX()))) << "panel " << i;
        }
    }
    // The last panel takes what the window gains; the others keep their widths.
    std::array<int, 4> before{};
    for (int i = 0; i < 4; ++i)
        before[static_cast<std::size_t>(i)] = Panel(i)->width();
    form->resize(form->width() + 100, form->height());
    form->layout()->activate();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Panel(i)->width(), before[static_cast<std::size_t>(i)] + (i == 3 ? 100 : 0))
            << "panel " << i;
}

INSTANTIATE_TEST_SUITE_P(Window, PanelWidth,
                         ::testing::Combine(::testing::ValuesIn(PanelFonts), ::testing::ValuesIn(PanelTextSets)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
                         });

// ---- enabling rules -----------------------------------------------------------

TEST_F(WindowTest, TypingWithAnEmptyFileListDisablesTheSearchMenu)
{
    QTest::keyClicks(Edit("FString1"), "fox");
    EXPECT_FALSE(Tool("CmdSearch")->isEnabled());
    EXPECT_FALSE(Menu("mSearch")->isEnabled());
    form->AppendLine("kept");
    QTest::keyClick(Edit("FString1"), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(form->OutputLines().Count(), 1u); // "Clear" is out of reach
    EXPECT_EQ(Edit("FString1")->text(), "fox");  // and the key deleted nothing
}

TEST_F(WindowTest, WithFilesTypingEnablesSearchButStartWaitsForOpen)
{
    const std::string file = Write("a.txt", "fox\r\n");
    form->AppendFileEntry(file);
    QTest::keyClicks(Edit("FString1"), " ");
    EXPECT_TRUE(Tool("CmdSearch")->isEnabled());
    EXPECT_TRUE(Menu("mSearch")->isEnabled());
    EXPECT_FALSE(Item("mStart")->isEnabled());
    QTest::keyClick(Edit("FString1"), Qt::Key_F9);
    EXPECT_EQ(form->OutputLines().Count(), 0u);

    dialogs.openAnswers.push_back(QStringList{QFile::decodeName(file.c_str())});
    QTest::keyClick(Edit("FString1"), Qt::Key_O, Qt::ControlModifier);
    EXPECT_TRUE(Item("mStart")->isEnabled());
    EXPECT_EQ(Find<PageControl>("PageControl1")->CurrentPage()->objectName(), "TabSheet2");
    EXPECT_EQ(form->FileCount(), 2u);
    QTest::keyClick(Edit("FString1"), Qt::Key_F9);
    EXPECT_EQ(form->OutputLines().Line(0), "*****  New Search  *****");
}

TEST_F(WindowTest, OpenWithoutSearchStringAddsFilesButLeavesSearchOff)
{
    dialogs.openAnswers.push_back(QStringList{dir.filePath("x"), dir.filePath("y")});
    Tool("CmdOpen")->click();
    EXPECT_EQ(form->FileCount(), 2u);
    EXPECT_EQ(form->FileEntry(1), QFile::encodeName(dir.filePath("y")).toStdString());
    EXPECT_FALSE(Tool("CmdSearch")->isEnabled());
    EXPECT_FALSE(Item("mStart")->isEnabled());
    EXPECT_EQ(form->OpenDialogName(), dir.filePath("x"));
    // Cancelled: nothing changes, not even the page.
    Find<PageControl>("PageControl1")->SetCurrentIndex(0);
    Tool("CmdOpen")->click();
    EXPECT_EQ(form->FileCount(), 2u);
    EXPECT_EQ(Find<PageControl>("PageControl1")->CurrentIndex(), 0);
}

TEST_F(WindowTest, WordCountingFollowsStringTwoAndOneOccurrence)
{
    QCheckBox* words = Box("OptionWordCount");
    QCheckBox* once = Box("OptionOneInstance");
    words->setChecked(true);
    once->setChecked(true);
    EXPECT_FALSE(words->isEnabled());
    EXPECT_TRUE(words->isChecked()); // disabling keeps the tick
    QTest::keyClicks(Edit("FString2"), "b");
    QTest::keyClick(Edit("FString2"), Qt::Key_Backspace);
    EXPECT_TRUE(words->isEnabled()); // string 2 alone decides here
    once->setChecked(false);
    EXPECT_TRUE(words->isEnabled());
    QTest::keyClicks(Edit("FString2"), "b");
    EXPECT_FALSE(words->isEnabled());
    once->setChecked(true);
    once->setChecked(false);
    EXPECT_FALSE(words->isEnabled()); // string 2 is not empty
}

// ---- keyboard ------------------------------------------------------------------

TEST_F(WindowTest, MenuShortcutsNeverReachTheEditField)
{
    QApplication::clipboard()->setText("before");
    QLineEdit* edit = Edit("FString1");
    edit->setFocus();
    edit->setText("hello world");
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "before");
    EXPECT_FALSE(CancelRequested); // "Cancel" is disabled
    edit->setCursorPosition(0);
    QTest::keyClick(edit, Qt::Key_Delete, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(edit->text(), "hello world");
    EXPECT_TRUE(dialogs.saveRequests.empty()); // Save is disabled
}

TEST_F(WindowTest, CtrlDelClearsFromAnyControlWhileTheMenuIsEnabled)
{
    form->AppendLine("one");
    form->SetPanelText(0, "Lines Searched: 5");
    QTest::keyClick(Box("OptionCase"), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(form->OutputLines().Count(), 0u);
    EXPECT_EQ(form->PanelText(0), "Lines Searched: None");
}

struct Letter {
    Qt::Key key;
    const char* button;
};

void PrintTo(const Letter& p, std::ostream* os)
{
    *os << p.button;
}


class ToolLetter : public WindowTest, public ::testing::WithParamInterface<Letter> {
protected:
    // Counts the clicks the button receives.
    int Clicks(const std::function<void()>& press)
    {
        int clicks = 0;
        QToolButton* button = Tool(GetParam().button);
        auto connection = QObject::connect(button, &QAbstractButton::clicked, [&] { ++clicks; });
        // The About window opens modally; close it as soon as it shows.
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        press();
        QObject::disconnect(connection);
        return clicks;
    }
};

TEST_P(ToolLetter, AltLetterClicksTheEnabledButtonOnly)
{
    QToolButton* button = Tool(GetParam().button);
    button->setEnabled(false);
    EXPECT_EQ(Clicks([&] { QTest::keyClick(Edit("FString1"), GetParam().key, Qt::AltModifier); }), 0);
    button->setEnabled(true);
    if (GetParam().key == Qt::Key_S)
        form->AppendFileEntry(Write("s.txt", "")); // so that Search has something to do
    EXPECT_EQ(Clicks([&] { QTest::keyClick(Edit("FString1"), GetParam().key, Qt::AltModifier); }), 1);
}

TEST_P(ToolLetter, LetterAloneClicksOnlyFromCheckBoxesAndButtons)
{
    Tool(GetParam().button)->setEnabled(true);
    if (GetParam().key == Qt::Key_S)
        form->AppendFileEntry(Write("s.txt", ""));
    Edit("FString2")->setFocus();
    EXPECT_EQ(Clicks([&] { QTest::keyClick(Edit("FString2"), GetParam().key); }), 0);
    Box("OptionReverse")->setFocus();
    EXPECT_EQ(Clicks([&] { QTest::keyClick(Box("OptionReverse"), GetParam().key); }), 1);
    EXPECT_FALSE(Box("OptionReverse")->isChecked());
}

INSTANTIATE_TEST_SUITE_P(Window, ToolLetter,
                         ::testing::Values(Letter{Qt::Key_O, "CmdOpen"}, Letter{Qt::Key_V, "CmdSave"},
                                           Letter{Qt::Key_L, "CmdClear"}, Letter{Qt::Key_S, "CmdSearch"},
                                           Letter{Qt::Key_C, "CmdCancel"}, Letter{Qt::Key_A, "CmdAbout"}),
                         [](const auto& info) { return std::string(info.param.button); });

// Enter in a search string field searches when Search is enabled, as a click
// on it does; otherwise it does nothing.
struct EnterKey {
    const char* name;
    const char* field;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    bool searchEnabled;
};

void PrintTo(const EnterKey& k, std::ostream* os)
{
    *os << k.name;
}

class EnterInAField : public WindowTest, public ::testing::WithParamInterface<EnterKey> {};

TEST_P(EnterInAField, SearchesOnlyWhileSearchIsEnabled)
{
    const EnterKey& k = GetParam();
    const std::string file = Write("a.txt", "fox\r\nhen\r\n");
    if (k.searchEnabled)
        form->AppendFileEntry(file);
    QTest::keyClicks(Edit("FString1"), "fox");
    QTest::keyClicks(Edit("FString2"), "hen");
    ASSERT_EQ(Tool("CmdSearch")->isEnabled(), k.searchEnabled);
    int clicks = 0;
    QObject::connect(Tool("CmdSearch"), &QAbstractButton::clicked, [&] { ++clicks; });
    QLineEdit* field = Edit(k.field);
    field->setFocus();
    QTest::keyClick(field, k.key, k.modifiers);
    EXPECT_EQ(clicks, k.searchEnabled ? 1 : 0);
    const std::vector<std::string> expected =
        k.searchEnabled ? std::vector<std::string>{"*****  New Search  *****",
                                                   "***** File: \"" + file + "\"- Search Pattern=fox and hen *****"}
                        : std::vector<std::string>{};
    EXPECT_EQ(OutputLines(), expected);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(Edit("FString1")->text(), "fox");
    EXPECT_EQ(Edit("FString2")->text(), "hen");
}

INSTANTIATE_TEST_SUITE_P(
    Window, EnterInAField,
    ::testing::Values(EnterKey{"String1ReturnSearches", "FString1", Qt::Key_Return, Qt::NoModifier, true},
                      EnterKey{"String1KeypadEnterSearches", "FString1", Qt::Key_Enter, Qt::KeypadModifier, true},
                      EnterKey{"String2ReturnSearches", "FString2", Qt::Key_Return, Qt::NoModifier, true},
                      EnterKey{"String2KeypadEnterSearches", "FString2", Qt::Key_Enter, Qt::KeypadModifier, true},
                      EnterKey{"String1ReturnWithSearchOff", "FString1", Qt::Key_Return, Qt::NoModifier, false},
                      EnterKey{"String1KeypadEnterWithSearchOff", "FString1", Qt::Key_Enter, Qt::KeypadModifier, false},
                      EnterKey{"String2ReturnWithSearchOff", "FString2", Qt::Key_Return, Qt::NoModifier, false},
                      EnterKey{"String2KeypadEnterWithSearchOff", "FString2", Qt::Key_Enter, Qt::KeypadModifier,
                               false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, AltFAndAltHOpenTheirMenus)
{
    const struct {
        Qt::Key key;
        const char* menu;
    } menus[] = {{Qt::Key_F, "File1"}, {Qt::Key_H, "About1"}};
    for (const auto& m : menus) {
        Edit("FString1")->setFocus();
        QTest::keyClick(Edit("FString1"), m.key, Qt::AltModifier);
        QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
        EXPECT_EQ(QApplication::activePopupWidget()->objectName(), QLatin1String(m.menu));
        QApplication::activePopupWidget()->close();
    }
}

// Alt+R and Alt+W tick their boxes; no other caption, menu or tool button of
// the window claims those letters.
TEST_F(WindowTest, MatchingOptionsHaveAltLettersOfTheirOwn)
{
    QString letters;
    for (QAbstractButton* b : form->findChildren<QAbstractButton*>())
        if (const auto amp = b->text().indexOf(QLatin1Char('&')); amp >= 0 && amp + 1 < b->text().size())
            letters += b->text().at(amp + 1).toUpper();
    for (QMenu* m : form->findChildren<QMenu*>())
        if (const auto amp = m->title().indexOf(QLatin1Char('&')); amp >= 0)
            letters += m->title().at(amp + 1).toUpper();
    for (QLabel* l : form->findChildren<QLabel*>())
        if (const auto amp = l->text().indexOf(QLatin1Char('&')); amp >= 0 && amp + 1 < l->text().size())
            letters += l->text().at(amp + 1).toUpper();
    EXPECT_EQ(letters.count(QLatin1Char('R')), 1) << letters.toStdString();
    EXPECT_EQ(letters.count(QLatin1Char('W')), 1) << letters.toStdString();
    const struct {
        Qt::Key key;
        const char* box;
    } keys[] = {{Qt::Key_R, "OptionRegex"}, {Qt::Key_W, "OptionWholeWords"}};
    for (const auto& k : keys) {
        Edit("FString1")->setFocus();
        // A mnemonic clicks its box the animated way, a moment later.
        QTest::keyClick(Edit("FString1"), k.key, Qt::AltModifier);
        QTRY_VERIFY(Box(k.box)->isChecked());
        QTest::keyClick(QApplication::focusWidget(), k.key, Qt::AltModifier);
        QTRY_VERIFY(!Box(k.box)->isChecked());
    }
}

TEST_F(WindowTest, ExitClosesTheWindowAndAsksARunToStop)
{
    Menu("File1")->popup({0, 0});
    QTRY_VERIFY(QApplication::activePopupWidget() == Menu("File1"));
    QTest::keyClick(Menu("File1"), Qt::Key_X);
    QTRY_VERIFY(!form->isVisible());
    EXPECT_TRUE(CancelRequested);
}

} // namespace
} // namespace quillo::test
