// A file written whole, with the failures the program reports for it. Two
// ways, chosen by what the save may change:
//
// - Replaced in one step, where that keeps everything the old file was: the
//   user may write the folder, and the file is the user's own with only one
//   name (or does not exist yet). The bytes go to a temporary file in the
//   target's folder (search/temporary_file.h), which Close() flushes to disk
//   and renames over the target, with the old file's permission bits and
//   group. Until then the old file is untouched: a failure (a full disk), or
//   a writer dropped before Close(), leaves it whole.
// - Written in place otherwise (a file of another user, a file with more than
//   one name, a folder the user cannot write): the file is truncated, written
//   and flushed to disk, and stays the same file, with its owner, its other
//   names and its permissions. A failure part-way leaves it shorter. The old
//   content goes only when the first bytes are written (at the latest at
//   Close()): a writer dropped before that leaves it whole.
//
// The target is found with FindWriteTarget: a symbolic link is written at the
// end of its chain and stays a link; a FIFO, folder, device or socket, and a
// file without write permission, are refused before anything is opened.
#pragma once

#include "search/save/temporary_file.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillo {

struct WriteTarget;

class FileWriter {
public:
    struct Messages {
        std::string cannotCreate; // the file cannot be created or replaced
        std::string writeError;   // writing, flushing or closing failed
    };
    enum class MissingFolders { Refuse, Create };

    // Raises "Cannot create file <name>" when the file cannot be created,
    // later "Stream write error".
    explicit FileWriter(const std::string& name);
    // With messages of the caller's own. MissingFolders::Create makes the
    // missing folders of the path (mode 0700) instead of refusing.
    FileWriter(const std::string& name, Messages messages, MissingFolders folders);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Buffered; raises writeError when writing fails.
    void Write(std::string_view bytes);
    // Writes what is buffered, flushes the file to disk and, when it is
    // replaced, puts it in the target's place; raises writeError (or
    // cannotCreate when the rename is refused). The writer is spent
    // afterwards, whatever the outcome.
    void Close();

private:
    bool OpenReplacement(const WriteTarget& target, const std::string& folder);
    void OpenInPlace(const WriteTarget& target);
    void Flush();
    void WriteThrough(std::string_view bytes);
    [[noreturn]] void Fail(const std::string& message);
    void Discard() noexcept;

    Messages messages_;
    std::string target_;
    bool targetExists_ = false;
    std::optional<TemporaryFile> temporary_; // nothing: written in place
    int fd_ = -1;
    bool truncatePending_ = false;           // in place: the old content is still there
    std::string buffer_;
};

} // namespace quillo
