#include "test_support.h"

#include "search/output_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace quillo::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "quillo-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const
{
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

RecordingHost::RecordingHost() : Output(1ULL << 30)
{
    Settings.Options = SearchOptions{};
}

std::vector<std::string> RecordingHost::Lines() const
{
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < Output.Count(); ++i)
        lines.emplace_back(Output.Line(i));
    return lines;
}

void RecordingHost::SetPanelText(int panel, std::string_view text)
{
    Panels[panel] = std::string(text);
    PanelWrites.push_back(std::to_string(panel) + "=" + std::string(text));
}

void RecordingHost::SetApplicationTitle(std::string_view title)
{
    Title = std::string(title);
    Events.push_back("Title=" + Title);
}

void RecordingHost::ProcessEvents()
{
    ++Refreshes;
    Events.push_back("Events");
    if (OnEvents)
        OnEvents(Refreshes);
}

void RecordingHost::ShowBusyCursor()
{
    BusyCursor = true;
    Events.push_back("BusyCursor");
}

void RecordingHost::RestoreCursor()
{
    BusyCursor = false;
    Events.push_back("RestoreCursor");
}

void RecordingHost::ShowErrorMessage(std::string_view text)
{
    Messages.emplace_back(text);
    Events.push_back("Error:" + std::string(text));
}

void RecordingHost::SetCaption(std::string_view caption)
{
    Caption = std::string(caption);
    Events.push_back("Caption=" + Caption);
}

std::string RecordingHost::AskSaveFileName()
{
    Events.push_back("AskSave");
    return SaveAnswer;
}

void RecordingHost::SaveOutputList(const std::string& fileName)
{
    SavedTo.push_back(fileName);
    SaveOutputFile(Output, fileName);
}

} // namespace quillo::test
