// A file written whole and put in its place in one step, with the failures
// the program reports for it. The bytes go to a temporary file in the
// target's folder, which Close() flushes to disk and renames over the target,
// keeping an existing file's permission bits (and its owner, where allowed).
// Until then the old file is untouched: a failure, or a writer dropped before
// Close(), leaves it whole and removes the temporary file.
//
// The target is found with FindWriteTarget: a symbolic link is written at the
// end of its chain and stays a link; a FIFO, folder, device or socket, and a
// file without write permission, are refused before anything is opened.
#pragma once

#include <string>
#include <string_view>

namespace quillo {

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
    // Writes what is buffered, flushes the file to disk and puts it in the
    // target's place; raises writeError (or cannotCreate when the rename is
    // refused). The writer is spent afterwards, whatever the outcome.
    void Close();

private:
    void Flush();
    void WriteThrough(std::string_view bytes);
    [[noreturn]] void Fail(const std::string& message);
    void Discard() noexcept;

    Messages messages_;
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    std::string buffer_;
};

} // namespace quillo
