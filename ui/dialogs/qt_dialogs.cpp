#include "ui/dialogs/qt_dialogs.h"

#include "ui/dialogs/add_folder_dialog.h"
#include "ui/dialogs/editor_dialog.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>

namespace quillo {
namespace {

QMessageBox::Icon ToQt(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Error:
        return QMessageBox::Critical;
    case MsgIcon::Warning:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

constexpr struct {
    MsgButton ours;
    QMessageBox::StandardButton qt;
} ButtonMap[] = {
    {MsgOk, QMessageBox::Ok},
    {MsgCancel, QMessageBox::Cancel},
    {MsgYes, QMessageBox::Yes},
    {MsgNo, QMessageBox::No},
};

QMessageBox::StandardButtons ToQt(MsgButtons buttons)
{
    QMessageBox::StandardButtons result;
    for (const auto& b : ButtonMap)
        if (buttons & b.ours)
            result |= b.qt;
    return result ? result : QMessageBox::Ok;
}

MsgButton FromQt(int clicked)
{
    for (const auto& b : ButtonMap)
        if (clicked == b.qt)
            return b.ours;
    return MsgNone;
}

MsgButton Run(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon, MsgButtons buttons,
              MsgButton defaultButton)
{
    const ReactivateOnClose reactivate;
    QMessageBox box(ToQt(icon), caption, text, ToQt(buttons), parent);
    box.setWindowModality(Qt::ApplicationModal);
    for (const auto& b : ButtonMap)
        if (defaultButton == b.ours)
            box.setDefaultButton(b.qt);
    return FromQt(box.exec());
}

MsgIcon KindIcon(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning:
        return MsgIcon::Warning;
    case MsgKind::Error:
        return MsgIcon::Error;
    case MsgKind::Information:
        return MsgIcon::Information;
    case MsgKind::Confirmation:
        return MsgIcon::Question;
    }
    return MsgIcon::None;
}

void Configure(QFileDialog& dialog, const QString& title, const QList<FileFilter>& filters, const QString& name)
{
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    const QString filter = NameFilterText(filters);
    dialog.setNameFilter(filter);
    if (!filters.isEmpty())
        dialog.selectNameFilter(dialog.nameFilters().value(0));
    dialog.setOption(QFileDialog::ReadOnly, false);
    // Qt's own dialog: a desktop's native one may need an event loop that
    // the program does not run (see UseLeanEventDispatcher).
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!name.isEmpty())
        dialog.selectFile(name);
}

} // namespace

QString NameFilterText(const QList<FileFilter>& filters)
{
    QStringList parts;
    for (const FileFilter& f : filters)
        parts << f.description + " (" + (f.pattern == QLatin1String("*.*") ? QStringLiteral("*") : f.pattern) + ")";
    return parts.join(";;");
}

QString SaveNameRefusal(const QString& name)
{
    const QFileInfo info(name);
    const QFileInfo folder(info.absolutePath());
    QString reason;
    if (info.exists())
        reason = info.isWritable() ? QString() : QStringLiteral("This file or its folder is write-protected.");
    else if (!folder.exists())
        reason = QStringLiteral("The folder %1 does not exist.").arg(folder.filePath());
    else if (!folder.isDir())
        reason = QStringLiteral("%1 is not a folder.").arg(folder.filePath());
    else if (!folder.isWritable())
        reason = QStringLiteral("This file or its folder is write-protected.");
    return reason.isEmpty() ? reason : name + "\n" + reason + "\nChoose another file name.";
}

ReactivateOnClose::ReactivateOnClose() : previous_(QApplication::activeWindow()) {}

ReactivateOnClose::~ReactivateOnClose()
{
    if (previous_ && previous_->isVisible() && !QApplication::activeModalWidget())
        previous_->activateWindow();
}

QString KindCaption(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning:
        return QStringLiteral("Warning");
    case MsgKind::Error:
        return QStringLiteral("Error");
    case MsgKind::Information:
        return QStringLiteral("Information");
    case MsgKind::Confirmation:
        return QStringLiteral("Confirm");
    }
    return {};
}

MsgButton QtDialogs::MessageDialog(QWidget* parent, MsgKind kind, const QString& text, MsgButtons buttons)
{
    return Run(parent, KindCaption(kind), text, KindIcon(kind), buttons, MsgNone);
}

MsgButton QtDialogs::MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                                MsgButtons buttons, MsgButton defaultButton)
{
    return Run(parent, caption, text, icon, buttons, defaultButton);
}

void QtDialogs::ShowFailure(QWidget* parent, const QString& caption, const QString& text)
{
    Run(parent, caption, text, MsgIcon::Error, MsgOk, MsgOk);
}

std::optional<QStringList> QtDialogs::OpenFiles(QWidget* parent, const OpenFilesRequest& request)
{
    const ReactivateOnClose reactivate;
    QFileDialog dialog(parent);
    Configure(dialog, request.title, request.filters, request.fileName);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFiles();
}

std::optional<QString> QtDialogs::SaveFileName(QWidget* parent, const SaveFileRequest& request)
{
    const ReactivateOnClose reactivate;
    QString name = request.fileName;
    for (;;) {
        QFileDialog dialog(parent);
        Configure(dialog, request.title, request.filters, name);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        name = dialog.selectedFiles().value(0);
        // Refused here rather than failing after the dialog has closed.
        const QString refusal = SaveNameRefusal(name);
        if (refusal.isEmpty())
            return name;
        Run(parent, dialog.windowTitle(), refusal, MsgIcon::Warning, MsgOk, MsgOk);
    }
}

std::optional<AddFolderChoice> QtDialogs::AddFolder(QWidget* parent, const AddFolderChoice& shown,
                                                    const AddFolderCheck& check)
{
    const ReactivateOnClose reactivate;
    AddFolderDialog dialog(parent, *this, shown, check);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choice();
}

std::optional<QString> QtDialogs::ChooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    const ReactivateOnClose reactivate;
    QFileDialog dialog(parent, title, start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().front();
}

void QtDialogs::Beep()
{
    QApplication::beep();
}

void QtDialogs::OpenUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}

bool QtDialogs::StartProgram(const QStringList& words)
{
    if (words.isEmpty() || words.front().isEmpty())
        return false;
    return QProcess::startDetached(words.front(), words.mid(1));
}

std::optional<QString> QtDialogs::EditorCommand(QWidget* parent, const QString& command, const QStringList& choices)
{
    const ReactivateOnClose reactivate;
    EditorDialog dialog(command, choices, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Command();
}

} // namespace quillo
