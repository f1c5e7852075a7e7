// Saving replaces a file in one step and never blocks on, or destroys, what
// stands under the name: links are written through, anything but a regular
// file is refused, a failed save leaves the old file whole.
#include "search/failure.h"
#include "search/save/file_writer.h"
#include "search/output/output_file.h"
#include "search/test_support.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <map>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillo::test {
namespace {

namespace fs = std::filesystem;

// What a folder holds: each entry's kind and bytes (a link's target).
std::map<std::string, std::string> Snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> out;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().lexically_relative(folder).string();
        if (entry.is_symlink())
            out[name] = "link to " + fs::read_symlink(entry.path()).string();
        else if (entry.is_regular_file())
            out[name] = "file " + ReadAll(entry.path().string());
        else
            out[name] = "other";
    }
    return out;
}

void MakeSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
    ::close(fd);
}

struct TargetCase {
    const char* name;
    std::function<void(const fs::path&)> setUp; // makes the situation in the folder
    const char* saveAs;                         // the name the save is given
    const char* writtenAt;                      // where the bytes land; nullptr: refused
    mode_t mode;                                // the written file's permission bits
};

void PrintTo(const TargetCase& c, std::ostream* os) { *os << c.name; }

void Link(const fs::path& dir, const char* from, const char* to) { fs::create_symlink(to, dir / from); }
void File(const fs::path& dir, const char* name, mode_t mode = 0644)
{
    fs::create_directories((dir / name).parent_path());
    std::ofstream(dir / name, std::ios::binary) << "old content\r\n";
    ASSERT_EQ(::chmod((dir / name).c_str(), mode), 0);
}

const TargetCase TargetCases[] = {
    {"NewFile", [](const fs::path&) {}, "out.txt", "out.txt", 0644},
    {"ExistingFileKeepsItsMode", [](const fs::path& d) { File(d, "out.txt", 0640); }, "out.txt", "out.txt", 0640},
    {"LinkWrittenAtItsTarget",
     [](const fs::path& d) { File(d, "real/out.txt", 0600), Link(d, "out.txt", "real/out.txt"); }, "out.txt",
     "real/out.txt", 0600},
    {"ChainOfRelativeLinks",
     [](const fs::path& d) {
         File(d, "real/out.txt");
         fs::create_directory(d / "links");
         Link(d, "links/second", "../real/out.txt");
         Link(d, "out.txt", "links/second");
     },
     "out.txt", "real/out.txt", 0644},
    {"AbsoluteLink", [](const fs::path& d) { File(d, "real/out.txt"), Link(d, "out.txt", (d / "real/out.txt").c_str()); },
     "out.txt", "real/out.txt", 0644},
    {"DanglingLinkGetsItsTarget", [](const fs::path& d) { fs::create_directory(d / "real"), Link(d, "out.txt", "real/new.txt"); },
     "out.txt", "real/new.txt", 0644},
    {"DanglingLinkIntoMissingFolder", [](const fs::path& d) { Link(d, "out.txt", "none/new.txt"); }, "out.txt",
     nullptr, 0},
    {"LinksInALoop", [](const fs::path& d) { Link(d, "out.txt", "b"), Link(d, "b", "out.txt"); }, "out.txt", nullptr, 0},
    {"Fifo", [](const fs::path& d) { ASSERT_EQ(::mkfifo((d / "out.txt").c_str(), 0644), 0); }, "out.txt", nullptr, 0},
    {"LinkToFifo",
     [](const fs::path& d) {
         ASSERT_EQ(::mkfifo((d / "fifo").c_str(), 0644), 0);
         Link(d, "out.txt", "fifo");
     },
     "out.txt", nullptr, 0},
    {"Socket", [](const fs::path& d) { MakeSocket((d / "out.txt").string()); }, "out.txt", nullptr, 0},
    {"Folder", [](const fs::path& d) { fs::create_directory(d / "out.txt"); }, "out.txt", nullptr, 0},
    {"ReadOnlyFile", [](const fs::path& d) { File(d, "out.txt", 0444); }, "out.txt", nullptr, 0},
    {"FileWithoutAnyBits", [](const fs::path& d) { File(d, "out.txt", 0); }, "out.txt", nullptr, 0},
    {"MissingFolder", [](const fs::path&) {}, "none/out.txt", nullptr, 0},
    {"FileInPlaceOfTheFolder", [](const fs::path& d) { File(d, "plain"); }, "plain/out.txt", nullptr, 0},
};

class SaveTarget : public testing::TestWithParam<TargetCase> {
protected:
    void SetUp() override { mask_ = ::umask(022); }
    void TearDown() override { ::umask(mask_); }
    mode_t mask_ = 0;
};

TEST_P(SaveTarget, WritesThroughLinksAndRefusesAnythingButAFile)
{
    const TargetCase& c = GetParam();
    TempDir dir;
    c.setUp(dir.Path());
    const auto before = Snapshot(dir.Path());
    const std::string name = (dir.Path() / c.saveAs).string();
    OutputLineStore store(1 << 20);
    store.Append("a");
    store.Append("b");

    if (c.writtenAt == nullptr) {
        try {
            SaveOutputFile(store, name);
            ADD_FAILURE() << "save accepted";
        } catch (const Failure& failure) {
            EXPECT_EQ(std::string(failure.what()), "Cannot create file " + name);
        }
        EXPECT_EQ(Snapshot(dir.Path()), before);
        return;
    }
    SaveOutputFile(store, name);
    const std::string target = (dir.Path() / c.writtenAt).string();
    EXPECT_EQ(ReadAll(target), "a\r\nb\r\n");
    struct stat st {};
    ASSERT_EQ(::lstat(target.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, c.mode);
    // Every link stays as it was; nothing else is added.
    auto after = Snapshot(dir.Path());
    after.erase(c.writtenAt);
    auto expected = before;
    expected.erase(c.writtenAt);
    EXPECT_EQ(after, expected);
}

INSTANTIATE_TEST_SUITE_P(Names, SaveTarget, testing::ValuesIn(TargetCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FileWriter, ReplacesTheFileInOneStep)
{
    TempDir dir;
    const std::string name = dir.Write("out.txt", "old");
    struct stat before {};
    ASSERT_EQ(::stat(name.c_str(), &before), 0);
    FileWriter file(name);
    file.Write("new");
    EXPECT_EQ(ReadAll(name), "old"); // nothing shows before the close
    file.Close();
    struct stat after {};
    ASSERT_EQ(::stat(name.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);
    EXPECT_EQ(ReadAll(name), "new");
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

TEST(FileWriter, DroppedBeforeTheCloseLeavesTheOldFileAndNoTrace)
{
    TempDir dir;
    const std::string name = dir.Write("out.txt", "old");
    {
        FileWriter file(name);
        file.Write(std::string(3 << 20, 'x')); // past the buffer: on disk already
    }
    EXPECT_EQ(ReadAll(name), "old");
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

TEST(FileWriter, MissingFoldersAreMadeOnlyWhenAsked)
{
    TempDir dir;
    const std::string name = (dir.Path() / "config/quillo/list.lst").string();
    EXPECT_THROW(FileWriter{name}, Failure);
    FileWriter file(name, {"cannot", "write"}, FileWriter::MissingFolders::Create);
    file.Write("x");
    file.Close();
    EXPECT_EQ(ReadAll(name), "x");
    EXPECT_EQ(fs::status(dir.Path() / "config/quillo").permissions(), fs::perms::owner_all);
}

// A full disk, honestly: the child process may not grow any file past the
// limit, so the save fails part-way, as it does when the disk fills up.
struct FullDiskCase {
    const char* name;
    std::size_t limit;     // bytes the disk still takes
    std::size_t lineBytes; // one line of that many bytes is saved
};

void PrintTo(const FullDiskCase& c, std::ostream* os) { *os << c.name; }

class FullDisk : public testing::TestWithParam<FullDiskCase> {};

TEST_P(FullDisk, LeavesTheOldFileWholeAndNoTemporaryFile)
{
    TempDir dir;
    std::string old;
    for (int i = 0; i < 1000; ++i)
        old += "old line " + std::to_string(i) + "\r\n";
    const std::string name = dir.Write("out.txt", old);
    const std::string message = FailureWithFileSizeLimit(GetParam().limit, [&] {
        OutputLineStore store(1 << 30);
        store.Append(std::string(GetParam().lineBytes, 'n'));
        SaveOutputFile(store, name);
    });
    EXPECT_EQ(message, "Stream write error");
    EXPECT_EQ(ReadAll(name), old);
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(Saves, FullDisk,
                         testing::Values(FullDiskCase{"NothingFits", 0, 10},
                                         FullDiskCase{"FirstBlockFitsNotAll", 4096, 100000},
                                         FullDiskCase{"PastTheWriteBuffer", 2u << 20, 3u << 20}),
                         [](const auto& info) { return std::string(info.param.name); });

// Written in place (the file has a second name), a full disk leaves the file
// with what was written before the failure, under both names; an empty list
// empties it.
TEST(FileWriter, InPlaceFullDiskLeavesTheFileShorterAndAnEmptyListEmptiesIt)
{
    TempDir dir;
    const std::string name = dir.Write("out.txt", std::string(100000, 'o'));
    const std::string other = (dir.Path() / "other-name.txt").string();
    fs::create_hard_link(name, other);
    const std::string message = FailureWithFileSizeLimit(4096, [&] {
        OutputLineStore store(1 << 30);
        store.Append(std::string(100000, 'n'));
        SaveOutputFile(store, name);
    });
    EXPECT_EQ(message, "Stream write error");
    EXPECT_EQ(ReadAll(name), std::string(4096, 'n'));
    EXPECT_EQ(ReadAll(other), ReadAll(name));

    SaveOutputFile(OutputLineStore(1 << 20), name);
    EXPECT_EQ(fs::file_size(name), 0u);
    EXPECT_EQ(fs::file_size(other), 0u);
    EXPECT_EQ(fs::hard_link_count(name), 2u);
}

// ---- what a save keeps, saved by root and by an unprivileged user ---------------

enum class Saver { Root, User };

void PrintTo(Saver s, std::ostream* os) { *os << (s == Saver::Root ? "root" : "user"); }

// Who is who in a row: the saver, and another user whose files the saver
// must not take over.
struct People {
    uid_t saver;
    uid_t other;
};

struct KeepCase {
    const char* name = "";
    Saver saver = Saver::Root;
    bool needsOtherUser = false;                                // sets up files or folders of another user
    std::function<void(const fs::path&, const People&)> setUp; // runs as root (or the one user there is)
    std::string saveAs;                                         // relative to the test's folder
    bool sameFile = false;                                      // the very file is kept (written in place)
    std::vector<std::string> alsoAt{};                          // other names that must see the new bytes
    bool ownedByOther = false;                                  // the saved file belongs to the other user
    mode_t mode = 0;                                            // its permission bits after the save
};

void PrintTo(const KeepCase& c, std::ostream* os) { *os << c.name; }

// A user's group: the one the process has for itself, the same number for
// the others (root, nobody).
gid_t GroupOf(uid_t user) { return user == ::geteuid() ? ::getegid() : user; }

void MakeFolder(const fs::path& dir, const std::string& name, mode_t mode, uid_t owner)
{
    fs::create_directories(dir / name);
    ASSERT_EQ(::chown((dir / name).c_str(), owner, GroupOf(owner)), 0) << name;
    ASSERT_EQ(::chmod((dir / name).c_str(), mode), 0) << name;
}

void MakeFile(const fs::path& dir, const std::string& name, mode_t mode, uid_t owner)
{
    std::ofstream(dir / name, std::ios::binary) << "old content\r\n";
    ASSERT_EQ(::chown((dir / name).c_str(), owner, GroupOf(owner)), 0) << name;
    ASSERT_EQ(::chmod((dir / name).c_str(), mode), 0) << name;
}

const std::string Name238 = "own/" + std::string(234, 'n') + ".txt";
const std::string Name255 = "own/" + std::string(251, 'm') + ".txt";

void OwnFolder(const fs::path& d, const People& p) { MakeFolder(d, "own", 0755, p.saver); }

std::vector<KeepCase> KeepCases()
{
    std::vector<KeepCase> cases;
    for (const Saver saver : {Saver::Root, Saver::User}) {
        const std::string by = saver == Saver::Root ? "ByRoot" : "ByUser";
        const bool root = saver == Saver::Root;
        const auto add = [&](std::string name, KeepCase c) {
            static std::deque<std::string> names; // the rows' names live as long as the table
            names.push_back(name + by);
            c.name = names.back().c_str();
            c.saver = saver;
            cases.push_back(std::move(c));
        };
        add("NewFileWith238ByteName", {.needsOtherUser = false, .setUp = OwnFolder, .saveAs = Name238, .mode = 0644});
        add("OwnFileWith255ByteNameReplaced",
            {.needsOtherUser = false,
             .setUp = [](const fs::path& d, const People& p) { OwnFolder(d, p), MakeFile(d, Name255, 0640, p.saver); },
             .saveAs = Name255,
             .mode = 0640});
        add("NewFileWith255ByteNameInAFolderOfDeepNames",
            {.needsOtherUser = false,
             .setUp =
                 [](const fs::path& d, const People& p) {
                     OwnFolder(d, p);
                     MakeFolder(d, "own/" + std::string(255, 'f'), 0755, p.saver);
                 },
             .saveAs = "own/" + std::string(255, 'f') + "/" + std::string(255, 'g'),
             .mode = 0644});
        // Root may write any folder: there the file is replaced as its own.
        add("WritableFileInReadOnlyFolder",
            {.needsOtherUser = false,
             .setUp =
                 [](const fs::path& d, const People& p) {
                     MakeFolder(d, "ro", 0755, p.saver);
                     MakeFile(d, "ro/out.txt", 0644, p.saver);
                     ASSERT_EQ(::chmod((d / "ro").c_str(), 0555), 0);
                 },
             .saveAs = "ro/out.txt",
             .sameFile = !root,
             .mode = 0644});
        add("OtherUsersWorldWritableFileInStickyFolder",
            {.needsOtherUser = true,
             .setUp =
                 [](const fs::path& d, const People& p) {
                     MakeFolder(d, "sticky", 01777, 0);
                     MakeFile(d, "sticky/out.txt", 0666, p.other);
                 },
             .saveAs = "sticky/out.txt",
             .sameFile = true,
             .ownedByOther = true,
             .mode = 0666});
        add("OtherUsersWorldWritableFileKeepsItsOwner",
            {.needsOtherUser = true,
             .setUp =
                 [](const fs::path& d, const People& p) {
                     OwnFolder(d, p);
                     MakeFile(d, "own/out.txt", 0666, p.other);
                 },
             .saveAs = "own/out.txt",
             .sameFile = true,
             .ownedByOther = true,
             .mode = 0666});
        add("HardLinkSeesTheNewContent",
            {.needsOtherUser = false,
             .setUp =
                 [](const fs::path& d, const People& p) {
                     OwnFolder(d, p);
                     MakeFile(d, "own/out.txt", 0640, p.saver);
                     fs::create_hard_link(d / "own/out.txt", d / "own/other-name.txt");
                 },
             .saveAs = "own/out.txt",
             .sameFile = true,
             .alsoAt = {"own/other-name.txt"},
             .mode = 0640});
        add("HardLinkInAnotherFolderSeesTheNewContent",
            {.needsOtherUser = false,
             .setUp =
                 [](const fs::path& d, const People& p) {
                     OwnFolder(d, p);
                     MakeFolder(d, "elsewhere", 0755, p.saver);
                     MakeFile(d, "elsewhere/out.txt", 0600, p.saver);
                     fs::create_hard_link(d / "elsewhere/out.txt", d / "own/out.txt");
                 },
             .saveAs = "own/out.txt",
             .sameFile = true,
             .alsoAt = {"elsewhere/out.txt"},
             .mode = 0600});
        add("OwnFileWithOneNameReplacedInOneStep",
            {.needsOtherUser = false,
             .setUp = [](const fs::path& d, const People& p) { OwnFolder(d, p), MakeFile(d, "own/out.txt", 0604, p.saver); },
             .saveAs = "own/out.txt",
             .mode = 0604});
    }
    return cases;
}

class SaveKeeps : public testing::TestWithParam<KeepCase> {
protected:
    void SetUp() override
    {
        mask_ = ::umask(022);
        const KeepCase& c = GetParam();
        if (::geteuid() != 0 && (c.saver == Saver::Root || c.needsOtherUser))
            GTEST_SKIP() << "needs root";
        // Not root: the one user there is saves the "User" rows itself.
        people_ = {::geteuid() == 0 ? (c.saver == Saver::Root ? 0 : Nobody) : ::geteuid(),
                   c.saver == Saver::Root ? Nobody : 0};
        ASSERT_EQ(::chmod(dir_.Path().c_str(), 0755), 0); // the user reaches the folders below
    }
    void TearDown() override
    {
        ::umask(mask_);
        ::chmod((dir_.Path() / "ro").c_str(), 0755); // so that the folder can go
    }

    // Saves the lines as the row's saver; "saved" or the failure's message.
    std::string SaveAsSaver(const std::string& name, const std::vector<std::string>& lines)
    {
        const auto save = [&] {
            OutputLineStore store(1 << 20);
            for (const auto& line : lines)
                store.Append(line);
            SaveOutputFile(store, name);
            return std::string("saved");
        };
        const bool drop = ::geteuid() == 0 && people_.saver != 0;
        return InChild(save, drop ? std::optional(people_.saver) : std::nullopt);
    }

    TempDir dir_;
    People people_{};
    mode_t mask_ = 0;
};

TEST_P(SaveKeeps, TheFileItsOwnerAndItsOtherNames)
{
    const KeepCase& c = GetParam();
    c.setUp(dir_.Path(), people_);
    const std::string name = (dir_.Path() / c.saveAs).string();
    struct stat before {};
    const bool existed = ::stat(name.c_str(), &before) == 0;

    ASSERT_EQ(SaveAsSaver(name, {"a", "b"}), "saved");

    EXPECT_EQ(ReadAll(name), "a\r\nb\r\n");
    for (const auto& other : c.alsoAt)
        EXPECT_EQ(ReadAll((dir_.Path() / other).string()), "a\r\nb\r\n") << other;
    struct stat after {};
    ASSERT_EQ(::lstat(name.c_str(), &after), 0);
    EXPECT_TRUE(S_ISREG(after.st_mode));
    EXPECT_EQ(after.st_mode & 07777, c.mode);
    const uid_t owner = c.ownedByOther ? people_.other : people_.saver;
    EXPECT_EQ(after.st_uid, owner);
    EXPECT_EQ(after.st_gid, GroupOf(owner));
    EXPECT_EQ(after.st_nlink, 1 + c.alsoAt.size());
    if (existed) {
        EXPECT_EQ(after.st_ino == before.st_ino, c.sameFile);
    }
    EXPECT_TRUE(LeftoverTemporaries(dir_.Path()).empty());
}

INSTANTIATE_TEST_SUITE_P(RootAndUser, SaveKeeps, testing::ValuesIn(KeepCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A save killed with SIGKILL in the middle of a big write. Where the file
// system offers unnamed temporary files nothing at all is left behind;
// wherever a temporary was left, the next save in the folder removes it.
class KilledSave : public testing::TestWithParam<Saver> {};

TEST_P(KilledSave, LeavesTheOldFileAndNoTemporaryAfterTheNextSave)
{
    const bool root = ::geteuid() == 0;
    if (!root && GetParam() == Saver::Root)
        GTEST_SKIP() << "needs root";
    const uid_t saver = root && GetParam() == Saver::User ? Nobody : ::geteuid();
    TempDir dir;
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    MakeFolder(dir.Path(), "own", 0755, saver);
    MakeFile(dir.Path(), "own/out.txt", 0644, saver);
    const std::string name = (dir.Path() / "own/out.txt").string();

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(ready[0]);
        if (saver != ::geteuid() && (::setgroups(0, nullptr) != 0 || ::setgid(saver) != 0 || ::setuid(saver) != 0))
            ::_exit(1);
        FileWriter file(name);
        const std::string chunk(1 << 20, 'x');
        for (int i = 0; i < 16; ++i)
            file.Write(chunk); // past the buffer: on disk
        (void)!::write(ready[1], "w", 1);
        for (;;)
            ::pause(); // killed here, mid-save
    }
    ::close(ready[1]);
    char got = 0;
    const bool written = ::read(ready[0], &got, 1) == 1;
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(written) << "the save did not get under way";
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(ReadAll(name), "old content\r\n");
    const int probe = ::open((dir.Path() / "own").c_str(), O_TMPFILE | O_WRONLY, 0600);
    if (probe >= 0) {
        ::close(probe);
        EXPECT_EQ(Snapshot(dir.Path() / "own").size(), 1u) << "an unnamed temporary left a name";
    }
    const std::string next = InChild(
        [&] {
            OutputLineStore store(1 << 20);
            store.Append("next");
            SaveOutputFile(store, (dir.Path() / "own/other.txt").string());
            return std::string("saved");
        },
        saver != ::geteuid() ? std::optional(saver) : std::nullopt);
    ASSERT_EQ(next, "saved");
    EXPECT_TRUE(LeftoverTemporaries(dir.Path()).empty());
    EXPECT_EQ(Snapshot(dir.Path() / "own").size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(RootAndUser, KilledSave, testing::Values(Saver::Root, Saver::User),
                         [](const auto& info) { return std::string(info.param == Saver::Root ? "ByRoot" : "ByUser"); });

// What a save that replaces a file removes from its folder as left by a
// killed save, and what it leaves alone.
struct StaleCase {
    const char* name;
    std::function<void(const fs::path&)> setUp; // makes the candidate in the folder
    const char* candidate;
    bool removed;
    bool needsRoot = false;
    bool lockedByALiveSave = false;
};

void PrintTo(const StaleCase& c, std::ostream* os) { *os << c.name; }

class StaleTemporary : public testing::TestWithParam<StaleCase> {};

TEST_P(StaleTemporary, OnlyOurOwnUnlockedFilesGo)
{
    const StaleCase& c = GetParam();
    if (c.needsRoot && ::geteuid() != 0)
        GTEST_SKIP() << "needs root";
    TempDir dir;
    c.setUp(dir.Path());
    int lock = -1; // a live save's lock on its temporary
    if (c.lockedByALiveSave) {
        lock = ::open((dir.Path() / c.candidate).c_str(), O_RDWR);
        ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);
    }
    OutputLineStore store(1 << 20);
    store.Append("a");
    SaveOutputFile(store, (dir.Path() / "out.txt").string());
    if (lock >= 0)
        ::close(lock);
    struct stat st {};
    EXPECT_EQ(::lstat((dir.Path() / c.candidate).c_str(), &st) != 0, c.removed);
    EXPECT_EQ(ReadAll((dir.Path() / "out.txt").string()), "a\r\n");
}

void Stale(const fs::path& d, const char* name) { std::ofstream(d / name) << "stale"; }

const StaleCase StaleCases[] = {
    {"LeftByAKilledSave", [](const fs::path& d) { Stale(d, ".quillo-Ab12Cd"); }, ".quillo-Ab12Cd", true, false},
    {"LockedByALiveSave", [](const fs::path& d) { Stale(d, ".quillo-Ab12Cd"); }, ".quillo-Ab12Cd", false, false, true},
    {"AnotherUsersFile",
     [](const fs::path& d) {
         Stale(d, ".quillo-Ab12Cd");
         ASSERT_EQ(::chown((d / ".quillo-Ab12Cd").c_str(), Nobody, Nobody), 0);
     },
     ".quillo-Ab12Cd", false, true},
    {"SymbolicLink", [](const fs::path& d) { Stale(d, "kept"), Link(d, ".quillo-Ab12Cd", "kept"); }, ".quillo-Ab12Cd",
     false, false},
    {"FileWithASecondName",
     [](const fs::path& d) { Stale(d, ".quillo-Ab12Cd"), fs::create_hard_link(d / ".quillo-Ab12Cd", d / "kept"); },
     ".quillo-Ab12Cd", false, false},
    {"Fifo", [](const fs::path& d) { ASSERT_EQ(::mkfifo((d / ".quillo-Ab12Cd").c_str(), 0600), 0); },
     ".quillo-Ab12Cd", false, false},
    {"Folder", [](const fs::path& d) { fs::create_directory(d / ".quillo-Ab12Cd"); }, ".quillo-Ab12Cd", false, false},
    {"NameTooShort", [](const fs::path& d) { Stale(d, ".quillo-Ab12C"); }, ".quillo-Ab12C", false, false},
    {"NameTooLong", [](const fs::path& d) { Stale(d, ".quillo-Ab12Cde"); }, ".quillo-Ab12Cde", false, false},
    {"NameWithOtherCharacters", [](const fs::path& d) { Stale(d, ".quillo-Ab-2Cd"); }, ".quillo-Ab-2Cd", false, false},
    {"NameNotHidden", [](const fs::path& d) { Stale(d, "quillo-Ab12Cd"); }, "quillo-Ab12Cd", false, false},
};

INSTANTIATE_TEST_SUITE_P(Candidates, StaleTemporary, testing::ValuesIn(StaleCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace quillo::test
