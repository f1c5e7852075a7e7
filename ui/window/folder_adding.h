// "Add Folder..." on the "File List" page: the dialog, then every matching
// file below the chosen folder appended to the file list in name order, with
// a progress dialog (count and Cancel) while a large tree is listed. The
// dialog's values are kept from one start to the next (settings/
// add_folder_values.h); the window reads and writes them with the options.
#pragma once

#include "settings/add_folder_values.h"
#include "ui/dialogs/listing_progress.h"

#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace quillo {

class Dialogs;
class FileListPage;

class FolderAdding {
public:
    FolderAdding(QWidget& window, Dialogs& dialogs, FileListPage& list, AddFolderValues& values)
        : window_(window), dialogs_(dialogs), list_(list), values_(values)
    {
    }

    // Shows the dialog; on OK lists the folder and appends what it holds.
    // Returns whether the list has grown. Nothing matching leaves the list as
    // it was and says "No files matched"; Cancel in the progress dialog keeps
    // what was found until then.
    bool Run();

    // The folder a typed text names, as file-system bytes: "~" at its start
    // is the home folder, and a relative one lies in the current folder.
    static std::string FolderPath(const QString& typed);
    // "Folder not found: <path>" when the typed text names no folder; empty
    // otherwise.
    static QString FolderRefusal(const QString& typed);

    // How long a listing runs before its progress dialog shows.
    void SetProgressShowAfter(ListingProgressDialog::Clock::duration after) noexcept { showAfter_ = after; }

private:
    QWidget& window_;
    Dialogs& dialogs_;
    FileListPage& list_;
    AddFolderValues& values_;
    ListingProgressDialog::Clock::duration showAfter_ = ListingProgressDialog::DefaultShowAfter;
};

} // namespace quillo
