// What the search engine needs from the window that hosts it. The engine
// writes to these sinks and reads the window's state only through them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quillo {

class MatchHighlighter;

// The check boxes of the "Main" page that a run reads.
struct SearchOptions {
    bool CaseSensitive = false; // OptionCase
    bool LineCount = true;      // OptionLineCount
    bool Progress = true;       // OptionProgress
    bool WordCount = false;     // OptionWordCount
    bool Reverse = false;       // OptionReverse
    bool Numbering = false;     // OptionNumbering
    bool OneInstance = false;   // OptionOneInstance
    bool UnixFile = false;      // OptionUnixFile
    bool PromptSave = false;    // OptionSave
    bool Regex = false;         // "Regular expressions"
    bool WholeWords = false;    // "Whole words only"
    // A file's header line only just before its first found line; files
    // without found lines add nothing.
    bool OnlyFoundFiles = false; // OptionOnlyFound
};

// The values a run takes from the window when it starts.
struct SearchSettings {
    std::string String1;   // FString1, as typed (8-bit)
    std::string String2;   // FString2, as typed (8-bit)
    int Operator = 0;      // FOperator item index, -1 when none is selected
    SearchOptions Options;
};

// What the scan of one file writes to.
class ScanHost {
public:
    virtual ~ScanHost() = default;
    // Appends a line to the output list; raises "Unable to insert a line" when
    // the list refuses it.
    virtual void AppendLine(std::string_view line) = 0;
    // A found line (with its number prefix under "Line Numbering") and its
    // 1-based line number within its file, kept whether or not numbering is on.
    virtual void AppendFoundLine(std::string_view line, std::uint32_t lineNumber)
    {
        static_cast<void>(lineNumber);
        AppendLine(line);
    }
    // Status bar panel 0..3.
    virtual void SetPanelText(int panel, std::string_view text) = 0;
    virtual void SetApplicationTitle(std::string_view title) = 0;
    // Lets pending window events run (clicks, paints, menu commands); called
    // every ten lines. A host may pace them: run them only when some time has
    // passed since they last ran.
    virtual void ProcessEvents() = 0;
    // Whether the scan is to make every ten-line refresh. The window shows
    // the panels at display rate, so a scan by default makes a refresh only
    // when the coarse clock has ticked since its last one (a few
    // milliseconds; the first of a run always), and before each end-of-file
    // refresh the last one it left out. A host that records them all says true.
    virtual bool TakesEveryRefresh() const { return false; }
};

// What a whole search run needs besides.
class RunHost : public ScanHost {
public:
    virtual SearchSettings ReadSearchSettings() = 0;

    // What a host that shows the run's found lines needs to mark the
    // matches in them: given once, before the run's header line. highlighter
    // is null for a run whose found lines are the ones not matching (Reverse
    // Logic). numbered: the found lines carry their number prefix.
    virtual void BeginRunLines(std::shared_ptr<const MatchHighlighter> highlighter, bool numbered)
    {
        static_cast<void>(highlighter);
        static_cast<void>(numbered);
    }

    // The run's header line and each file's header line, appended to the
    // output list like any line; a host that leads from a line to its file
    // records which rows are headers here instead of reading their text (a
    // found line can look exactly like a header). entry: the file list entry
    // the header names, as the run opens it.
    virtual void AppendRunHeader(std::string_view line) { AppendLine(line); }
    virtual void AppendFileHeader(std::string_view line, std::string_view entry)
    {
        static_cast<void>(entry);
        AppendLine(line);
    }
    // Lets pending window events run now. ProcessEvents may leave them for a
    // later call when they ran moments ago; the run calls this once after its
    // last file, where no later call comes.
    virtual void ProcessPendingEvents() { ProcessEvents(); }
    // The file list, read afresh for every file of a run.
    virtual std::size_t FileCount() = 0;
    virtual std::string FileEntry(std::size_t i) = 0;

    virtual void ShowBusyCursor() = 0;
    virtual void RestoreCursor() = 0;
    // A modal message dialog of the kind "Error" with an OK button.
    virtual void ShowErrorMessage(std::string_view text) = 0;

    // The switches a run locks and unlocks.
    virtual void SetSearchButtonEnabled(bool on) = 0; // CmdSearch
    virtual void SetSearchMenuEnabled(bool on) = 0;   // mSearch
    virtual void SetDropEnabled(bool on) = 0;         // the drop target's EnableDrop
    virtual void SetCancelEnabled(bool on) = 0;       // CmdCancel and mCancel
    virtual void SetSaveEnabled(bool on) = 0;         // CmdSave and mSave
    virtual void SetMainPageEnabled(bool on) = 0;     // MainPage

    virtual void SetCaption(std::string_view caption) = 0;
    // A failure is leaving the run, which is about to set the title back to
    // the idle one: the failure is shown with the application title of this
    // moment as its caption.
    virtual void KeepTitleForFailure() {}
    virtual void Beep() = 0;
    virtual void ClearSaveDialogName() = 0;
    // The save dialog; an empty name when it was cancelled.
    virtual std::string AskSaveFileName() = 0;
    // Writes the whole output list to the named file.
    virtual void SaveOutputList(const std::string& fileName) = 0;
};

} // namespace quillo
