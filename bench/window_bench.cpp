// quillo-window-bench: the search run in the real main window, against the
// engine alone in the same process.
//
//   quillo-window-bench --out build/bench.json --corpus build/bench-corpus
//                       --platform offscreen|xcb [--runs N] [--huge-lines N]
//                       [--add-folder-only]
//
// offscreen: W1, the run of E1 (one string, case-insensitive, default options)
//            in the window with the status bar showing.
// xcb:       W2, the same under a real X server, with the largest delay
//            between a click posted during the run and its handling; W3,
//            reverse logic with the "Output List" page in front (against E3),
//            and the peak resident memory of the process over W3; and HW,
//            reverse logic over the file of 40 million short lines with the
//            "Output List" page in front and clicks posted during it (against
//            the same run of the engine alone); AF, "Add Folder" over the
//            bench's 100,000 small files spread over nested folders, against
//            `find DIR -type f | sort`, with clicks posted while it lists; and
//            beside it the listing alone (AFL, no window) and AFO, the floor
//            of the binary test: every file of the tree opened, its first
//            8 KiB read and closed, one file after the other, nothing else.
// --add-folder-only: the xcb figures of "Add Folder" alone.
// The platform itself comes from QT_QPA_PLATFORM; --platform names the figures.

#include "bench_common.h"
#include "corpus.h"
#include "flat_json.h"
#include "window_driving.h"

#include "filelist/folder_listing.h"
#include "search/output/number_format.h"
#include "ui/window/Unit1.h"
#include "ui/platform/event_dispatcher.h"
#include "ui/window/page_control.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointingDevice>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <thread>

namespace {

using namespace bench;

// Posts mouse clicks to a label from another thread at random moments while a
// run is under way and records how long each waited to be handled.
class ClickProbe : public QObject {
public:
    explicit ClickProbe(QWidget* target) : target_(target)
    {
        QPointingDevice::primaryPointingDevice(); // made here, not in the posting thread
        target_->installEventFilter(this);
    }
    ~ClickProbe() override { Stop(); }

    void Start()
    {
        running_ = true;
        worker_ = std::thread([this] { Post(); });
    }
    void Stop()
    {
        running_ = false;
        if (worker_.joinable())
            worker_.join();
    }
    double MaxDelayMs() const { return maxDelay_.count() / 1e6; }
    int Clicks() const { return clicks_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == target_ && event->type() == QEvent::MouseButtonPress && pending_) {
            const auto delay = Clock::now() - postedAt_.load();
            maxDelay_ = std::max(maxDelay_, std::chrono::duration_cast<std::chrono::nanoseconds>(delay));
            ++clicks_;
            pending_ = false;
            return true;
        }
        return false;
    }

private:
    void Post()
    {
        std::mt19937 random(42);
        while (running_) {
            std::this_thread::sleep_for(std::chrono::microseconds(1000 + random() % 9000));
            if (pending_)
                continue;
            pending_ = true;
            postedAt_ = Clock::now();
            const QPointF at(2, 2);
            QCoreApplication::postEvent(target_, new QMouseEvent(QEvent::MouseButtonPress, at, at, at, Qt::LeftButton,
                                                                 Qt::LeftButton, Qt::NoModifier));
        }
    }

    QWidget* target_;
    std::thread worker_;
    std::atomic<bool> running_{false};
    std::atomic<bool> pending_{false};
    std::atomic<Clock::time_point> postedAt_{};
    std::chrono::nanoseconds maxDelay_{0};
    int clicks_ = 0;
};

struct WindowRun {
    double seconds;
    EngineResult found;
    std::uint64_t eventRuns = 0; // how often the run let events run
    double eventSeconds = 0;     // and how long they took
};

// The peak resident memory of this process over a stretch of work: the
// kernel's high-water mark (VmHWM), set back to the resident size of the
// moment when the stretch starts.
class PeakMemory {
public:
    // Freed heap goes back to the system first: what the engine runs of this
    // benchmark left in the allocator's free lists is no part of the stretch.
    static void Reset()
    {
        ::malloc_trim(0);
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.flush();
        if (!clear)
            Fail("cannot reset the peak resident memory through /proc/self/clear_refs");
    }
    static double PeakMiB()
    {
        std::ifstream status("/proc/self/status");
        std::string key;
        while (status >> key) {
            if (key == "VmHWM:") {
                double kib = 0;
                status >> kib;
                return kib / 1024;
            }
            status.ignore(1 << 20, '\n');
        }
        Fail("no VmHWM in /proc/self/status");
    }
};

constexpr double MiB = 1024.0 * 1024.0;

// The files of the tree "Add Folder" lists: those of quillo-bench's many files.
constexpr std::uint64_t ManyTreeFiles = 100'000;

// What the binary test of "Add Folder" cannot do with less, one thread: each
// regular file below the folder (the type from the listing, no stat) opened
// relative to its folder, its first 8 KiB read and closed. No sorting, no
// names kept. Returns the count of files read.
std::uint64_t OpenAndReadEach(int folder)
{
    DIR* listing = ::fdopendir(folder);
    if (!listing) {
        ::close(folder);
        return 0;
    }
    static char probe[quillo::BinaryProbeBytes];
    std::uint64_t files = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const char* name = entry->d_name;
        if (entry->d_type == DT_DIR && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
            const int below = ::openat(::dirfd(listing), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (below >= 0)
                files += OpenAndReadEach(below);
        } else if (entry->d_type == DT_REG) {
            const int fd = ::openat(::dirfd(listing), name, O_RDONLY | O_CLOEXEC | O_NOATIME | O_NONBLOCK);
            if (fd >= 0 && ::pread(fd, probe, sizeof probe, 0) >= 0)
                ++files;
            if (fd >= 0)
                ::close(fd);
        }
    }
    ::closedir(listing);
    return files;
}

// The engine's figures as timed in this process, beside the window's, so that
// the window's ratios can be read from the file: E1's run, E3's and H's (the
// last two only under xcb; the xcb run comes last and its E1 stays).
void SetEngineFigures(FlatJson& json, double e1, double e3, double huge)
{
    if (e1 > 0)
        json.SetNumber("window_engine_s", e1);
    if (e3 > 0)
        json.SetNumber("window_engine_reverse_s", e3);
    if (huge > 0)
        json.SetNumber("window_engine_huge_s", huge);
}

void Usage()
{
    std::fprintf(stderr, "usage: quillo-window-bench --out FILE.json --corpus FOLDER --platform offscreen|xcb "
                         "[--runs N] [--huge-lines N] [--add-folder-only]\n");
    std::exit(2);
}

} // namespace

int main(int argc, char** argv)
{
    std::string outPath, corpusFolder, platform;
    int runs = 5;
    std::uint64_t hugeLines = HugeFileLines;
    bool addFolderOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--out" && hasValue)
            outPath = argv[++i];
        else if (arg == "--corpus" && hasValue)
            corpusFolder = argv[++i];
        else if (arg == "--platform" && hasValue)
            platform = argv[++i];
        else if (arg == "--runs" && hasValue)
            runs = std::atoi(argv[++i]);
        else if (arg == "--huge-lines" && hasValue)
            hugeLines = std::strtoull(argv[++i], nullptr, 10);
        else if (arg == "--add-folder-only")
            addFolderOnly = true;
        else
            Usage();
    }
    if (outPath.empty() || corpusFolder.empty() || (platform != "offscreen" && platform != "xcb") || runs < 1 ||
        hugeLines < 10 || (addFolderOnly && platform != "xcb"))
        Usage();
    const bool xcb = platform == "xcb";

    int qtArgc = 1;
    char* qtArgv[] = {argv[0], nullptr};
    quillo::UseLeanEventDispatcher(); // as the program does
    QApplication application(qtArgc, qtArgv);
    if (QGuiApplication::platformName() != QString::fromStdString(platform))
        Fail("running on the platform " + QGuiApplication::platformName().toStdString() + ", not " + platform);
    std::setlocale(LC_ALL, "");
    quillo::SetNumberSeparators(quillo::SeparatorsFromLocale());
    std::setlocale(LC_NUMERIC, "C");

    const Corpus corpus = addFolderOnly ? Corpus{} : PrepareCorpus(corpusFolder, CorpusShape{}, false);
    std::vector<std::string> files;
    for (const CorpusFile& f : corpus.files)
        files.push_back(f.crlfPath);
    Warm(files);
    HugeFile huge;
    std::string tree;
    std::uint64_t treeFiles = 0;
    if (xcb) {
        try {
            if (!addFolderOnly)
                huge = PrepareHugeFile(corpusFolder, hugeLines, true);
            const ManyFiles many = PrepareManyFiles(corpusFolder, ManyTreeFiles, 1000, true);
            tree = PrepareManyTree(many);
            treeFiles = many.files;
        } catch (const std::exception& e) {
            Fail(std::string("huge file: ") + e.what());
        }
    }

    QuietDialogs dialogs;
    quillo::TForm1 form(dialogs);
    Control<QCheckBox>(form, "OptionLineCount")->setChecked(true);
    Control<QCheckBox>(form, "OptionProgress")->setChecked(true);
    for (const char* off : {"OptionWordCount", "OptionNumbering", "OptionCase", "OptionReverse", "OptionSave",
                            "OptionUnixFile", "OptionOneInstance"})
        Control<QCheckBox>(form, off)->setChecked(false);
    Control<QLineEdit>(form, "FString1")->setText(TargetWord);
    form.show();
    // What the window does before a run (showing itself, another page or
    // option taken) is painted before the run starts, as it would be for a
    // user who then clicks Search: each figure times the run alone.
    auto settle = [](int rounds) {
        for (int i = 0; i < rounds; ++i) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    };
    settle(20);
    auto listFiles = [&](const std::vector<std::string>& list) {
        form.cmdFLClearClick();
        for (const std::string& file : list)
            form.AppendFileEntry(file);
    };

    ClickProbe probe(Control<QLabel>(form, "Label1"));
    ClickProbe hugeProbe(Control<QLabel>(form, "Label2"));
    // One run in the window over the listed files (with clicks posted during
    // it when probing); the output list is cleared after it.
    auto windowRun = [&](std::uint64_t expectHeaders, std::uint64_t expectSearched, std::uint64_t expectFound,
                         ClickProbe* probing) {
        ::malloc_trim(0); // every run starts with the memory freed before given back
        if (probing)
            probing->Start();
        const std::uint64_t eventRuns = form.EventRuns();
        const auto eventTime = form.EventTime();
        const auto start = Clock::now();
        form.CmdSearchClick();
        WindowRun run{SecondsSince(start), {}};
        run.eventRuns = form.EventRuns() - eventRuns;
        run.eventSeconds = std::chrono::duration<double>(form.EventTime() - eventTime).count();
        if (probing)
            probing->Stop();
        QCoreApplication::processEvents(); // the last click posted, if it is still waiting
        CountFindings(form.OutputLines(), run.found);
        Expect(run.found.headerLines == expectHeaders && run.found.foundLines == expectFound,
               "the window found " + std::to_string(run.found.foundLines) + " lines, expected " +
                   std::to_string(expectFound));
        Expect(form.PanelText(0).toStdString() ==
                   "Lines Searched: " + quillo::FormatNumber(static_cast<long double>(expectSearched)),
               "panel 0 reads " + form.PanelText(0).toStdString());
        form.CmdClearClick();
        QCoreApplication::processEvents();
        return run;
    };
    // Reverse logic with the "Output List" page in front, for the length of a call.
    auto reversed = [&](auto&& body) {
        Control<QCheckBox>(form, "OptionReverse")->setChecked(true);
        Control<quillo::PageControl>(form, "PageControl1")->SetCurrentIndex(2);
        settle(3);
        auto result = body();
        Control<QCheckBox>(form, "OptionReverse")->setChecked(false);
        Control<quillo::PageControl>(form, "PageControl1")->SetCurrentIndex(0);
        settle(3);
        return result;
    };

    quillo::SearchSettings single;
    single.String1 = TargetWord;
    quillo::SearchSettings reverse = single;
    reverse.Options.Reverse = true;
    auto engineRun = [&](const quillo::SearchSettings& settings, const std::vector<std::string>& list,
                         std::uint64_t expectFound) {
        ::malloc_trim(0);
        const EngineResult r = RunEngine(settings, list);
        Expect(r.foundLines == expectFound, "the engine found " + std::to_string(r.foundLines) + " lines");
        return r.seconds;
    };

    FlatJson json;
    if (!json.Load(outPath))
        Fail(outPath + " is not a flat JSON object; not overwriting it");

    const std::uint64_t headers = 1 + files.size();
    const std::uint64_t reverseFound = corpus.lines - corpus.targetLines;
    std::vector<double> engineSingle, engineReverse, windowSingle, windowReverse, engineHuge, windowHuge;
    double peakMiB = 0;
    double reverseFoundBytes = 0;
    std::uint64_t reverseStoreLines = 0;
    const int corpusRuns = addFolderOnly ? 0 : runs;
    listFiles(files);
    settle(3);
    for (int run = 1; run <= corpusRuns; ++run) {
        std::fprintf(stderr, "run %d of %d:", run, runs);
        engineSingle.push_back(engineRun(single, files, corpus.targetLines));
        const WindowRun w = windowRun(headers, corpus.lines, corpus.targetLines, xcb ? &probe : nullptr);
        windowSingle.push_back(w.seconds);
        std::fprintf(stderr, " E1 %.3f W %.3f (events %llu times, %.3f s)", engineSingle.back(), w.seconds,
                     static_cast<unsigned long long>(w.eventRuns), w.eventSeconds);
        if (xcb) {
            engineReverse.push_back(engineRun(reverse, files, reverseFound));
            const WindowRun w3 = reversed([&] {
                PeakMemory::Reset();
                const WindowRun r = windowRun(headers, corpus.lines, reverseFound, nullptr);
                peakMiB = std::max(peakMiB, PeakMemory::PeakMiB());
                return r;
            });
            windowReverse.push_back(w3.seconds);
            reverseFoundBytes = static_cast<double>(w3.found.foundBytes);
            reverseStoreLines = w3.found.foundLines + w3.found.headerLines;
            std::fprintf(stderr, " E3 %.3f W3 %.3f (events %llu times, %.3f s) peak %.0f MiB", engineReverse.back(),
                         w3.seconds, static_cast<unsigned long long>(w3.eventRuns), w3.eventSeconds, peakMiB);
        }
        std::fprintf(stderr, "\n");
    }
    if (xcb && !addFolderOnly) {
        const std::vector<std::string> hugeList = {huge.path};
        const std::uint64_t hugeFound = huge.lines - huge.targetLines;
        Warm(hugeList);
        listFiles(hugeList);
        settle(3);
        for (int run = 1; run <= runs; ++run) {
            std::fprintf(stderr, "huge run %d of %d:", run, runs);
            engineHuge.push_back(engineRun(reverse, hugeList, hugeFound));
            const WindowRun hw = reversed([&] { return windowRun(2, huge.lines, hugeFound, &hugeProbe); });
            windowHuge.push_back(hw.seconds);
            std::fprintf(stderr, " H %.3f HW %.3f (events %llu times, %.3f s)\n", engineHuge.back(), hw.seconds,
                         static_cast<unsigned long long>(hw.eventRuns), hw.eventSeconds);
        }
    }

    // AF: the tree added through "Add Folder" (its dialog answered at once
    // with the default masks), against find and sort over the same tree.
    std::vector<double> addFolder, addFolderAll, findSort, openReadFloor, listingAlone;
    ClickProbe addProbe(Control<QLabel>(form, "Label1"));
    if (xcb) {
        const std::string find = "find '" + tree + "' -type f | LC_ALL=C sort > /dev/null";
        Expect(std::system(find.c_str()) == 0, "find over the tree failed"); // warms the caches
        dialogs.addFolderAnswer =
            quillo::AddFolderChoice{QString::fromStdString(tree), "", ".git;.hg;.svn;node_modules", true, true};
        for (int run = 1; run <= runs; ++run) {
            form.cmdFLClearClick();
            settle(3);
            ::malloc_trim(0);
            addProbe.Start();
            const auto start = Clock::now();
            form.cmdFLAddFolderClick();
            addFolder.push_back(SecondsSince(start));
            addProbe.Stop();
            QCoreApplication::processEvents();
            Expect(form.FileCount() == treeFiles,
                   "Add Folder listed " + std::to_string(form.FileCount()) + " files of " + std::to_string(treeFiles));
            // The same without the look into each file for a zero byte: what
            // the listing itself costs.
            dialogs.addFolderAnswer->skipBinary = false;
            form.cmdFLClearClick();
            settle(3);
            const auto allStart = Clock::now();
            form.cmdFLAddFolderClick();
            addFolderAll.push_back(SecondsSince(allStart));
            dialogs.addFolderAnswer->skipBinary = true;
            Expect(form.FileCount() == treeFiles, "Add Folder without the binary test listed " +
                                                      std::to_string(form.FileCount()) + " files");
            const auto findStart = Clock::now();
            Expect(std::system(find.c_str()) == 0, "find over the tree failed");
            findSort.push_back(SecondsSince(findStart));
            const auto floorStart = Clock::now();
            const int top = ::open(tree.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            Expect(top >= 0 && OpenAndReadEach(top) == treeFiles, "the tree's files could not all be read");
            openReadFloor.push_back(SecondsSince(floorStart));
            std::vector<std::string> listed;
            const auto aloneStart = Clock::now();
            quillo::ListFolderTree(tree, {"", ".git;.hg;.svn;node_modules", true, true}, listed);
            listingAlone.push_back(SecondsSince(aloneStart));
            Expect(listed.size() == treeFiles, "the listing alone found " + std::to_string(listed.size()) + " files");
            std::fprintf(stderr, "add folder run %d of %d: AF %.3f AF2 %.3f find %.3f floor %.3f listing %.3f\n",
                         run, runs, addFolder.back(), addFolderAll.back(), findSort.back(), openReadFloor.back(),
                         listingAlone.back());
        }
        form.cmdFLClearClick();
    }

    std::printf("\n%-3s %-56s %9s %7s  %s\n", "", "figure", "median s", "ratio", "target");
    auto row = [](const char* id, const char* what, double s, double ratio, double target, const char* of) {
        char verdict[48] = "";
        if (target > 0)
            std::snprintf(verdict, sizeof verdict, "<= %.2f x %s: %s", target, of, ratio <= target ? "met" : "MISSED");
        std::printf("%-3s %-56s %9.3f %7.3f  %s\n", id, what, s, ratio, verdict);
    };
    // The window's process has Qt's threads, and a multi-threaded process pays
    // more for each read() (the kernel locks the file position, the C library
    // handles cancellation); the engine alone is timed here in this process as
    // well, so that the ratio shows what the window adds. Against the figures
    // of quillo-bench, a process of one thread, both costs show.
    const double e1Alone = json.Number("single_s"), e3Alone = json.Number("reverse_s"),
                 hugeAlone = json.Number("huge_engine_s");
    auto againstAlone = [](const char* what, double s, double alone) {
        if (alone > 0)
            std::printf("    %s / the same figure of quillo-bench (one thread, %.3f s): %.3f\n", what, alone,
                        s / alone);
    };
    if (!xcb) {
        const double e1 = Median(engineSingle), w = Median(windowSingle);
        row("E1", "engine alone, one string (this process)", e1, 1.0, 0, "");
        row("W1", "window, offscreen, status bar showing", w, w / e1, 1.1, "E1");
        againstAlone("W1", w, e1Alone);
        json.SetNumber("window_offscreen_s", w);
    } else if (!addFolderOnly) {
        const double e1 = Median(engineSingle), w = Median(windowSingle);
        row("E1", "engine alone, one string (this process)", e1, 1.0, 0, "");
        const double e3 = Median(engineReverse), w3 = Median(windowReverse);
        const double h = Median(engineHuge), hw = Median(windowHuge);
        row("W2", "window, Xvfb (xcb), status bar showing", w, w / e1, 1.1, "E1");
        againstAlone("W2", w, e1Alone);
        row("E3", "engine alone, reverse logic (this process)", e3, 1.0, 0, "");
        row("W3", "window, Xvfb, reverse logic, Output List in front", w3, w3 / e3, 1.3, "E3");
        againstAlone("W3", w3, e3Alone);
        row("H", "engine alone, reverse logic, huge file (this process)", h, 1.0, 0, "");
        row("HW", "window, Xvfb, the same, Output List in front", hw, hw / h, 1.3, "H");
        againstAlone("HW", hw, hugeAlone);

        const double delay = probe.MaxDelayMs(), hugeDelay = hugeProbe.MaxDelayMs();
        std::printf("\nlargest delay of %d clicks posted during W2: %.2f ms (target < 20 ms: %s)\n", probe.Clicks(),
                    delay, delay < 20 ? "met" : "MISSED");
        std::printf("largest delay of %d clicks posted during HW: %.2f ms (target < 20 ms: %s)\n",
                    hugeProbe.Clicks(), hugeDelay, hugeDelay < 20 ? "met" : "MISSED");
        Expect(probe.Clicks() > 0, "no click was handled during W2");
        Expect(hugeProbe.Clicks() > 0, "no click was handled during HW");

        // The output list's store holds the found bytes and up to 16 bytes a
        // line; the rest of the process (Qt, the X connection, the corpus
        // names) gets 150 MiB.
        const double peakTarget = (reverseFoundBytes + 16.0 * static_cast<double>(reverseStoreLines)) / MiB + 150;
        std::printf("peak resident memory over W3: %.1f MiB (target <= %.1f MiB = %.1f MiB found in %llu lines "
                    "+ 16 bytes a line + 150 MiB: %s)\n",
                    peakMiB, peakTarget, reverseFoundBytes / MiB, static_cast<unsigned long long>(reverseStoreLines),
                    peakMiB <= peakTarget ? "met" : "MISSED");

        json.SetNumber("window_xcb_s", w);
        json.SetNumber("window_reverse_s", w3);
        json.SetNumber("max_event_delay_ms", delay);
        json.SetNumber("huge_window_s", hw);
        json.SetNumber("huge_max_event_delay_ms", hugeDelay);
        json.SetNumber("peak_rss_mb", peakMiB);
    }
    if (xcb) {
        const double af = Median(addFolder), found = Median(findSort), afDelay = addProbe.MaxDelayMs();
        std::printf("\n");
        row("AFT", "find DIR -type f | sort, the 100,000-file tree", found, 1.0, 0, "");
        // What no listing with the binary test can go below on this machine.
        const double floor = Median(openReadFloor), alone = Median(listingAlone);
        row("AFO", "each file opened, 8 KiB read, closed: binary test floor", floor, floor / found, 0, "");
        row("AFL", "the listing alone, default masks (no window)", alone, alone / found, 0, "");
        std::printf("    AFL / AFO: %.2f, AF / AFO: %.2f\n", alone / floor, Median(addFolder) / floor);
        row("AF", "Add Folder, the same tree, default masks", af, af / found, 2.0, "AFT");
        const double afAll = Median(addFolderAll);
        row("AF2", "the same, \"Skip binary files\" off (no file read)", afAll, afAll / found, 2.0, "AFT");
        std::printf("largest delay of %d clicks posted during AF: %.2f ms (target <= 100 ms: %s)\n", addProbe.Clicks(),
                    afDelay, afDelay <= 100 ? "met" : "MISSED");
        Expect(addProbe.Clicks() > 0, "no click was handled during AF");
        json.SetNumber("add_folder_s", af);
        json.SetNumber("add_folder_find_s", found);
        json.SetNumber("add_folder_no_binary_test_s", afAll);
        json.SetNumber("add_folder_max_event_delay_ms", afDelay);
        json.SetNumber("add_folder_floor_s", floor);
        json.SetNumber("add_folder_listing_s", alone);
    }
    SetEngineFigures(json, engineSingle.empty() ? 0 : Median(engineSingle),
                     engineReverse.empty() ? 0 : Median(engineReverse),
                     engineHuge.empty() ? 0 : Median(engineHuge));
    if (!json.Save(outPath))
        Fail("cannot write " + outPath);
    return 0;
}
