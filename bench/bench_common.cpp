#include "bench_common.h"

#include "search/search_run.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

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


} // namespace bench
