#include "search/search_run.h"

#include "search/read/file_scan.h"
#include "search/match/match_highlight.h"
#include "search/run_flags.h"

#include <cstdint>
#include <string>
#include <utility>

namespace quillo {
namespace {

// Restores the normal cursor when the run leaves, however it leaves.
class CursorRestore {
public:
    explicit CursorRestore(RunHost& host) : host_(host) {}
    ~CursorRestore() { host_.RestoreCursor(); }
    CursorRestore(const CursorRestore&) = delete;
    CursorRestore& operator=(const CursorRestore&) = delete;

private:
    RunHost& host_;
};

// The window locked for the run; unlocking returns it to the idle state, and
// happens on the way out if a failure skipped the normal unlock.
class RunLock {
public:
    explicit RunLock(RunHost& host) : host_(host)
    {
        host_.SetSearchButtonEnabled(false);
        host_.SetSearchMenuEnabled(false);
        host_.SetDropEnabled(false);
        host_.SetCancelEnabled(true);
        host_.SetSaveEnabled(false);
        CancelRequested = false;
        host_.SetMainPageEnabled(false);
    }
    ~RunLock()
    {
        if (locked_) {
            try {
                host_.KeepTitleForFailure();
                Unlock();
            } catch (...) {
                // Already leaving with a failure; that one is reported.
            }
        }
    }
    RunLock(const RunLock&) = delete;
    RunLock& operator=(const RunLock&) = delete;

    void Unlock()
    {
        locked_ = false;
        host_.SetSearchButtonEnabled(true);
        host_.SetSearchMenuEnabled(true);
        host_.SetDropEnabled(true);
        host_.SetSaveEnabled(true);
        host_.SetCancelEnabled(false);
        host_.ClearSaveDialogName();
        host_.SetApplicationTitle(IdleTitle);
        host_.SetCaption(IdleTitle);
        host_.SetMainPageEnabled(true);
        SearchRunning = false;
    }

private:
    RunHost& host_;
    bool locked_ = true;
};

// Under "Only files with found lines": the scan's host, which appends a
// file's header line only just before the file's first found line.
class FirstFoundHeader final : public ScanHost {
public:
    explicit FirstFoundHeader(RunHost& host) : host_(host) {}

    // The header waiting for the file's first found line.
    void Hold(std::string header, std::string entry)
    {
        header_ = std::move(header);
        entry_ = std::move(entry);
        held_ = true;
    }

    void AppendLine(std::string_view line) override
    {
        Release();
        host_.AppendLine(line);
    }
    void AppendFoundLine(std::string_view line, std::uint32_t lineNumber) override
    {
        Release();
        host_.AppendFoundLine(line, lineNumber);
    }
    void SetPanelText(int panel, std::string_view text) override { host_.SetPanelText(panel, text); }
    void SetApplicationTitle(std::string_view title) override { host_.SetApplicationTitle(title); }
    void ProcessEvents() override { host_.ProcessEvents(); }

private:
    void Release()
    {
        if (!held_)
            return;
        host_.AppendFileHeader(header_, entry_);
        held_ = false; // only once it is in the list
    }

    RunHost& host_;
    std::string header_;
    std::string entry_;
    bool held_ = false;
};

std::string FileHeader(std::string_view entry, const SearchSettings& settings, std::string_view description)
{
    std::string header = "***** File: \"";
    header += entry;
    header += "\"- Search Pattern=";
    header += settings.String1;
    header += description;
    header += " *****";
    return header;
}

} // namespace

void SearchRun(RunHost& host)
{
    // An expression that does not compile stops the run before anything of
    // it happens.
    const SearchSettings settings = host.ReadSearchSettings();
    PatternRule rule;
    rule.IgnoreCase = !settings.Options.CaseSensitive;
    rule.Regex = settings.Options.Regex;
    rule.WholeWords = settings.Options.WholeWords;
    PreparedPattern pattern1, pattern2;
    try {
        pattern1 = PreparedPattern(settings.String1, rule);
        pattern2 = PreparedPattern(settings.String2, rule);
    } catch (const InvalidExpression& e) {
        host.ShowErrorMessage(std::string(MsgInvalidExpression) + e.what());
        return;
    }

    host.ShowBusyCursor();
    CursorRestore cursor(host);
    if (host.FileCount() == 0) {
        host.ShowErrorMessage(MsgEnterFilename);
        return;
    }
    auto choice = ChooseOperator(settings.String2, settings.Operator);
    if (!choice) {
        host.ShowErrorMessage(MsgSelectOperator);
        return;
    }

    RunLock lock(host);
    host.SetPanelText(0, "Lines Searched = None");
    host.SetPanelText(1, "Lines Found = None");
    host.SetPanelText(2, "File Position 0 (KB)");
    host.SetPanelText(3, "Words Found = None");

    RunState run;
    SearchRunning = true;
    run.Options = settings.Options;
    run.ReadLine = settings.Options.UnixFile ? &ReadUnixLine : &ReadDosLine;
    run.Match = choice->predicate;
    run.String2Empty = settings.String2.empty();
    run.Pattern1 = std::move(pattern1);
    run.Pattern2 = std::move(pattern2);

    host.BeginRunLines(MakeHighlighter(settings), settings.Options.Numbering);
    host.AppendRunHeader(NewSearchLine);
    FirstFoundHeader foundOnly(host);
    for (std::size_t i = 0; i < host.FileCount() && !CancelRequested; ++i) {
        const std::string entry = host.FileEntry(i);
        std::string header = FileHeader(entry, settings, choice->description);
        if (settings.Options.OnlyFoundFiles)
            foundOnly.Hold(std::move(header), entry);
        else
            host.AppendFileHeader(header, entry);
        run.Caption = "Searching " + entry;
        host.SetCaption(run.Caption);
        if (settings.Options.OnlyFoundFiles)
            ScanFile(run, foundOnly, entry);
        else
            ScanFile(run, host, entry);
    }

    host.Beep();
    host.ProcessPendingEvents();
    lock.Unlock();

    if (settings.Options.PromptSave) {
        const std::string name = host.AskSaveFileName();
        if (!name.empty())
            host.SaveOutputList(name);
    }
}

} // namespace quillo
