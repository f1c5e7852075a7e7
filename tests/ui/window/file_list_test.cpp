// The file list in the window: Save and Load, Delete, the Search switches of
// each list operation, and files and folders dropped on the window.
#include "filelist/filedrag.h"
#include "filelist/folder_listing.h"
#include "filelist/list_file.h"
#include "ui_test_support.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace quillo::test {
namespace {

using Entries = std::vector<std::string>;

const QString FolderSuffix = " is a Folder\nDo you want to load all files in this Folder?";

class FileListTest : public WindowTest {
protected:
    Entries Listed() const { return form->FileEntries(); }
    void Click(const char* button) { Find<QPushButton>(button)->click(); }
    std::string ListFile() const { return form->FileListFile(); }

    // A folder in the test's folder holding the named files and subfolders.
    std::string Folder(const QString& name, const QStringList& files, const QStringList& folders = {})
    {
        QDir(dir.path()).mkpath(name);
        for (const QString& f : folders)
            QDir(dir.filePath(name)).mkpath(f);
        for (const QString& f : files)
            Write(name + "/" + f, "x");
        return Path(name);
    }

    // Drags the paths over the window and drops them, as the desktop does;
    // returns whether the window took the drop.
    bool Drop(const Entries& paths)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const std::string& p : paths)
            urls << QUrl::fromLocalFile(QFile::decodeName(p.c_str()));
        mime.setUrls(urls);
        const QPoint at = form->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(form.get(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        drop.ignore();
        QApplication::sendEvent(form.get(), &drop);
        EXPECT_EQ(enter.isAccepted(), drop.isAccepted());
        return drop.isAccepted();
    }
};

TEST_F(FileListTest, SaveAndLoadGiveBackTheListDuplicatesAndEmptyEntriesIncluded)
{
    const Entries entries = {"/x/a.txt", "", "/x/a.txt", " spaced ", "/x/\xc3\xa4\xff"};
    for (const std::string& e : entries)
        form->AppendFileEntry(e);
    Click("cmdFLSave");
    EXPECT_EQ(Read(QFile::decodeName(ListFile().c_str())),
              QByteArray("/x/a.txt\r\n\r\n/x/a.txt\r\n spaced \r\n/x/\xc3\xa4\xff\r\n"));
    Click("cmdFLClear");
    form->AppendFileEntry("dropped by Load");
    Click("cmdFLLoad");
    EXPECT_EQ(Listed(), entries);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.failures.empty());

    // An empty list writes 0 bytes, and loading them empties the list.
    Click("cmdFLClear");
    Click("cmdFLSave");
    EXPECT_EQ(Read(QFile::decodeName(ListFile().c_str())).size(), 0);
    form->AppendFileEntry("a");
    Click("cmdFLLoad");
    EXPECT_TRUE(Listed().empty());
}

TEST_F(FileListTest, LoadAndSaveFailuresLeaveTheListAsItWas)
{
    form->AppendFileEntry("kept");
    Click("cmdFLLoad"); // nothing saved yet
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Error");
    EXPECT_EQ(dialogs.messages[0].text, "You have not saved a file list yet.");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Error);
    EXPECT_EQ(dialogs.messages[0].buttons, MsgOk);
    EXPECT_EQ(Listed(), Entries{"kept"});

    QDir(dir.path()).mkdir("quillo.lst"); // exists, but cannot be read as a file
    Click("cmdFLLoad");
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].caption, "Quillo");
    EXPECT_EQ(dialogs.failures[0].text, QString::fromStdString("Cannot open file " + ListFile() + "."));
    EXPECT_EQ(Listed(), Entries{"kept"});

    const std::string fifo = Path("fifo.lst");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    form->SetFileListFile(fifo);
    Click("cmdFLSave"); // refused at once: a FIFO would wait for a reader for good
    ASSERT_EQ(dialogs.failures.size(), 2u);
    EXPECT_EQ(dialogs.failures[1].text, QString::fromStdString("Cannot create file " + ListFile() + "."));
    EXPECT_EQ(Listed(), Entries{"kept"});
}

TEST_F(FileListTest, DeleteRemovesTheSelectedEntriesOnly)
{
    const struct {
        std::vector<int> selected;
        Entries left;
    } cases[] = {
        {{1, 2}, {"1", "4", "5"}},
        {{0, 2, 4}, {"2", "4"}},
        {{4, 3}, {"1", "2", "3"}},
        {{}, {"1", "2", "3", "4", "5"}},
        {{0, 1, 2, 3, 4}, {}},
    };
    auto* list = Find<QListWidget>("FileList");
    form->AppendFileEntry("x");
    Edit("FString1")->setText("s");
    for (const auto& c : cases) {
        list->clear();
        for (const char* e : {"1", "2", "3", "4", "5"})
            form->AppendFileEntry(e);
        for (int i : c.selected)
            list->item(i)->setSelected(true);
        Click("cmdFLDelete");
        EXPECT_EQ(Listed(), c.left);
    }
    EXPECT_TRUE(Tool("CmdSearch")->isEnabled()); // an emptied list leaves Search as it was
}

TEST_F(FileListTest, FileListFileLiesBesideTheProgram)
{
    TForm1 fresh(dialogs);
    const QString program = QCoreApplication::applicationFilePath();
    ASSERT_TRUE(program.endsWith("/quillo_ui_tests"));
    EXPECT_EQ(fresh.FileListFile(), QFile::encodeName(program).toStdString() + ".lst");
}

// ---- the Search switches ------------------------------------------------------

enum class Op { Open, AddFolder, Drop, DropMissing, Clear, Delete, Save, Load };
constexpr int Same = -1; // the switch keeps its state

struct SwitchCase {
    const char* name;
    Op op;
    bool string1; // FString1 holds text
    bool listed;  // the list has an entry beforehand
    int search, menu, start;
};

void PrintTo(const SwitchCase& c, std::ostream* os)
{
    *os << c.name;
}

class SearchSwitches : public FileListTest, public ::testing::WithParamInterface<SwitchCase> {};

TEST_P(SearchSwitches, FollowTheOperationsOwnRule)
{
    const SwitchCase& c = GetParam();
    const std::string file = Write("f.txt", "x");
    WriteListFile(ListFile(), {file});
    if (c.listed)
        form->AppendFileEntry(file);
    Edit("FString1")->setText(c.string1 ? "s" : "");
    for (const bool preset : {false, true}) {
        Tool("CmdSearch")->setEnabled(preset);
        Menu("mSearch")->setEnabled(preset);
        Item("mStart")->setEnabled(preset);
        switch (c.op) {
        case Op::Open:
            dialogs.openAnswers.push_back(QStringList{QFile::decodeName(file.c_str())});
            Tool("CmdOpen")->click();
            break;
        case Op::AddFolder:
            dialogs.addFolderAnswers.push_back(AddFolderChoice{dir.path(), "f.txt", "", true, true});
            Click("cmdFLAddFolder");
            break;
        case Op::Drop:
            Drop({file});
            break;
        case Op::DropMissing:
            Drop({Path("missing.txt")});
            break;
        case Op::Clear:
            Click("cmdFLClear");
            break;
        case Op::Delete:
            Find<QListWidget>("FileList")->selectAll();
            Click("cmdFLDelete");
            break;
        case Op::Save:
            Click("cmdFLSave");
            break;
        case Op::Load:
            Click("cmdFLLoad");
            break;
        }
        const auto expected = [preset](int v) { return v == Same ? preset : v == 1; };
        EXPECT_EQ(Tool("CmdSearch")->isEnabled(), expected(c.search)) << "preset " << preset;
        EXPECT_EQ(Menu("mSearch")->isEnabled(), expected(c.menu)) << "preset " << preset;
        EXPECT_EQ(Item("mStart")->isEnabled(), expected(c.start)) << "preset " << preset;
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

INSTANTIATE_TEST_SUITE_P(
    FileList, SearchSwitches,
    ::testing::Values(SwitchCase{"OpenWithString", Op::Open, true, false, 1, Same, 1},
                      SwitchCase{"OpenWithoutString", Op::Open, false, true, 0, Same, 0},
                      SwitchCase{"AddFolderWithString", Op::AddFolder, true, false, 1, Same, 1},
                      SwitchCase{"AddFolderWithoutString", Op::AddFolder, false, true, 0, Same, 0},
                      SwitchCase{"DropWithString", Op::Drop, true, false, 1, 1, Same},
                      SwitchCase{"DropWithoutString", Op::Drop, false, true, 0, 0, Same},
                      SwitchCase{"DropOfNothingOnEmptyList", Op::DropMissing, true, false, 0, 0, Same},
                      SwitchCase{"DropOfNothingOnList", Op::DropMissing, true, true, 1, 1, Same},
                      SwitchCase{"Clear", Op::Clear, true, true, 0, 0, Same},
                      SwitchCase{"Delete", Op::Delete, true, true, Same, Same, Same},
                      SwitchCase{"Save", Op::Save, true, true, Same, Same, Same},
                      SwitchCase{"LoadIntoEmptyList", Op::Load, true, false, Same, Same, Same}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- drops --------------------------------------------------------------------

TEST_F(FileListTest, DroppedFoldersAreAskedForInDropOrder)
{
    const std::string files = Folder("files", {"b.txt", ".hidden", "a.txt"}, {"sub"});
    Write("files/sub/inner.txt", "not entered");
    const std::string onlyFolders = Folder("folders", {}, {"one", "two"});
    const std::string second = Folder("second", {"s.txt"});
    const std::string file = Write("plain.txt", "x");

    // Yes (the default) for the first folder, the file in its place, the
    // folder of subfolders asked for and adding nothing, a missing name skipped.
    EXPECT_TRUE(Drop({files, file, onlyFolders, Path("missing.txt")}));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const FakeDialogs::Shown& q = dialogs.messages[i];
        EXPECT_EQ(q.caption, "Quillo Warning:");
        EXPECT_EQ(q.icon, MsgIcon::Warning);
        EXPECT_EQ(q.buttons, MsgYes | MsgNo);
        EXPECT_EQ(q.defaultButton, MsgYes);
    }
    EXPECT_EQ(dialogs.messages[0].text, QString::fromStdString(files) + FolderSuffix);
    EXPECT_EQ(dialogs.messages[1].text, QString::fromStdString(onlyFolders) + FolderSuffix);
    Entries listed = Listed();
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[3], file);
    listed.pop_back();
    std::sort(listed.begin(), listed.end()); // the folder's own order is the directory's
    EXPECT_EQ(listed, (Entries{files + "/.hidden", files + "/a.txt", files + "/b.txt"}));

    // No for the first folder, Yes for the second.
    Click("cmdFLClear");
    dialogs.boxAnswers = {MsgNo, MsgYes};
    Drop({files, second});
    EXPECT_EQ(dialogs.messages.size(), 4u);
    EXPECT_EQ(Listed(), Entries{second + "/s.txt"});
    EXPECT_EQ(Find<PageControl>("PageControl1")->CurrentPage()->objectName(), "TabSheet1"); // page unchanged
}

TEST_F(FileListTest, LongFolderPathCutsTheQuestionButNotTheEntries)
{
    const QString name = QString(200, 'd');
    const std::string folder = Folder(name, {"f.txt"});
    ASSERT_GT(folder.size(), 197u);
    Drop({folder});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, (QString::fromStdString(folder) + FolderSuffix).left(255));
    EXPECT_EQ(Listed(), Entries{folder + "/f.txt"});
}

TEST_F(FileListTest, DropsAnywhereReachTheWindowAndAreRefusedDuringARun)
{
    // No control takes a drop for itself, so Qt hands every drop on the
    // window to the window, where the drop target sits.
    EXPECT_TRUE(form->acceptDrops());
    for (const QWidget* child : form->findChildren<QWidget*>())
        EXPECT_FALSE(child->acceptDrops()) << child->objectName().toStdString();

    const std::string a = Write("a.txt", QByteArray("line\r\n").repeated(40));
    const std::string b = Write("b.txt", "x");
    EXPECT_TRUE(Drop({a}));
    Edit("FString1")->setText("zzz");
    bool refused = false;
    QTimer::singleShot(0, [&] {
        EXPECT_FALSE(form->DropEnabled());
        refused = !Drop({b});
    });
    Tool("CmdSearch")->click();
    EXPECT_TRUE(refused);
    EXPECT_EQ(Listed(), Entries{a});
    EXPECT_TRUE(form->DropEnabled());
    EXPECT_TRUE(Drop({b}));
    EXPECT_EQ(Listed(), (Entries{a, b}));
    EXPECT_EQ(form->DropTarget()->NameOnly(), Entries{"b.txt"});
}

TEST_F(FileListTest, AFullListRefusesWithUnableToInsertALine)
{
    form->SetFileListLimit(2);
    const QStringList chosen = {dir.filePath("1"), dir.filePath("\xc3\xa4"), dir.filePath("3")};
    dialogs.openAnswers.push_back(chosen);
    Edit("FString1")->setText("s");
    Tool("CmdOpen")->click();
    // The entries before the refusal stay, as file-system bytes.
    EXPECT_EQ(Listed(), (Entries{Path("1"), Path("\xc3\xa4")}));
    EXPECT_EQ(Find<QListWidget>("FileList")->item(1)->text(), dir.filePath("\xc3\xa4"));
    ASSERT_EQ(dialogs.failures.size(), 1u);
    EXPECT_EQ(dialogs.failures[0].text, "Unable to insert a line.");
    EXPECT_FALSE(Item("mStart")->isEnabled()); // the rest of Open was skipped

    WriteListFile(ListFile(), {"a", "b", "c"});
    Click("cmdFLLoad"); // the list is emptied before it is filled
    EXPECT_EQ(Listed(), (Entries{"a", "b"}));
    EXPECT_EQ(dialogs.failures.size(), 2u);
}

// ---- Add Folder ---------------------------------------------------------------

// The visible progress dialog of a listing, or nothing.
QDialog* ProgressDialog()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "ListingProgress" && w->isVisible())
            return qobject_cast<QDialog*>(w);
    return nullptr;
}

class AddFolderTest : public FileListTest {
protected:
    // src/ holds b.cpp, a.h, bin.dat (binary), .git/x.cpp, lib/c.cpp, lib/deep/d.cpp.
    void SetUp() override
    {
        FileListTest::SetUp();
        root = Folder("src", {"b.cpp", "a.h", ".git/x.cpp", "lib/c.cpp", "lib/deep/d.cpp"}, {".git", "lib/deep"});
        Write("src/bin.dat", QByteArray("a\0b", 3));
    }
    AddFolderChoice Choice(const QString& folder, const QString& names = "", bool binary = true)
    {
        return {folder, names, ".git", true, binary};
    }
    std::string root;
};

TEST_F(AddFolderTest, AppendsTheTreeInNameOrderAndKeepsTheValuesForTheNextStart)
{
    form->AppendFileEntry("first");
    const AddFolderChoice shownFirst = {"", "", ".git;.hg;.svn;node_modules", true, true};
    const AddFolderChoice typed = Choice(dir.filePath("src/"), "*.cpp; *.h");
    dialogs.addFolderAnswers.push_back(typed);
    Click("cmdFLAddFolder");
    EXPECT_EQ(Listed(),
              (Entries{"first", root + "/a.h", root + "/b.cpp", root + "/lib/c.cpp", root + "/lib/deep/d.cpp"}));
    ASSERT_EQ(dialogs.addFolderShown.size(), 1u);
    EXPECT_EQ(dialogs.addFolderShown[0], shownFirst);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(dialogs.failures.empty());

    // Cancelled: nothing changes, and the dialog offers the confirmed values.
    Click("cmdFLAddFolder");
    EXPECT_EQ(Listed().size(), 5u);
    ASSERT_EQ(dialogs.addFolderShown.size(), 2u);
    EXPECT_EQ(dialogs.addFolderShown[1], typed);

    // Kept in the settings file at close, offered again by the next window.
    ASSERT_TRUE(form->close());
    const QByteArray settings = Read(dir.filePath("quillo.ini"));
    EXPECT_TRUE(settings.contains("[Add Folder]\n")) << settings.toStdString();
    EXPECT_TRUE(settings.contains("File Names=*.cpp; *.h\nSkip Folders=.git\nSubfolders=1\nSkip Binary=1\n"))
        << settings.toStdString();
    form = std::make_unique<TForm1>(dialogs);
    form->SetFileListFile(Path("quillo.lst"));
    form->SetSettingsFile(Path("quillo.ini"));
    form->Invoke(&TForm1::FormCreate);
    Click("cmdFLAddFolder");
    ASSERT_EQ(dialogs.addFolderShown.size(), 3u);
    EXPECT_EQ(dialogs.addFolderShown[2], typed);
}

TEST_F(AddFolderTest, RefusalsAndEmptyResults)
{
    const struct {
        const char* name;
        std::vector<std::optional<AddFolderChoice>> answers;
        std::vector<QString> refusals; // shown while the dialog stays open
        std::vector<QString> messages; // shown after it closed
        Entries added;
    } cases[] = {
        {"MissingFolderThenAFolder",
         {Choice(dir.filePath("none")), Choice(dir.filePath("src"), "*.h")},
         {"Folder not found: " + dir.filePath("none")},
         {},
         {root + "/a.h"}},
        {"AFileIsNoFolder",
         {Choice(dir.filePath("src/a.h")), std::nullopt},
         {"Folder not found: " + dir.filePath("src/a.h")},
         {},
         {}},
        {"NothingMatched", {Choice(dir.filePath("src"), "*.none")}, {}, {"No files matched"}, {}},
        {"BinaryKept", {Choice(dir.filePath("src"), "*.dat", false)}, {}, {}, {root + "/bin.dat"}},
        {"BinaryLeftOut", {Choice(dir.filePath("src"), "*.dat")}, {}, {"No files matched"}, {}},
        {"Cancelled", {std::nullopt}, {}, {}, {}},
    };
    for (const auto& c : cases) {
        form->cmdFLClearClick();
        dialogs.messages.clear();
        dialogs.addFolderRefusals.clear();
        dialogs.addFolderAnswers.assign(c.answers.begin(), c.answers.end());
        Click("cmdFLAddFolder");
        EXPECT_EQ(dialogs.addFolderRefusals, c.refusals) << c.name;
        std::vector<QString> shown;
        for (const auto& m : dialogs.messages)
            shown.push_back(m.text);
        EXPECT_EQ(shown, c.messages) << c.name;
        EXPECT_EQ(Listed(), c.added) << c.name;
    }
    EXPECT_TRUE(dialogs.failures.empty());
}

// Names are listed as bytes: an entry beyond ASCII, valid UTF-8 or not, comes
// back from the list exactly, beside entries of plain ASCII.
TEST_F(AddFolderTest, NamesBeyondAsciiKeepTheirBytes)
{
    const std::string bytes = Folder("bytes", {});
    const Entries names = {"a.txt", "z.txt", "\xc3\xa4.txt", "\xff.txt"}; // in byte order
    for (const std::string& name : names)
        std::ofstream(bytes + "/" + name) << "text";
    dialogs.addFolderAnswers.push_back(Choice(dir.filePath("bytes")));
    Click("cmdFLAddFolder");
    Entries expected;
    for (const std::string& name : names)
        expected.push_back(bytes + "/" + name);
    EXPECT_EQ(Listed(), expected);
    // The temporary folder's removal goes by names as text: "\xff" has none.
    std::filesystem::remove_all(bytes);
}

TEST_F(AddFolderTest, RelativeAndHomeFoldersAreFullPaths)
{
    EXPECT_EQ(FolderAdding::FolderPath("~"), QFile::encodeName(QDir::homePath()).toStdString());
    EXPECT_EQ(FolderAdding::FolderPath("~/x"), QFile::encodeName(QDir::homePath() + "/x").toStdString());
    EXPECT_EQ(FolderAdding::FolderPath("x/y"), QFile::encodeName(QDir::currentPath() + "/x/y").toStdString());
    EXPECT_EQ(FolderAdding::FolderPath("/x"), "/x");
}

// Cancel in the progress dialog stops the listing; the files found until
// then are added, the first ones in name order.
TEST_F(AddFolderTest, CancelInTheProgressKeepsWhatWasFound)
{
    for (int i = 0; i < 2000; ++i)
        Write(QString("src/lib/f%1.txt").arg(i, 4, 10, QChar('0')), "x");
    form->SetListingProgressAfter({});
    Entries all;
    ASSERT_TRUE(ListFolderTree(root, {"*.txt", "", true, true}, all));
    ASSERT_EQ(all.size(), 2000u);

    QString countShown;
    QTimer::singleShot(0, form.get(), [&] {
        QDialog* progress = ProgressDialog();
        ASSERT_NE(progress, nullptr);
        EXPECT_TRUE(progress->isModal());
        countShown = progress->findChild<QLabel*>("Count")->text();
        progress->findChild<QPushButton*>("Cancel")->click();
    });
    dialogs.addFolderAnswers.push_back(Choice(dir.filePath("src"), "*.txt"));
    Click("cmdFLAddFolder");
    const Entries added = Listed();
    EXPECT_FALSE(countShown.isEmpty());
    EXPECT_GT(added.size(), 0u);
    EXPECT_LT(added.size(), all.size());
    EXPECT_EQ(added, Entries(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(added.size())));
    EXPECT_EQ(ProgressDialog(), nullptr);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A "**" pattern on the command line lists with the same progress, and
// Cancel keeps what it found without a "Wrong filename!".
TEST_F(AddFolderTest, CancelInAPatternsProgressKeepsWhatWasFound)
{
    for (int i = 0; i < 2000; ++i)
        Write(QString("src/lib/f%1.txt").arg(i, 4, 10, QChar('0')), "x");
    for (const bool cancel : {false, true}) {
        form = std::make_unique<TForm1>(dialogs);
        form->SetFileListFile(Path("quillo.lst"));
        form->SetSettingsFile(Path("quillo.ini"));
        form->SetCommandLine({root + "/**/*.txt"});
        form->SetListingProgressAfter({});
        bool shown = false;
        QTimer::singleShot(0, form.get(), [&] {
            QDialog* progress = ProgressDialog();
            shown = progress != nullptr;
            if (progress && cancel)
                progress->reject();
        });
        form->Invoke(&TForm1::FormCreate);
        EXPECT_TRUE(shown) << cancel;
        EXPECT_EQ(Listed().size() < 2000u, cancel);
        EXPECT_GT(Listed().size(), 0u);
        EXPECT_EQ(Listed().front(), root + "/lib/f0000.txt");
        EXPECT_TRUE(dialogs.messages.empty());
    }
}

} // namespace
} // namespace quillo::test
