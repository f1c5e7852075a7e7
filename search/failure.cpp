#include "search/failure.h"

namespace quillo {

std::string FormatMessage(std::string_view pattern, std::string_view arg)
{
    std::string out(pattern);
    if (const auto at = out.find("%s"); at != std::string::npos)
        out.replace(at, 2, arg);
    return out;
}

} // namespace quillo
