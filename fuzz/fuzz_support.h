// What the fuzz targets share: checking a property (a violation aborts, so
// that libFuzzer keeps the input as a crash), the input cut into parts, and a
// temporary folder of the target's own for the files it writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::fuzz {

// Bytes as printable text: \r, \n, \t, \\ and \xNN for the others outside
// ' ' to '~', in double quotes.
std::string Show(std::string_view bytes);
inline std::string Show(const std::string& bytes) { return Show(std::string_view(bytes)); }
std::string Show(const std::vector<std::string>& lines);
std::string Show(const std::optional<std::string>& text);
inline std::string Show(long long number) { return std::to_string(number); }

// Prints the property and the detail to stderr and aborts.
[[noreturn]] void Violated(std::string_view property, const std::string& detail = {});

inline void Require(bool holds, std::string_view property)
{
    if (!holds)
        Violated(property);
}

template <class T>
void RequireEqual(const T& got, const T& expected, std::string_view property)
{
    if (!(got == expected))
        Violated(property, "got      " + Show(got) + "\nexpected " + Show(expected));
}

// The byte that cuts an input into its parts (ASCII record separator):
// "a\x1e" "b" is the parts "a" and "b"; an input without it is one part.
inline constexpr char PartSeparator = '\x1e';
std::vector<std::string_view> SplitParts(const std::uint8_t* data, std::size_t size);

// A folder of this process's own, made at the first call and removed at
// exit: on /dev/shm where it can be (the writers sync every file, which costs
// nothing on tmpfs), else in the temporary folder. Its name holds the process
// id, so that the next target removes it if a crash left it behind.
const std::string& FuzzFolder();
// Writes bytes to name in the folder (names may hold "/" for folders made
// before) and returns the file's path.
std::string WriteFile(const std::string& name, std::string_view bytes);
// The whole file; nothing when it cannot be read.
std::optional<std::string> ReadFile(const std::string& path);

} // namespace quillo::fuzz
