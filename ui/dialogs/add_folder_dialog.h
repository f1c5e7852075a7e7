// The "Add Folder" dialog: the folder (with "Browse..." for the desktop's
// folder chooser), the name masks, the folders to skip, and the two check
// boxes. OK closes it only once the check passes; otherwise the check's
// message is shown and the dialog stays open.
#pragma once

#include "ui/dialogs/dialogs.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace quillo {

class AddFolderDialog : public QDialog {
public:
    // Browse and the check's message go through dialogs.
    AddFolderDialog(QWidget* parent, Dialogs& dialogs, const AddFolderChoice& shown, AddFolderCheck check);

    AddFolderChoice Choice() const;

    void accept() override;

private:
    void Browse();

    Dialogs& dialogs_;
    AddFolderCheck check_;
    QLineEdit* folder_ = nullptr;
    QLineEdit* fileNames_ = nullptr;
    QLineEdit* skipFolders_ = nullptr;
    QCheckBox* subfolders_ = nullptr;
    QCheckBox* skipBinary_ = nullptr;
};

} // namespace quillo
