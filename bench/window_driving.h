// What the programs that drive the real main window share: dialogs that
// must never be shown, and the window's controls found by object name.
#pragma once

#include "bench_common.h"
#include "ui/dialogs/dialogs.h"

#include <QWidget>

#include <string>

namespace bench {

// Dialogs that answer at once; a benchmark or soak run shows none, so any
// message ends the program with a failure.
class QuietDialogs : public quillo::Dialogs {
public:
    quillo::MsgButton MessageDialog(QWidget*, quillo::MsgKind, const QString& text, quillo::MsgButtons) override;
    quillo::MsgButton MessageBox(QWidget*, const QString&, const QString& text, quillo::MsgIcon, quillo::MsgButtons,
                                 quillo::MsgButton) override;
    void ShowFailure(QWidget*, const QString&, const QString& text) override;
    std::optional<QStringList> OpenFiles(QWidget*, const quillo::OpenFilesRequest&) override { return {}; }
    std::optional<QString> SaveFileName(QWidget*, const quillo::SaveFileRequest&) override { return {}; }
    // The scripted answer of the "Add Folder" dialog, taken unchecked.
    std::optional<quillo::AddFolderChoice> AddFolder(QWidget*, const quillo::AddFolderChoice&,
                                                     const quillo::AddFolderCheck&) override
    {
        return addFolderAnswer;
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
    void Beep() override {}

    std::optional<quillo::AddFolderChoice> addFolderAnswer;
    void OpenUrl(const QUrl&) override {}
    bool StartProgram(const QStringList&) override { return false; }
    std::optional<QString> EditorCommand(QWidget*, const QString&, const QStringList&) override { return {}; }
};

// The window's control of that object name and type; fails without one.
template <typename T>
T* Control(QWidget& window, const char* name)
{
    T* control = window.findChild<T*>(name);
    if (!control)
        Fail(std::string("the window has no control ") + name);
    return control;
}

} // namespace bench
