#include "ui/run/run_host.h"

#include "filelist/filedrag.h"
#include "search/output/output_file.h"
#include "ui/platform/app_title.h"
#include "ui/platform/byte_text.h"
#include "ui/dialogs/dialogs.h"
#include "ui/run/event_pump.h"
#include "ui/dialogs/file_dialogs.h"
#include "ui/window/file_list_page.h"
#include "ui/output/header_rows.h"
#include "ui/run/run_display.h"
#include "ui/platform/text_bytes.h"
#include "ui/window/window_layout.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace quillo {

WindowRunHost::WindowRunHost(QWidget& window, const WindowLayout& controls, RunDisplay& display, EventPump& pump,
                             FileListPage& files, SaveDialog& saveDialog, Dialogs& dialogs)
    : window_(window), controls_(controls), display_(display), pump_(pump), files_(files), saveDialog_(saveDialog),
      dialogs_(dialogs)
{
}

WindowRunHost::~WindowRunHost()
{
    if (busy_)
        QGuiApplication::restoreOverrideCursor();
}

void WindowRunHost::BeginRun()
{
    folder_ = CurrentFolder();
    pump_.Restart();
}

void WindowRunHost::AppendLine(std::string_view line)
{
    display_.AppendLine(line);
}

void WindowRunHost::AppendFoundLine(std::string_view line, std::uint32_t lineNumber)
{
    display_.AppendFoundLine(line, lineNumber);
}

void WindowRunHost::BeginRunLines(std::shared_ptr<const MatchHighlighter> highlighter, bool numbered)
{
    display_.BeginRunLines({std::move(highlighter), numbered});
}

void WindowRunHost::AppendRunHeader(std::string_view line)
{
    display_.AppendRunHeader(line);
}

void WindowRunHost::AppendFileHeader(std::string_view line, std::string_view entry)
{
    display_.AppendFileHeader(line, EntryPath(entry, folder_));
}

void WindowRunHost::SetPanelText(int panel, std::string_view text)
{
    display_.SetPanelText(panel, text);
}

void WindowRunHost::SetApplicationTitle(std::string_view title)
{
    quillo::SetApplicationTitle(title);
}

void WindowRunHost::ProcessEvents()
{
    pump_.Pump();
}

void WindowRunHost::ProcessPendingEvents()
{
    pump_.PumpNow();
}

SearchSettings WindowRunHost::ReadSearchSettings()
{
    const WindowLayout& c = controls_;
    SearchSettings settings;
    settings.String1 = TextToBytes(c.FString1->text());
    settings.String2 = TextToBytes(c.FString2->text());
    settings.Operator = c.FOperator->currentIndex();
    SearchOptions& o = settings.Options;
    o.CaseSensitive = c.OptionCase->isChecked();
    o.LineCount = c.OptionLineCount->isChecked();
    o.Progress = c.OptionProgress->isChecked();
    o.WordCount = c.OptionWordCount->isChecked();
    o.Reverse = c.OptionReverse->isChecked();
    o.Numbering = c.OptionNumbering->isChecked();
    o.OneInstance = c.OptionOneInstance->isChecked();
    o.UnixFile = c.OptionUnixFile->isChecked();
    o.PromptSave = c.OptionSave->isChecked();
    o.Regex = c.OptionRegex->isChecked();
    o.WholeWords = c.OptionWholeWords->isChecked();
    o.OnlyFoundFiles = c.OptionOnlyFound->isChecked();
    return settings;
}

std::size_t WindowRunHost::FileCount()
{
    return files_.Count();
}

std::string WindowRunHost::FileEntry(std::size_t i)
{
    return files_.Entry(i);
}

void WindowRunHost::ShowBusyCursor()
{
    if (!busy_)
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    busy_ = true;
}

void WindowRunHost::RestoreCursor()
{
    if (busy_)
        QGuiApplication::restoreOverrideCursor();
    busy_ = false;
}

void WindowRunHost::ShowErrorMessage(std::string_view text)
{
    dialogs_.MessageDialog(&window_, MsgKind::Error, FromBytes(text), MsgOk);
}

void WindowRunHost::SetSearchButtonEnabled(bool on)
{
    controls_.CmdSearch->setEnabled(on);
}

void WindowRunHost::SetSearchMenuEnabled(bool on)
{
    controls_.mSearch->setEnabled(on);
}

void WindowRunHost::SetDropEnabled(bool on)
{
    controls_.FileDrag1->SetEnableDrop(on);
}

void WindowRunHost::SetCancelEnabled(bool on)
{
    controls_.CmdCancel->setEnabled(on);
    controls_.mCancel->setEnabled(on);
}

void WindowRunHost::SetSaveEnabled(bool on)
{
    controls_.CmdSave->setEnabled(on);
    controls_.mSave->setEnabled(on);
}

void WindowRunHost::SetMainPageEnabled(bool on)
{
    controls_.MainPage->setEnabled(on);
}

void WindowRunHost::SetCaption(std::string_view caption)
{
    display_.SetCaption(window_, caption);
}

void WindowRunHost::KeepTitleForFailure()
{
    quillo::KeepTitleForFailure();
}

void WindowRunHost::Beep()
{
    dialogs_.Beep();
}

void WindowRunHost::ClearSaveDialogName()
{
    saveDialog_.SetFileName(QString());
}

std::string WindowRunHost::AskSaveFileName()
{
    const std::optional<QString> chosen = saveDialog_.Execute();
    return chosen ? FileNameBytes(*chosen) : std::string();
}

void WindowRunHost::SaveOutputList(const std::string& fileName)
{
    SaveOutputFile(display_.Lines(), fileName);
}

} // namespace quillo
