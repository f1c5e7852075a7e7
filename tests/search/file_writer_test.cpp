// Saving replaces a file in one step and never blocks on, or destroys, what
// stands under the name: links are written through, anything but a regular
// file is refused, a failed save leaves the old file whole.
#include "search/failure.h"
#include "search/file_writer.h"
#include "search/output_file.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

} // namespace
} // namespace quillo::test
