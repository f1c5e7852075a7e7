#include "search_run.h"

#include "file_scan.h"
#include "run_flags.h"

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

    host.AppendRunHeader(NewSearchLine);
    for (std::size_t i = 0; i < host.FileCount() && !CancelRequested; ++i) {
        const std::string entry = host.FileEntry(i);
        host.AppendFileHeader(FileHeader(entry, settings, choice->description), entry);
        run.Caption = "Searching " + entry;
        host.SetCaption(run.Caption);
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
