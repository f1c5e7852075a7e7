#include "bench_common.h"

#include "search/search_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

extern char** environ;

namespace bench {

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "%s: FAILED: %s\n", program_invocation_short_name, what.c_str());
    std::exit(1);
}

void Expect(bool ok, const std::string& what)
{
    if (!ok)
        Fail(what);
}

namespace {

bool IsNumbered(std::string_view line)
{
    std::size_t digits = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9')
        ++digits;
    return digits > 0 && line.substr(digits, 3) == " : ";
}

constexpr int EngineOpenFlags = O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC;

} // namespace

void CountFindings(const quillo::OutputLineStore& store, EngineResult& result)
{
    result.storeBytes = store.AllocatedBytes();
    for (std::size_t i = 0; i < store.Count(); ++i) {
        const std::string_view line = store.Line(i);
        if (line.starts_with("*****")) {
            ++result.headerLines;
            continue;
        }
        ++result.foundLines;
        result.foundBytes += line.size();
        if (result.numbered && !IsNumbered(line))
            result.numbered = false;
    }
}

EngineResult RunEngine(const quillo::SearchSettings& settings, const std::vector<std::string>& files)
{
    EngineResult result;
    quillo::OutputLineStore store;
    BenchHost host(settings, files, store);
    const auto start = Clock::now();
    quillo::SearchRun(host);
    result.seconds = SecondsSince(start);
    CountFindings(store, result);
    result.linesSearchedPanel = host.Panel(0);
    result.linesFoundPanel = host.Panel(1);
    result.errors = host.Errors();
    return result;
}

// The floor: the same 128-byte fetches the engine makes, and nothing else.
double ReadFloor(const std::vector<std::string>& files, std::uint64_t expectBytes)
{
    char buffer[128];
    std::uint64_t total = 0;
    const auto start = Clock::now();
    for (const std::string& name : files) {
        const int fd = ::open(name.c_str(), EngineOpenFlags);
        if (fd < 0)
            Fail("cannot open " + name);
        ssize_t got;
        while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
            total += static_cast<std::uint64_t>(got);
        ::close(fd);
    }
    const double seconds = SecondsSince(start);
    Expect(total == expectBytes, "the read loop read " + std::to_string(total) + " bytes, the corpus has " +
                                     std::to_string(expectBytes));
    return seconds;
}

void Warm(const std::vector<std::string>& files)
{
    std::vector<char> buffer(std::size_t{1} << 20);
    for (const std::string& name : files) {
        const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            Fail("cannot open " + name);
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    }
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}


// A counting search (args[0] with its arguments) in the C locale, its output
// read through a pipe (with its output on /dev/null grep would stop at the
// first match of each file). Gives the matched lines summed over the files,
// and the number of files reported ("name:count" lines, or a bare count).
double RunCounter(std::vector<std::string> args, std::uint64_t& matchedLines, std::size_t& filesReported)
{
    const std::string program = args.front();
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envText;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "LC_ALL=", 7) != 0 && std::strncmp(*e, "RIPGREP_CONFIG_PATH=", 20) != 0)
            envText.emplace_back(*e);
    envText.emplace_back("LC_ALL=C");
    std::vector<char*> envp;
    for (std::string& e : envText)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        Fail("pipe: " + std::string(std::strerror(errno)));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);

    std::string output;
    const auto start = Clock::now();
    pid_t pid;
    const int spawned = ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    ::close(pipeFds[1]);
    if (spawned != 0) {
        ::close(pipeFds[0]);
        posix_spawn_file_actions_destroy(&actions);
        Fail("cannot start " + program + ": " + std::string(std::strerror(spawned)));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        output.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    const double seconds = SecondsSince(start);
    ::close(pipeFds[0]);
    posix_spawn_file_actions_destroy(&actions);
    Expect(WIFEXITED(status) && WEXITSTATUS(status) <= 1, program + " failed");

    // One "name:count" line per file.
    matchedLines = 0;
    std::size_t lineStart = 0;
    std::size_t counted = 0;
    while (lineStart < output.size()) {
        std::size_t lineEnd = output.find('\n', lineStart);
        if (lineEnd == std::string::npos)
            lineEnd = output.size();
        const std::string line = output.substr(lineStart, lineEnd - lineStart);
        const std::size_t colon = line.rfind(':');
        const char* count = line.c_str() + (colon == std::string::npos ? 0 : colon + 1);
        char* end = nullptr;
        matchedLines += std::strtoull(count, &end, 10);
        Expect(end != count && *end == '\0', "unexpected " + program + " output: " + line);
        ++counted;
        lineStart = lineEnd + 1;
    }
    filesReported = counted;
    return seconds;
}

} // namespace bench
