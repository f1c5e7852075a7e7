#include "ui/window/command_line_host.h"

#include "ui/platform/byte_text.h"
#include "ui/dialogs/dialogs.h"
#include "ui/window/file_list_page.h"
#include "ui/platform/text_bytes.h"
#include "ui/window/window_layout.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace quillo {

WindowCommandLineHost::WindowCommandLineHost(QWidget& window, const WindowLayout& controls, FileListPage& files,
                                             Dialogs& dialogs, std::function<void()> runSearch)
    : window_(window), controls_(controls), files_(files), dialogs_(dialogs), runSearch_(std::move(runSearch))
{
}

void WindowCommandLineHost::Apply()
{
    ApplyCommandLine(parameters_, *this);
}

void WindowCommandLineHost::ShowWrongFilename()
{
    dialogs_.MessageBox(&window_, QStringLiteral("Error:"), QStringLiteral("Wrong filename!"), MsgIcon::Error, MsgOk,
                        MsgOk);
}

void WindowCommandLineHost::AppendFileEntry(const std::string& entry)
{
    files_.Append(entry);
}

bool WindowCommandLineHost::ListPattern(const std::string& pattern, std::vector<std::string>& files)
{
    if (!HasWildcard(pattern))
        return CommandLineHost::ListPattern(pattern, files);
    return ListWithProgress(&window_, showAfter_, [&](const ListingProgress& progress) {
        return ExpandFilePattern(pattern, files, progress);
    });
}

void WindowCommandLineHost::LoadFileList(const std::string& listFile)
{
    files_.Load(listFile);
}

std::size_t WindowCommandLineHost::FileCount()
{
    return files_.Count();
}

void WindowCommandLineHost::SetString1(const std::string& text)
{
    controls_.FString1->setText(BytesToText(text));
}

void WindowCommandLineHost::SetString2(const std::string& text)
{
    controls_.FString2->setText(BytesToText(text));
}

void WindowCommandLineHost::SelectOperator(int index)
{
    controls_.FOperator->setCurrentIndex(index);
}

bool WindowCommandLineHost::SearchEnabled()
{
    return controls_.CmdSearch->isEnabled();
}

void WindowCommandLineHost::SetSearchEnabled(bool on)
{
    controls_.CmdSearch->setEnabled(on);
    controls_.mSearch->setEnabled(controls_.CmdSearch->isEnabled());
}

void WindowCommandLineHost::RunSearchFromCommandLine()
{
    window_.show();
    window_.raise();
    window_.activateWindow();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    runSearch_();
}

} // namespace quillo
