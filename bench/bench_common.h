// What both benchmark programs share: timing, failure exits, a window
// stand-in for the engine, an engine run with its findings, and the floor.
#pragma once

#include "search/output/output_store.h"
#include "search/search_host.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start);
[[noreturn]] void Fail(const std::string& what);
void Expect(bool ok, const std::string& what);
double Median(std::vector<double> v);

// A counting search (args[0] with its arguments, such as grep -c or rg -c) in
// the C locale, its output read through a pipe. Gives its time, the matched
// lines summed over the files and the number of files reported.
double RunCounter(std::vector<std::string> args, std::uint64_t& matchedLines, std::size_t& filesReported);

// A window stand-in: found lines go to a real output store, panel texts are
// kept (so they are really formatted), everything else does nothing.
class BenchHost final : public quillo::RunHost {
public:
    BenchHost(const quillo::SearchSettings& settings, const std::vector<std::string>& files,
              quillo::OutputLineStore& store)
        : settings_(settings), files_(files), store_(store)
    {
    }

    void AppendLine(std::string_view line) override { store_.Append(line); }
    void AppendFoundLine(std::string_view line, std::uint32_t lineNumber) override { store_.Append(line, lineNumber); }
    void SetPanelText(int panel, std::string_view text) override
    {
        if (panel >= 0 && panel < 4)
            panels_[panel].assign(text);
    }
    void SetApplicationTitle(std::string_view title) override { title_.assign(title); }
    void ProcessEvents() override {}

    quillo::SearchSettings ReadSearchSettings() override { return settings_; }
    std::size_t FileCount() override { return files_.size(); }
    std::string FileEntry(std::size_t i) override { return files_[i]; }

    void ShowBusyCursor() override {}
    void RestoreCursor() override {}
    void ShowErrorMessage(std::string_view text) override { errors_.emplace_back(text); }

    void SetSearchButtonEnabled(bool) override {}
    void SetSearchMenuEnabled(bool) override {}
    void SetDropEnabled(bool) override {}
    void SetCancelEnabled(bool) override {}
    void SetSaveEnabled(bool) override {}
    void SetMainPageEnabled(bool) override {}

    void SetCaption(std::string_view caption) override { caption_.assign(caption); }
    void Beep() override {}
    void ClearSaveDialogName() override {}
    std::string AskSaveFileName() override { return {}; }
    void SaveOutputList(const std::string&) override {}

    const std::string& Panel(int i) const { return panels_[i]; }
    const std::vector<std::string>& Errors() const { return errors_; }

private:
    quillo::SearchSettings settings_;
    const std::vector<std::string>& files_;
    quillo::OutputLineStore& store_;
    std::string panels_[4];
    std::string title_;
    std::string caption_;
    std::vector<std::string> errors_;
};

struct EngineResult {
    double seconds = 0;
    std::uint64_t foundLines = 0;  // stored lines other than the run and file headers
    std::uint64_t foundBytes = 0;  // their lengths summed
    std::uint64_t headerLines = 0;
    std::uint64_t storeBytes = 0;  // OutputLineStore::AllocatedBytes()
    std::string linesSearchedPanel;
    std::string linesFoundPanel;
    bool numbered = true;          // every found line starts "<digits> : "
    std::vector<std::string> errors;
};

// What an output store holds, counted as EngineResult counts it.
void CountFindings(const quillo::OutputLineStore& store, EngineResult& result);

// One search run through the engine with the stand-in host.
EngineResult RunEngine(const quillo::SearchSettings& settings, const std::vector<std::string>& files);

// The floor: the same 128-byte fetches the engine makes, and nothing else.
double ReadFloor(const std::vector<std::string>& files, std::uint64_t expectBytes);

// Reads the files once so that every figure finds them in the page cache.
void Warm(const std::vector<std::string>& files);

} // namespace bench
