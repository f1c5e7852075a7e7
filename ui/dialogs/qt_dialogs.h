// The dialogs as Qt shows them: QMessageBox, QFileDialog, the desktop's bell
// and QDesktopServices.
#pragma once

#include "ui/dialogs/dialogs.h"

namespace quillo {

// The name filters as a file dialog takes them: "Text Files (*.txt);;...".
// "*.*" stands for every file, with or without a dot in its name, as it
// does in the filter lists the program offers.
QString NameFilterText(const QList<FileFilter>& filters);

// Why a name chosen in the save dialog cannot be taken, as the warning shown
// before the dialog comes back; empty when it can. A name in a folder that is
// not there says so and names the folder; a read-only file, or a new file in
// a folder the program cannot write to, is write-protected.
QString SaveNameRefusal(const QString& name);

class QtDialogs : public Dialogs {
public:
    MsgButton MessageDialog(QWidget* parent, MsgKind kind, const QString& text, MsgButtons buttons) override;
    MsgButton MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                         MsgButtons buttons, MsgButton defaultButton) override;
    void ShowFailure(QWidget* parent, const QString& caption, const QString& text) override;
    std::optional<QStringList> OpenFiles(QWidget* parent, const OpenFilesRequest& request) override;
    std::optional<QString> SaveFileName(QWidget* parent, const SaveFileRequest& request) override;
    std::optional<AddFolderChoice> AddFolder(QWidget* parent, const AddFolderChoice& shown,
                                             const AddFolderCheck& check) override;
    std::optional<QString> ChooseFolder(QWidget* parent, const QString& title, const QString& start) override;
    void Beep() override;
    void OpenUrl(const QUrl& url) override;
    bool StartProgram(const QStringList& words) override;
    std::optional<QString> EditorCommand(QWidget* parent, const QString& command,
                                         const QStringList& choices) override;
};

} // namespace quillo
