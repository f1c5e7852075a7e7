// Every dialog the windows show goes through this interface, so that the
// windows can be driven by tests without a modal loop.
#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

#include <QWidget>

namespace quillo {

enum class MsgIcon { None, Error, Warning, Information, Question };

enum MsgButton : unsigned {
    MsgNone = 0,
    MsgOk = 1u << 0,
    MsgCancel = 1u << 1,
    MsgYes = 1u << 2,
    MsgNo = 1u << 3,
};
using MsgButtons = unsigned;

// Message dialogs named after their kind: the caption is the kind's name and
// the icon its symbol.
enum class MsgKind { Warning, Error, Information, Confirmation };

struct FileFilter {
    QString description;
    QString pattern;
};

// What a file dialog shows; the remembered name is offered first.
struct OpenFilesRequest {
    QString title; // empty: the platform's standard title
    QList<FileFilter> filters;
    QString fileName;
};

struct SaveFileRequest {
    QString title;
    QList<FileFilter> filters;
    QString fileName;
    QString defaultSuffix; // added to a typed name that has no extension
};

// What the "Add Folder" dialog shows, and what it gives back on OK.
struct AddFolderChoice {
    QString folder;
    QString fileNames;   // masks separated by ";"
    QString skipFolders; // masks separated by ";"
    bool subfolders = true;
    bool skipBinary = true;

    bool operator==(const AddFolderChoice&) const = default;
};

// Why OK cannot close the "Add Folder" dialog with these values, shown in an
// error message while the dialog stays open; empty when it can.
using AddFolderCheck = std::function<QString(const AddFolderChoice&)>;

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Caption "Error", "Warning" ... with the kind's icon; returns the button
    // that closed the dialog.
    virtual MsgButton MessageDialog(QWidget* parent, MsgKind kind, const QString& text, MsgButtons buttons) = 0;
    // A message box with a caption of its own.
    virtual MsgButton MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                                 MsgButtons buttons, MsgButton defaultButton) = 0;
    // The error display: the failure's message followed by ".", the
    // application title as caption, the stop icon and OK.
    virtual void ShowFailure(QWidget* parent, const QString& caption, const QString& text) = 0;

    // Chosen files in the dialog's order; nothing when cancelled.
    virtual std::optional<QStringList> OpenFiles(QWidget* parent, const OpenFilesRequest& request) = 0;
    // The chosen name; nothing when cancelled.
    virtual std::optional<QString> SaveFileName(QWidget* parent, const SaveFileRequest& request) = 0;

    // The "Add Folder" dialog, modal, showing shown: what was confirmed with
    // OK (and passed check), or nothing when cancelled.
    virtual std::optional<AddFolderChoice> AddFolder(QWidget* parent, const AddFolderChoice& shown,
                                                     const AddFolderCheck& check) = 0;
    // The desktop's folder chooser, opened at start; nothing when cancelled.
    virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;

    virtual void Beep() = 0;
    // Asks the desktop to open a link; its result is not examined.
    virtual void OpenUrl(const QUrl& url) = 0;
    // Starts a program (the first word) with its arguments, no shell in
    // between, and does not wait for it; false when it cannot be started.
    virtual bool StartProgram(const QStringList& words) = 0;
    // The "Editor" dialog: the command as confirmed, nothing when cancelled.
    // choices: ready commands offered to fill the field with.
    virtual std::optional<QString> EditorCommand(QWidget* parent, const QString& command,
                                                 const QStringList& choices) = 0;
};

// The caption a message dialog of this kind carries.
QString KindCaption(MsgKind kind);

// Gives the activation back to the window that was active when a modal window
// opened, once it has closed (a desktop without a window manager would leave
// no window active).
class ReactivateOnClose {
public:
    ReactivateOnClose();
    ~ReactivateOnClose();
    ReactivateOnClose(const ReactivateOnClose&) = delete;
    ReactivateOnClose& operator=(const ReactivateOnClose&) = delete;

private:
    QPointer<QWidget> previous_;
};

} // namespace quillo
