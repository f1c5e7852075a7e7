// The temporary file of a save that replaces its target: made in the target's
// folder, written, then put in the target's place with one rename.
//
// Where the file system offers it (and /proc is there to link it by), the
// file has no name while it is written (O_TMPFILE): a save killed then leaves
// nothing behind. It gets a name only just before the rename. That name, and
// the name of the whole temporary where no unnamed file can be made, is
// ".quillo-" and six random letters or digits: short, whatever the target's
// name is.
//
// Its writer holds an exclusive lock (flock) on a named temporary for as long
// as it lives. A stale one, left by a save that was killed between linking
// and renaming (or while it wrote, where there is no unnamed file), is
// removed by the next save that replaces a file in that folder
// (RemoveStaleTemporaries), under this rule: the name is of exactly that
// form; it is a regular file, not a link, owned by this user, with one link;
// and nobody holds its lock. A file of another user, or one that a live save
// is writing, is never touched.
#pragma once

#include <optional>
#include <string>

namespace quillo {

class TemporaryFile {
public:
    // A new, empty file in folder ("" for the working folder), mode 0666 less
    // the umask, as an ordinary new file gets, open for writing. Nothing,
    // with errno set, when none can be made.
    static std::optional<TemporaryFile> Create(const std::string& folder);

    TemporaryFile(TemporaryFile&& other) noexcept;
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    TemporaryFile(const TemporaryFile&) = delete;
    ~TemporaryFile();

    int Fd() const noexcept { return fd_; }
    bool Unnamed() const noexcept { return name_.empty(); }

    // Puts the file under target, replacing what is there in one step;
    // targetExists tells whether something is expected there. False, with
    // errno set and no name of the temporary left, when that is refused.
    bool ReplaceInto(const std::string& target, bool targetExists);
    // Closes the file, which stays where ReplaceInto put it; false when the
    // close reports a failure.
    bool Close() noexcept;
    // Closes the file and removes what it wrote (nothing once ReplaceInto has
    // succeeded).
    void Discard() noexcept;

private:
    TemporaryFile(int fd, std::string folder, std::string name) noexcept;
    bool LinkAs(const std::string& path) const;

    int fd_ = -1;
    std::string folder_;
    std::string name_; // the temporary's name while it has one
};

// Removes the stale temporaries in folder, by the rule above.
void RemoveStaleTemporaries(const std::string& folder);

// Whether name (without its folder) is of the temporaries' form.
bool IsTemporaryName(const std::string& name);

} // namespace quillo
