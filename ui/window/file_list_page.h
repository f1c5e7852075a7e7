// The "File List" page's list: the files a run goes through, in the order
// they were added, duplicates and empty entries included. Each entry keeps
// its 8-bit path exactly; the list box shows it decoded.
#pragma once

#include <QStringList>

#include <cstddef>
#include <span>
#include <string>
#include <vector>

class QListWidget;
class QWidget;

namespace quillo {

class Dialogs;

class FileListPage {
public:
    // The list file: the program's base name with ".lst", beside the program
    // or in the user's configuration folder (see ListFile).
    FileListPage(QListWidget& list, Dialogs& dialogs, QWidget& window);

    std::size_t Count() const;
    // An empty entry past the end.
    std::string Entry(std::size_t i) const;
    std::vector<std::string> Entries() const;

    // Raises "Unable to insert a line" when the list is full.
    void Append(const std::string& entry);
    // Entries in order; stops with "Unable to insert a line" when the list
    // is full, keeping those added before.
    void AppendAll(std::span<const std::string> entries);
    // Names from the open dialog, as file-system bytes, in order.
    void AppendChosen(const QStringList& names);
    // Dropped paths in drop order: a file is added if it exists; for a folder
    // the user is asked whether to add every file directly inside it. Takes
    // a copy: the question runs a modal loop, and a drop arriving meanwhile
    // must not change the names under our feet.
    void AppendDropped(std::vector<std::string> paths);
    void Clear();
    void DeleteSelected();

    // Replaces the whole list by the list file's entries; the list is emptied
    // only once the file has been read.
    void Load(const std::string& listFile);
    // Writes the list file; a list holding a name with a line end is refused
    // before anything is written.
    void Save() const;
    // Loads the list file, or says that none has been saved yet.
    void LoadSaved();
    const std::string& ListFile() const noexcept { return listFile_; }
    void SetListFile(std::string path) { listFile_ = std::move(path); }

    // The most entries the list takes (the list box's limit unless a test
    // sets a smaller one).
    static constexpr int MaxEntries = 2147483647;
    void SetLimit(int limit) noexcept { limit_ = limit; }

private:
    QListWidget& list_;
    Dialogs& dialogs_;
    QWidget& window_;
    std::string listFile_;
    int limit_ = MaxEntries;
};

} // namespace quillo
