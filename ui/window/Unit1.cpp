#include "ui/window/Unit1.h"

#include "filelist/filedrag.h"
#include "search/run_flags.h"
#include "search/search_run.h"
#include "settings/editor_command.h"
#include "settings/ini_file.h"
#include "settings/output_options.h"
#include "ui/dialogs/About.h"
#include "ui/dialogs/editor_dialog.h"
#include "ui/output/find_bar.h"
#include "ui/platform/app_title.h"
#include "ui/dialogs/dialogs.h"
#include "ui/window/page_control.h"
#include "ui/platform/text_bytes.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>

namespace quillo {

TForm1::TForm1(Dialogs& dialogs, std::uint64_t outputCapacity, QWidget* parent)
    : QMainWindow(parent), OutputLinesHolder(outputCapacity),
      WindowLayout(static_cast<QMainWindow&>(*this), outputLines_), dialogs_(dialogs),
      display_(outputLines_, *SearchList, Panels),
      outputActions_(*SearchList, display_.Headers(), dialogs, [this](const auto& command) { Invoke(command); }),
      errors_(dialogs, *this, display_), OpenDialog1(dialogs, *this),
      SaveDialog1(dialogs, *this), fileListPage_(*FileList, dialogs, *this),
      runHost_(*this, Controls(), display_, pump_, fileListPage_, SaveDialog1, dialogs),
      commandLine_(*this, Controls(), fileListPage_, dialogs, [this] { CmdSearchClick(); }),
      startupAndClose_(*this, Controls()),
      folderAdding_(*this, dialogs, fileListPage_, startupAndClose_.AddFolder()), keys_(*this, Controls())
{
    ConnectHandlers();
    ConnectOutputExtras();
}

TForm1::~TForm1()
{
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::ConnectHandlers()
{
    using Handler = void (TForm1::*)();
    const struct {
        QAbstractButton* button;
        Handler handler;
    } clicks[] = {
        {CmdOpen, &TForm1::CmdOpenClick},       {CmdSave, &TForm1::CmdSaveClick},
        {CmdClear, &TForm1::CmdClearClick},     {CmdSearch, &TForm1::CmdSearchClick},
        {CmdCancel, &TForm1::CmdCancelClick},   {CmdAbout, &TForm1::CmdAboutClick},
        {cmdFLClear, &TForm1::cmdFLClearClick}, {cmdFLDelete, &TForm1::cmdFLDeleteClick},
        {cmdFLSave, &TForm1::cmdFLSaveClick},   {cmdFLLoad, &TForm1::cmdFLLoadClick},
        {cmdFLAddFolder, &TForm1::cmdFLAddFolderClick},
    };
    for (const auto& c : clicks)
        connect(c.button, &QAbstractButton::clicked, this, [this, handler = c.handler] { Invoke(handler); });

    // A menu item acts only while it and its menu are both enabled.
    const struct {
        QAction* item;
        QMenu* menu;
        Handler handler;
    } items[] = {
        {Open1, File1, &TForm1::CmdOpenClick},       {mSave, File1, &TForm1::CmdSaveClick},
        {Exit1, File1, &TForm1::Exit1Click},         {mStart, mSearch, &TForm1::CmdSearchClick},
        {mEditor, File1, &TForm1::mEditorClick},
        {mCancel, mSearch, &TForm1::CmdCancelClick}, {mClear, mSearch, &TForm1::CmdClearClick},
        {About2, About1, &TForm1::CmdAboutClick},
    };
    for (const auto& i : items)
        connect(i.item, &QAction::triggered, this, [this, item = i.item, menu = i.menu, handler = i.handler] {
            if (item->isEnabled() && menu->isEnabled())
                Invoke(handler);
        });

    // The changes run their handlers also when the program sets the text or
    // the tick.
    connect(FString1, &QLineEdit::textChanged, this, [this] { Invoke(&TForm1::FString1Change); });
    connect(FString2, &QLineEdit::textChanged, this, [this] { Invoke(&TForm1::FString2Change); });
    connect(OptionOneInstance, &QCheckBox::toggled, this, [this] { Invoke(&TForm1::OptionOneInstanceClick); });
    FileDrag1->OnDrop = [this](TFileDrag*) { Invoke(&TForm1::FileDrag1Drop); };

    // Enter (Return or the keypad's) in a search string field is a click on
    // Search, which does nothing while the button is disabled.
    for (QLineEdit* field : {FString1, FString2})
        connect(field, &QLineEdit::returnPressed, CmdSearch, &QAbstractButton::click);
}

void TForm1::ConnectOutputExtras()
{
    FindBar1->SetBeep([this] { dialogs_.Beep(); });
    keys_.SetFindKeys(
        [this] {
            PageControl1->SetCurrentPage(OutputList);
            FindBar1->Open();
        },
        [this](bool forward) { forward ? FindBar1->FindNext() : FindBar1->FindPrevious(); },
        [this] { return FindBar1->isVisible(); });
    startupAndClose_.AddSection(
        [this](const TIniFile& settings) {
            OptionOnlyFound->setChecked(ReadOnlyFoundFiles(settings));
            outputActions_.SetEditorCommand(ReadEditorCommand(settings));
        },
        [this](ProfileChanges& changes, const TIniFile& current) {
            AddOnlyFoundFiles(changes, OptionOnlyFound->isChecked(), current);
            AddEditorCommand(changes, outputActions_.EditorCommand(), current);
        });
}

bool TForm1::Invoke(void (TForm1::*handler)())
{
    return errors_.Run([this, handler] { (this->*handler)(); });
}

bool TForm1::Invoke(const std::function<void()>& handler)
{
    return errors_.Run(handler);
}

// ---- start and close ----------------------------------------------------------

void TForm1::FormCreate()
{
    const StartupAndClose::Startup startup(startupAndClose_);
    runHost_.SetDropEnabled(true);
    setWindowTitle(QStringLiteral("Quillo"));
    SetApplicationTitle(IdleTitle);
    FOperator->setCurrentIndex(0);
    startupAndClose_.ReadSettings();
    OptionOneInstanceClick(); // the "Word Counting" rule, once
    if (OptionLoadList->isChecked())
        fileListPage_.Load(fileListPage_.ListFile());
    commandLine_.Apply();
}

void TForm1::FormClose()
{
    CancelRequested = true;
    startupAndClose_.WriteSettings();
}

// Every close of the window comes here: the close box, the window manager
// and File > Exit.
void TForm1::closeEvent(QCloseEvent* event)
{
    event->setAccepted(startupAndClose_.CloseRequested([this] { return Invoke(&TForm1::FormClose); }));
}

void TForm1::Exit1Click()
{
    close();
}

void TForm1::mEditorClick()
{
    const std::optional<QString> command =
        dialogs_.EditorCommand(this, FromBytes(outputActions_.EditorCommand()), InstalledEditorChoices());
    if (command)
        outputActions_.SetEditorCommand(ToBytes(command->trimmed()));
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

void TForm1::CmdOpenClick()
{
    const std::optional<QStringList> chosen = OpenDialog1.Execute();
    if (!chosen)
        return;
    PageControl1->SetCurrentPage(TabSheet2);
    fileListPage_.AppendChosen(*chosen);
    if (!chosen->isEmpty())
        OpenDialog1.SetFileName(chosen->front());
    EnableSearchAfterAdding();
}

void TForm1::EnableSearchAfterAdding()
{
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
    if (const std::optional<QString> chosen = SaveDialog1.Execute())
        runHost_.SaveOutputList(FileNameBytes(*chosen));
}

void TForm1::CmdClearClick()
{
    if (SearchRunning) {
        display_.ClearLines();
        return;
    }
    if (OptionClearAll->isChecked()) {
        if (!FString1->text().isEmpty())
            FString1->setText(QString());
        if (!FString2->text().isEmpty())
            FString2->setText(QString());
        FOperator->setCurrentIndex(1);
        OpenDialog1.SetFileName(QString());
        runHost_.SetSaveEnabled(false);
    }
    display_.ClearLines();
    display_.ResetPanels();
    display_.Flush();
}

void TForm1::CmdSearchClick()
{
    // However the run ends, the screen shows all of it.
    struct Present {
        RunDisplay& display;
        ~Present() { display.Flush(); }
    } present{display_};
    runHost_.BeginRun();
    SearchRun(runHost_);
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

void TForm1::cmdFLClearClick()
{
    fileListPage_.Clear();
    CmdSearch->setEnabled(false);
    mSearch->setEnabled(false);
}

void TForm1::cmdFLDeleteClick()
{
    fileListPage_.DeleteSelected();
}

void TForm1::cmdFLSaveClick()
{
    fileListPage_.Save();
}

void TForm1::cmdFLLoadClick()
{
    fileListPage_.LoadSaved();
}

void TForm1::cmdFLAddFolderClick()
{
    if (folderAdding_.Run())
        EnableSearchAfterAdding();
}

void TForm1::FileDrag1Drop()
{
    fileListPage_.AppendDropped(FileDrag1->NameWithPath());
    CmdSearch->setEnabled(FileList->count() > 0 && !FString1->text().isEmpty());
    mSearch->setEnabled(CmdSearch->isEnabled());
}

bool TForm1::DropEnabled() const noexcept
{
    return FileDrag1->EnableDrop();
}

} // namespace quillo
