#include "ui/output/output_list_actions.h"

#include "search/save/write_target.h"
#include "settings/editor_command.h"
#include "ui/dialogs/dialogs.h"
#include "ui/output/header_rows.h"
#include "ui/output/output_view.h"
#include "ui/platform/text_bytes.h"

#include <QAction>
#include <QByteArray>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>

#include <sys/stat.h>

namespace quillo {
namespace {

bool IsFile(const std::string& path)
{
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

OutputListActions::OutputListActions(OutputView& view, const HeaderRows& headers, Dialogs& dialogs, Runner runner)
    : view_(view), headers_(headers), dialogs_(dialogs), runner_(std::move(runner))
{
    view_.SetCommandRunner(runner_);
    connect(&view_, &OutputView::OpenRequested, this, [this](int row) { runner_([this, row] { Open(row); }); });
    view_.SetMenuExtender([this](QMenu& menu, int row) {
        const bool hasFile = row >= 0 && row < view_.RowCount() && headers_.FileOf(static_cast<std::size_t>(row));
        menu.addSeparator();
        const struct {
            const char* name;
            const char* text;
            void (OutputListActions::*command)(int);
        } items[] = {
            {"mOpenAtLine", "Open at Line", &OutputListActions::Open},
            {"mOpenFolder", "Open Containing Folder", &OutputListActions::OpenFolder},
            {"mCopyPath", "Copy File Path", &OutputListActions::CopyPath},
        };
        for (const auto& item : items) {
            QAction* action = menu.addAction(QLatin1String(item.text));
            action->setObjectName(QLatin1String(item.name));
            action->setEnabled(hasFile);
            connect(action, &QAction::triggered, this,
                    [this, row, command = item.command] { runner_([this, row, command] { (this->*command)(row); }); });
        }
    });
}

const std::string* OutputListActions::ExistingFile(int row)
{
    const std::string* file = row >= 0 && row < view_.RowCount() ? headers_.FileOf(static_cast<std::size_t>(row))
                                                                   : nullptr;
    if (!file || !IsFile(*file)) {
        dialogs_.Beep();
        return nullptr;
    }
    return file;
}

void OutputListActions::Open(int row)
{
    const std::string* file = ExistingFile(row);
    if (!file)
        return;
    if (editorCommand_.empty()) {
        dialogs_.OpenUrl(FileUrl(*file));
        return;
    }
    // A header row opens its file at the top.
    const std::uint32_t line = std::max<std::uint32_t>(view_.RowLineNumber(row), 1);
    const auto words = EditorArguments(editorCommand_, *file, line);
    QStringList arguments;
    if (words) {
        for (const std::string& word : *words)
            arguments << QFile::decodeName(QByteArray(word.data(), static_cast<qsizetype>(word.size())));
    }
    if (!words || !dialogs_.StartProgram(arguments))
        dialogs_.MessageDialog(view_.window(), MsgKind::Error,
                               QStringLiteral("Cannot start the editor: ") + FromBytes(editorCommand_), MsgOk);
}

void OutputListActions::OpenFolder(int row)
{
    if (const std::string* file = ExistingFile(row)) {
        const std::string folder = FolderOf(*file);
        dialogs_.OpenUrl(FileUrl(folder.empty() ? CurrentFolder() : folder));
    }
}

void OutputListActions::CopyPath(int row)
{
    if (const std::string* file = ExistingFile(row))
        QGuiApplication::clipboard()->setText(
            QFile::decodeName(QByteArray(file->data(), static_cast<qsizetype>(file->size()))));
}

QUrl FileUrl(const std::string& path)
{
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace quillo
