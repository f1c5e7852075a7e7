// quillo-soak: a long session in the real main window, offscreen. Run after
// run over a mixed set of files, as a user would make them: the file list
// saved, cleared and loaded again, the search string typed, Search clicked,
// every tenth run cancelled midway by a click on Cancel, the output cleared.
//
//   quillo-soak --out build/soak.json --work build/soak-files [--runs N]
//
// It fails (exit status 1) when resident memory after the last run is more
// than 10% above that after the tenth, when a file descriptor is left open,
// or when any run's output or status panels differ from what the files hold:
// a complete run must give exactly the lines and counts derived from the
// generated files and the engine's own output for them, a cancelled run the
// beginning of that output and fewer lines searched.
#include "bench_common.h"
#include "flat_json.h"
#include "window_driving.h"

#include "search/output/number_format.h"
#include "search/output/output_store.h"
#include "search/search_run.h"
#include "ui/window/Unit1.h"
#include "ui/platform/event_dispatcher.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBasicTimer>
#include <QCheckBox>
#include <QLineEdit>
#include <QTimerEvent>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {

using namespace bench;
namespace fs = std::filesystem;

constexpr const char* Word = "needle";

// One entry of the file list with the lines a Unix-mode search reads from it.
struct SoakFile {
    std::string entry;               // the list entry (a path, or empty)
    std::vector<std::string> lines;  // what the search reads
    std::string bytes;               // what the file holds
    bool exists = true;
};

// Text without the letter e, so that the word turns up only where it is put.
std::string Filler(std::mt19937& random, std::size_t length)
{
    static const std::string letters = "abcdfghijklmnopqrstuvwxyz ABCDFGHIJKLMNOPQRSTUVWXYZ0123456789.,;";
    std::string text(length, ' ');
    for (char& c : text)
        c = letters[random() % letters.size()];
    return text;
}

// The word in some letter case at a random place of the line.
void PutWord(std::mt19937& random, std::string& line)
{
    std::string word = Word;
    for (char& c : word)
        if (random() % 2)
            c = static_cast<char>(c - 'a' + 'A');
    line.insert(random() % (line.size() + 1), word);
}

SoakFile LinesFile(const fs::path& folder, const char* name, std::size_t count, std::size_t longest,
                   std::string_view lineEnd, std::mt19937& random)
{
    SoakFile file{(folder / name).string(), {}, {}};
    for (std::size_t i = 0; i < count; ++i) {
        std::string line = Filler(random, random() % (longest + 1));
        if (random() % 9 == 0)
            PutWord(random, line);
        file.bytes += line;
        file.bytes += lineEnd;
        file.lines.push_back(std::move(line));
    }
    return file;
}

// The mixed set: CR LF, LF and CR line ends, a byte 26 with lines after it
// that are never read, lines of 100,000 bytes, an empty file, a missing one
// and an empty entry.
std::vector<SoakFile> MixedFiles(const fs::path& folder)
{
    std::mt19937 random(20261207);
    std::vector<SoakFile> files;
    files.push_back(LinesFile(folder, "crlf.txt", 3000, 90, "\r\n", random));
    files.push_back(LinesFile(folder, "lf.txt", 2000, 120, "\n", random));
    files.push_back(LinesFile(folder, "cr.txt", 1000, 60, "\r", random));
    SoakFile ctrlZ = LinesFile(folder, "ctrl-z.txt", 500, 80, "\r\n", random);
    ctrlZ.bytes += '\x1a';
    ctrlZ.bytes += LinesFile(folder, "unread", 500, 80, "\r\n", random).bytes;
    files.push_back(std::move(ctrlZ));
    files.push_back(LinesFile(folder, "long-lines.txt", 6, 100000, "\n", random));
    files.push_back({(folder / "empty.txt").string(), {}, {}});
    files.push_back({(folder / "missing.txt").string(), {}, {}, false});
    files.push_back({"", {}, {}, false});
    // A long file last: a run cancelled at half its output has files left.
    // Long enough that the run lasts several times the event pump's interval
    // (events run at most every 3 ms), so that events run while the second
    // half of the output is still being searched.
    files.push_back(LinesFile(folder, "crlf-2.txt", 1'500'000, 90, "\r\n", random));
    for (const SoakFile& file : files)
        if (file.exists)
            std::ofstream(file.entry, std::ios::binary) << file.bytes;
    return files;
}

std::vector<std::string> Entries(const std::vector<SoakFile>& files)
{
    std::vector<std::string> entries;
    for (const SoakFile& file : files)
        entries.push_back(file.entry);
    return entries;
}

bool HasWord(std::string_view line)
{
    std::string folded(line);
    for (char& c : folded)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return folded.find("NEEDLE") != std::string::npos;
}

// What a complete run must show, derived from the files as generated.
struct Expected {
    std::vector<std::string> output;
    std::uint64_t linesSearched = 0;
    std::uint64_t linesFound = 0;
};

Expected FromFiles(const std::vector<SoakFile>& files)
{
    Expected expected;
    expected.output.emplace_back("*****  New Search  *****");
    for (const SoakFile& file : files) {
        expected.output.push_back("***** File: \"" + file.entry + "\"- Search Pattern=" + Word + " *****");
        for (std::size_t i = 0; i < file.lines.size(); ++i) {
            ++expected.linesSearched;
            if (HasWord(file.lines[i])) {
                ++expected.linesFound;
                expected.output.push_back(std::to_string(i + 1) + " : " + file.lines[i]);
            }
        }
    }
    return expected;
}

std::vector<std::string> Lines(const quillo::OutputLineStore& store)
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < store.Count(); ++i)
        lines.emplace_back(store.Line(i));
    return lines;
}

// The search every run makes: the word, case ignored, Unix line ends, lines
// numbered, words counted, the status panels on.
quillo::SearchSettings SoakSettings()
{
    quillo::SearchSettings settings;
    settings.String1 = Word;
    settings.Options.UnixFile = true;
    settings.Options.Numbering = true;
    settings.Options.WordCount = true;
    return settings;
}

void SetOptions(quillo::TForm1& form)
{
    for (const char* on : {"OptionLineCount", "OptionProgress", "OptionWordCount", "OptionNumbering", "OptionUnixFile"})
        Control<QCheckBox>(form, on)->setChecked(true);
    for (const char* off : {"OptionCase", "OptionReverse", "OptionSave", "OptionOneInstance", "OptionClearAll",
                            "OptionLoadList"})
        Control<QCheckBox>(form, off)->setChecked(false);
}

void Click(quillo::TForm1& form, const char* button)
{
    QAbstractButton* control = Control<QAbstractButton>(form, button);
    Expect(control->isEnabled(), std::string(button) + " is disabled");
    control->click();
}

// Clicks Cancel from inside a run's event processing once the output list
// holds a number of lines: a zero timer, run whenever the run lets events run.
class MidwayCancel : public QObject {
public:
    explicit MidwayCancel(quillo::TForm1& form) : form_(form), cancel_(Control<QAbstractButton>(form, "CmdCancel")) {}

    void Arm(std::size_t afterLines)
    {
        afterLines_ = afterLines;
        clicked_ = false;
        timer_.start(0, this);
    }
    bool Disarm()
    {
        timer_.stop();
        return clicked_;
    }

protected:
    void timerEvent(QTimerEvent* event) override
    {
        if (event->timerId() != timer_.timerId() || !cancel_->isEnabled() ||
            form_.OutputLines().Count() < afterLines_)
            return;
        cancel_->click();
        clicked_ = true;
        timer_.stop();
    }

private:
    quillo::TForm1& form_;
    QAbstractButton* cancel_;
    QBasicTimer timer_;
    std::size_t afterLines_ = 0;
    bool clicked_ = false;
};

long ResidentKb()
{
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

int OpenDescriptors()
{
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                ++count;
        ::closedir(dir);
    }
    return count - 1; // the listing's own
}

std::string Panel(const quillo::TForm1& form, int i) { return form.PanelText(i).toStdString(); }

void ExpectPanels(const quillo::TForm1& form, const BenchHost& engine, int run)
{
    for (int i = 0; i < 4; ++i)
        Expect(Panel(form, i) == engine.Panel(i), "run " + std::to_string(run) + ": panel " + std::to_string(i) +
                                                      " reads \"" + Panel(form, i) + "\", the engine alone \"" +
                                                      engine.Panel(i) + "\"");
}

void Usage()
{
    std::fprintf(stderr, "usage: quillo-soak --out FILE.json --work FOLDER [--runs N]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    std::string outPath, workFolder;
    int runs = 1000;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue)
            outPath = argv[++i];
        else if (arg == "--work" && hasValue)
            workFolder = argv[++i];
        else if (arg == "--runs" && hasValue)
            runs = std::atoi(argv[++i]);
        else
            Usage();
    }
    if (outPath.empty() || workFolder.empty() || runs < 10)
        Usage();

    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    quillo::UseLeanEventDispatcher(); // as the program does
    QApplication application(qtArgc, qtArgv);
    std::setlocale(LC_ALL, "");
    quillo::SetNumberSeparators(quillo::SeparatorsFromLocale());
    std::setlocale(LC_NUMERIC, "C");

    const fs::path work = fs::absolute(workFolder);
    fs::remove_all(work);
    fs::create_directories(work);
    const std::vector<SoakFile> files = MixedFiles(work);
    const std::vector<std::string> entries = Entries(files);
    const Expected expected = FromFiles(files);

    // The engine alone over the same files, as the reference for the panels.
    quillo::OutputLineStore engineLines;
    BenchHost engine(SoakSettings(), entries, engineLines);
    quillo::SearchRun(engine);
    Expect(Lines(engineLines) == expected.output, "the engine alone does not give the lines the files hold");
    Expect(engine.Panel(0) == "Lines Searched: " + quillo::FormatNumber(expected.linesSearched),
           "the engine alone shows " + engine.Panel(0));
    Expect(engine.Panel(1) == "Lines Found: " + quillo::FormatNumber(expected.linesFound),
           "the engine alone shows " + engine.Panel(1));

    QuietDialogs dialogs;
    quillo::TForm1 form(dialogs);
    form.SetFileListFile((work / "quillo.lst").string());
    form.SetSettingsFile((work / "quillo.ini").string());
    Expect(form.Invoke(&quillo::TForm1::FormCreate), "FormCreate failed");
    SetOptions(form);
    for (const std::string& entry : entries)
        form.AppendFileEntry(entry);
    form.show();
    QCoreApplication::processEvents();
    QLineEdit* string1 = Control<QLineEdit>(form, "FString1");
    QAbstractButton* search = Control<QAbstractButton>(form, "CmdSearch");
    MidwayCancel canceller(form);

    const int fdBefore = OpenDescriptors();
    long rssAfter10 = 0;
    int cancelled = 0;
    const auto start = Clock::now();
    for (int run = 1; run <= runs; ++run) {
        const std::string which = "run " + std::to_string(run) + ": ";
        Click(form, "cmdFLSave");
        Click(form, "cmdFLClear");
        Expect(form.FileCount() == 0, which + "the file list was not cleared");
        Click(form, "cmdFLLoad");
        Expect(form.FileEntries() == entries, which + "the file list did not load back as saved");
        string1->setText(QString());
        string1->setText(QString::fromLatin1(Word));
        Expect(search->isEnabled(), which + "Search is not enabled after typing the string");

        const bool cancel = run % 10 == 5; // the last run is a complete one
        if (cancel)
            canceller.Arm(expected.output.size() / 2);
        search->click();
        const bool clicked = canceller.Disarm();
        const std::vector<std::string> output = Lines(form.OutputLines());
        if (cancel) {
            Expect(clicked, which + "Cancel was never clicked: the run let no events run past the half");
            Expect(output.size() < expected.output.size() &&
                       std::equal(output.begin(), output.end(), expected.output.begin()),
                   which + "the cancelled run's output is not the beginning of a complete run's");
            Expect(Panel(form, 0) != engine.Panel(0), which + "the cancelled run searched every line");
            ++cancelled;
        } else {
            Expect(output == expected.output, which + "the output differs from the lines the files hold");
            ExpectPanels(form, engine, run);
        }

        Click(form, "CmdClear");
        QCoreApplication::processEvents();
        Expect(form.OutputLines().Count() == 0, which + "Clear left lines in the output list");
        Expect(OpenDescriptors() == fdBefore, which + std::to_string(OpenDescriptors()) +
                                                  " file descriptors open, " + std::to_string(fdBefore) +
                                                  " before the first run");
        if (run == 10)
            rssAfter10 = ResidentKb();
        if (run % 100 == 0)
            std::fprintf(stderr, "%d runs, %ld KB resident\n", run, ResidentKb());
    }
    const double seconds = SecondsSince(start);
    const long rssAfterLast = ResidentKb();
    const int fdAfter = OpenDescriptors();
    const double growth = 100.0 * static_cast<double>(rssAfterLast - rssAfter10) / static_cast<double>(rssAfter10);

    FlatJson json;
    json.SetInteger("runs", static_cast<unsigned long long>(runs));
    json.SetInteger("cancelled_runs", static_cast<unsigned long long>(cancelled));
    json.SetInteger("rss_after_run_10_kb", static_cast<unsigned long long>(rssAfter10));
    json.SetInteger("rss_after_last_run_kb", static_cast<unsigned long long>(rssAfterLast));
    json.SetNumber("rss_growth_percent", growth);
    json.SetInteger("fd_before_first_run", static_cast<unsigned long long>(fdBefore));
    json.SetInteger("fd_after_last_run", static_cast<unsigned long long>(fdAfter));
    json.SetInteger("lines_per_run", expected.linesSearched);
    json.SetInteger("found_lines_per_run", expected.linesFound);
    json.SetNumber("seconds", seconds);
    if (!json.Save(outPath))
        Fail("cannot write " + outPath);

    std::printf("runs                   %d (%d cancelled midway)\n", runs, cancelled);
    std::printf("lines per run          %llu searched, %llu found\n",
                static_cast<unsigned long long>(expected.linesSearched),
                static_cast<unsigned long long>(expected.linesFound));
    std::printf("resident after run 10  %ld KB\n", rssAfter10);
    std::printf("resident after run %-4d %ld KB (%+.2f%%, limit +10%%)\n", runs, rssAfterLast, growth);
    std::printf("file descriptors       %d before the first run, %d after the last\n", fdBefore, fdAfter);
    std::printf("seconds                %.1f\n", seconds);
    std::printf("figures written to     %s\n", outPath.c_str());
    Expect(growth <= 10.0, "resident memory grew by more than 10% from run 10 to the last run");
    Expect(fdAfter == fdBefore, "file descriptors were left open");
    form.close();
    return 0;
}
