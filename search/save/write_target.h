// Where a save really goes, and whether it may go there: a name that is a
// symbolic link (or a chain of them) is written at the end of the chain, so the
// link stays a link; anything there that is not a regular file is refused
// before anything is opened for writing (a FIFO would block the window).
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace quillo {

struct WriteTarget {
    std::string path;      // the name itself, or the end of its chain of links
    bool exists = false;   // a regular file is there already
    mode_t mode = 0;       // its permission bits, owner and group, when it exists
    uid_t owner = 0;
    gid_t group = 0;
    nlink_t links = 0;     // how many names it has
    dev_t device = 0;      // which file it is
    ino_t inode = 0;
};

// The file that writing name replaces or creates. Nothing when it must not be
// written: what is there is no regular file (folder, FIFO, socket, device),
// the links loop or run too deep, the path cannot be looked up, or the file
// exists without any write bit (refused for root too) or not writable for
// this process. A link whose end does not exist yet gives that end, not there.
std::optional<WriteTarget> FindWriteTarget(const std::string& name);

// The folder part of path ("" for a bare name, "/" for a name in the root).
std::string FolderOf(const std::string& path);

} // namespace quillo
