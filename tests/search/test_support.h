// Shared helpers for the engine tests: temporary files and a host that records
// everything a search run does to the window.
#pragma once

#include "search/output/output_store.h"
#include "search/search_host.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace quillo::test {

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& Path() const { return path_; }
    // Writes bytes to a file in the folder and returns its full path.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::filesystem::path path_;
};

std::string ReadAll(const std::string& path);

// Runs body in a child process whose files cannot grow past limit bytes, as
// on a full disk (a write beyond it fails; SIGXFSZ is ignored there), and
// gives the message of the quillo::Failure that body raised, or "no failure".
std::string FailureWithFileSizeLimit(std::size_t limit, const std::function<void()>& body);

// The unprivileged user the tests that run as root drop to: nobody, whose
// group has the same number.
constexpr uid_t Nobody = 65534;

// Runs body in a child process, as user (no supplementary groups, group and
// user id both user) when given, which needs root; gives what body returned,
// the message of a quillo::Failure it raised, or a text naming what else
// went wrong.
std::string InChild(const std::function<std::string()>& body, std::optional<uid_t> user = std::nullopt);

// Temporary files left in folder or below it by an interrupted save.
std::vector<std::string> LeftoverTemporaries(const std::filesystem::path& folder);

// Records the calls of a search run, in order, as readable events.
class RecordingHost : public RunHost {
public:
    RecordingHost();

    SearchSettings Settings;
    std::vector<std::string> Files;
    OutputLineStore Output;
    std::string Panels[4];
    std::string Title = "Quillo";
    std::string Caption = "Quillo";
    std::vector<std::string> Events;      // every call but AppendLine and the panels
    std::vector<std::string> PanelWrites; // "0=Lines Searched: 10", in order
    std::vector<std::string> Messages;
    std::string SaveAnswer;               // what the save dialog answers
    std::vector<std::string> SavedTo;
    std::vector<std::uint32_t> FoundNumbers; // the line number of each found line in its file
    int Refreshes = 0;                    // ProcessEvents and ProcessPendingEvents calls
    // The rows of the file headers and the entries the run gave with them.
    std::vector<std::pair<std::size_t, std::string>> FileHeaders;
    // Whether the scan is to make every ten-line refresh (as the window does
    // not: there they are paced by the clock).
    bool EveryRefresh = true;
    // Runs inside ProcessEvents, with the number of the call (1-based).
    std::function<void(int)> OnEvents;

    bool SearchButton = false, SearchMenu = true, Drop = true, Cancel = false, Save = false, MainPage = true;
    bool BusyCursor = false;

    std::vector<std::string> Lines() const;

    void AppendLine(std::string_view line) override { Output.Append(line); }
    void AppendFoundLine(std::string_view line, std::uint32_t lineNumber) override
    {
        FoundNumbers.push_back(lineNumber);
        Output.Append(line, lineNumber);
    }
    // The line numbers the output holds, one per line (0 for headers).
    std::vector<std::uint32_t> LineNumbers() const;
    void AppendRunHeader(std::string_view line) override;
    void AppendFileHeader(std::string_view line, std::string_view entry) override;
    void SetPanelText(int panel, std::string_view text) override;
    void SetApplicationTitle(std::string_view title) override;
    void ProcessEvents() override { RunEvents("Events"); }
    bool TakesEveryRefresh() const override { return EveryRefresh; }
    void ProcessPendingEvents() override { RunEvents("PendingEvents"); }
    SearchSettings ReadSearchSettings() override { return Settings; }
    std::size_t FileCount() override { return Files.size(); }
    std::string FileEntry(std::size_t i) override { return Files.at(i); }
    void ShowBusyCursor() override;
    void RestoreCursor() override;
    void ShowErrorMessage(std::string_view text) override;
    void SetSearchButtonEnabled(bool on) override { Record("CmdSearch", on), SearchButton = on; }
    void SetSearchMenuEnabled(bool on) override { Record("mSearch", on), SearchMenu = on; }
    void SetDropEnabled(bool on) override { Record("Drop", on), Drop = on; }
    void SetCancelEnabled(bool on) override { Record("Cancel", on), Cancel = on; }
    void SetSaveEnabled(bool on) override { Record("Save", on), Save = on; }
    void SetMainPageEnabled(bool on) override { Record("MainPage", on), MainPage = on; }
    void SetCaption(std::string_view caption) override;
    void KeepTitleForFailure() override { Events.push_back("KeepTitle=" + Title); }
    void Beep() override { Events.push_back("Beep"); }
    void ClearSaveDialogName() override { Events.push_back("ClearSaveName"); }
    std::string AskSaveFileName() override;
    void SaveOutputList(const std::string& fileName) override;

private:
    void RunEvents(const char* what);
    void Record(const char* what, bool on) { Events.push_back(std::string(what) + (on ? "+" : "-")); }
};

} // namespace quillo::test
