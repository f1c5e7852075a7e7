#include "test_support.h"

#include "search/failure.h"
#include "search/output/output_file.h"

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

std::string InChild(const std::function<std::string()>& body, std::optional<uid_t> user)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        ::close(pipeFds[0]);
        std::string message;
        if (user && (::setgroups(0, nullptr) != 0 || ::setgid(*user) != 0 || ::setuid(*user) != 0)) {
            message = "cannot become the user";
        } else {
            try {
                message = body();
            } catch (const Failure& failure) {
                message = failure.what();
            } catch (const std::exception& other) {
                message = std::string("other exception: ") + other.what();
            }
        }
        const bool sent = ::write(pipeFds[1], message.data(), message.size()) == static_cast<ssize_t>(message.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipeFds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the child process failed";
    return message;
}

std::string FailureWithFileSizeLimit(std::size_t limit, const std::function<void()>& body)
{
    return InChild([&]() -> std::string {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit cap{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &cap) != 0)
            return "cannot limit the file size";
        body();
        return "no failure";
    });
}

std::vector<std::string> LeftoverTemporaries(const std::filesystem::path& folder)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(".quillo-") || (name.starts_with(".") && name.ends_with(".tmp")))
            found.push_back(it->path().string());
    }
    return found;
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

std::vector<std::uint32_t> RecordingHost::LineNumbers() const
{
    std::vector<std::uint32_t> numbers;
    for (std::size_t i = 0; i < Output.Count(); ++i)
        numbers.push_back(Output.LineNumber(i));
    return numbers;
}

void RecordingHost::AppendRunHeader(std::string_view line)
{
    Output.Append(line);
    Events.push_back("RunHeader");
}

void RecordingHost::AppendFileHeader(std::string_view line, std::string_view entry)
{
    Output.Append(line);
    FileHeaders.emplace_back(Output.Count() - 1, entry);
    Events.push_back("FileHeader=" + std::string(entry));
}

void RecordingHost::RunEvents(const char* what)
{
    ++Refreshes;
    Events.push_back(what);
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
