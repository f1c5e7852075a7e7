// The main window's controls: built with their object names, captions,
// positions, start states and tab order. No control runs a handler from here;
// the window connects them to its handlers.
#pragma once

#include <QRect>

#include <array>

class QAction;
class QCheckBox;
class QComboBox;
class QFont;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QMenuBar;
class QPushButton;
class QStatusBar;
class QStyle;
class QToolButton;
class QWidget;
class TFileDrag;

namespace quillo {

class FindBar;
class OutputLineStore;
class OutputView;
class PageControl;
class StatusPanel;

// Pixel sizes of the layout are multiplied by these where the font is larger
// than the one the layout was drawn for.
struct LayoutScale {
    double x = 1;
    double y = 1;

    // The layout was drawn for a font whose "Search string 1:" is 74 pixels
    // wide and whose lines are 13 pixels high; a larger font widens it.
    static LayoutScale ForFont(const QFont& font);
    int X(int pixels) const;
    int Y(int pixels) const;
    QRect operator()(int left, int top, int width, int height) const;
};

struct WindowLayout {
    // Builds every control into the window (named "Form1"), gives it its
    // icon and its first size, centred on the screen, and the focus to
    // FString1. The output list shows the lines of outputLines.
    WindowLayout(QMainWindow& window, const OutputLineStore& outputLines);
    WindowLayout(const WindowLayout&) = delete;
    WindowLayout& operator=(const WindowLayout&) = delete;

    LayoutScale Scale;

    // Controls, named as their object names.
    QFrame* Panel2 = nullptr;
    QToolButton* CmdOpen = nullptr;
    QToolButton* CmdSave = nullptr;
    QToolButton* CmdClear = nullptr;
    QToolButton* CmdSearch = nullptr;
    QToolButton* CmdCancel = nullptr;
    QToolButton* CmdAbout = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    PageControl* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* OutputList = nullptr;
    QWidget* MainPage = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* FString1 = nullptr;
    QComboBox* FOperator = nullptr;
    QLineEdit* FString2 = nullptr;
    QCheckBox* OptionLineCount = nullptr;
    QCheckBox* OptionWordCount = nullptr;
    QCheckBox* OptionProgress = nullptr;
    QCheckBox* OptionNumbering = nullptr;
    QCheckBox* OptionLoadList = nullptr;
    QCheckBox* OptionClearAll = nullptr;
    QCheckBox* OptionCase = nullptr;
    QCheckBox* OptionReverse = nullptr;
    QCheckBox* OptionSave = nullptr;
    QCheckBox* OptionUnixFile = nullptr;
    QCheckBox* OptionOneInstance = nullptr;
    QCheckBox* OptionRegex = nullptr;      // "Regular expressions", kept in [Search]
    QCheckBox* OptionWholeWords = nullptr; // "Whole words only", kept in [Search]
    QCheckBox* OptionOnlyFound = nullptr; // "Only files with found lines"
    QListWidget* FileList = nullptr;
    QPushButton* cmdFLClear = nullptr;
    QPushButton* cmdFLDelete = nullptr;
    QPushButton* cmdFLAddFolder = nullptr; // "Add Folder...", between Delete and Save
    QPushButton* cmdFLSave = nullptr;
    QPushButton* cmdFLLoad = nullptr;
    OutputView* SearchList = nullptr;
    FindBar* FindBar1 = nullptr; // under the output list, hidden until Ctrl+F
    QStatusBar* StatusBar = nullptr;
    std::array<StatusPanel*, 4> Panels{}; // "StatusPanel0" .. "StatusPanel3", left to right
    QMenuBar* MainMenu1 = nullptr;
    QMenu* File1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* mSave = nullptr;
    QAction* N1 = nullptr;
    QAction* mEditor = nullptr; // "Editor..."
    QAction* Exit1 = nullptr;
    QMenu* mSearch = nullptr;
    QAction* mStart = nullptr;
    QAction* mCancel = nullptr;
    QAction* mClear = nullptr;
    QMenu* About1 = nullptr;
    QAction* About2 = nullptr;
    TFileDrag* FileDrag1 = nullptr;

private:
    void BuildToolBar(QWidget& window);
    void BuildPages(QWidget* central, const QStyle* style, const OutputLineStore& outputLines);
    void BuildMainPage(QWidget* page);
    void BuildFileListPage(QWidget* page, const QStyle* style);
    void BuildOutputPage(QWidget* page, const OutputLineStore& outputLines);
    void BuildStatusBar(QMainWindow& window);
    void BuildMenu(QMainWindow& window);
    void BuildDropTarget(QWidget& window);
};

} // namespace quillo
