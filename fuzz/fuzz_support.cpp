#include "fuzz/fuzz_support.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <unistd.h>

namespace quillo::fuzz {

std::string Show(std::string_view bytes)
{
    std::string out = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\' || c == '"')
            out.append(1, '\\').append(1, c);
        else if (byte >= ' ' && byte <= '~')
            out += c;
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", byte);
            out += hex;
        }
    }
    return out + "\"";
}

std::string Show(const std::vector<std::string>& lines)
{
    std::string out = "[";
    for (std::size_t i = 0; i < lines.size(); ++i)
        out += (i ? ", " : "") + Show(lines[i]);
    return out + "] (" + std::to_string(lines.size()) + ")";
}

std::string Show(const std::optional<std::string>& text) { return text ? Show(*text) : "(none)"; }

void Violated(std::string_view property, const std::string& detail)
{
    std::fprintf(stderr, "\nPROPERTY VIOLATED: %.*s\n%s\n", static_cast<int>(property.size()), property.data(),
                 detail.c_str());
    std::abort();
}

std::vector<std::string_view> SplitParts(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string_view> parts;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t end = input.find(PartSeparator, begin);
        parts.push_back(input.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
        if (end == std::string_view::npos)
            return parts;
        begin = end + 1;
    }
}

namespace {

constexpr std::string_view FolderPrefix = "quillo-fuzz-";

// Folders of targets that ended without removing theirs (a crash, a
// violated property): their names hold a process id that is gone.
void RemoveLeftovers(const std::filesystem::path& base)
{
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(base, ec)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(FolderPrefix))
            continue;
        const long pid = std::strtol(name.c_str() + FolderPrefix.size(), nullptr, 10);
        if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove_all(entry.path(), ec);
    }
}

std::string MakeFolder()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path base = ::access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
    RemoveLeftovers(base);
    std::string pattern = (base / (std::string(FolderPrefix) + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder in " + base.string());
    return pattern;
}

struct Folder {
    std::string path = MakeFolder();
    ~Folder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

} // namespace

const std::string& FuzzFolder()
{
    static const Folder folder;
    return folder.path;
}

std::string WriteFile(const std::string& name, std::string_view bytes)
{
    const std::string path = FuzzFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        Violated("the fuzz target can write its own files", path);
    return path;
}

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace quillo::fuzz
