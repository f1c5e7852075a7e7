// Failures raised by the program's operations. A failure that leaves an event
// handler is shown by the error display: its message followed by ".".
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace quillo {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Message texts with their "%s" place for a file path.
inline constexpr std::string_view MsgCannotCreateFile = "Cannot create file %s";
inline constexpr std::string_view MsgCannotOpenFile = "Cannot open file %s";
inline constexpr std::string_view MsgStreamWriteError = "Stream write error";
inline constexpr std::string_view MsgUnableToWrite = "Unable to write to %s";
inline constexpr std::string_view MsgUnableToInsertLine = "Unable to insert a line";

// Replaces the first "%s" of pattern by arg.
std::string FormatMessage(std::string_view pattern, std::string_view arg);

} // namespace quillo
