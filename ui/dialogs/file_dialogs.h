// The window's two file dialogs, OpenDialog1 and SaveDialog1: what they ask
// and the name each offers first.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quillo {

class Dialogs;
struct FileFilter;

// What both dialogs share: the window they belong to and the file name they
// offer first.
class FileDialogName {
public:
    FileDialogName(Dialogs& dialogs, QWidget& parent) : dialogs_(dialogs), parent_(parent) {}

    const QString& FileName() const noexcept { return fileName_; }
    void SetFileName(const QString& name) { fileName_ = name; }

protected:
    Dialogs& dialogs_;
    QWidget& parent_;
    QString fileName_;
};

// Several existing files at once. Offers the first file of the previous
// choice; the window remembers it once it has taken the files.
class OpenDialog : public FileDialogName {
public:
    using FileDialogName::FileDialogName;

    static const QList<FileFilter>& Filters();
    // The chosen files in the dialog's order; nothing when cancelled.
    std::optional<QStringList> Execute();
};

// One output file name. Offers the previous name.
class SaveDialog : public FileDialogName {
public:
    using FileDialogName::FileDialogName;

    static const QList<FileFilter>& Filters();
    // The chosen name, remembered for the next time; nothing when cancelled
    // or when the name is empty.
    std::optional<QString> Execute();
};

} // namespace quillo
