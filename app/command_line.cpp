#include "command_line.h"

#include "filelist/folder_listing.h"

#include <algorithm>

namespace quillo {
namespace {

bool IsKeyword(const std::string& parameter, const char* keyword) { return UpperCased(parameter) == keyword; }

} // namespace

std::string UpperCased(const std::string& text)
{
    std::string upper = text;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return upper;
}

std::vector<std::string> ProgramParameters(const std::vector<std::string>& arguments)
{
    std::vector<std::string> parameters;
    for (std::size_t i = 1; i < arguments.size(); ++i)
        if (!arguments[i].empty())
            parameters.push_back(arguments[i]);
    return parameters;
}

void ApplyCommandLine(const std::vector<std::string>& parameters, CommandLineHost& host)
{
    const std::size_t n = parameters.size();
    if (n == 0)
        return;
    // Parameter i, numbered from 1.
    auto param = [&](std::size_t i) -> const std::string& { return parameters[i - 1]; };

    const std::string& target = param(1);
    std::vector<std::string> files;
    const bool listed = host.ListPattern(target, files);
    if (files.empty()) {
        // A listing the user stopped needs no telling.
        if (listed)
            host.ShowWrongFilename();
    } else if (HasWildcard(target)) {
        for (const std::string& file : files)
            host.AppendFileEntry(file);
    } else if (std::any_of(parameters.begin(), parameters.end(),
                           [](const std::string& p) { return IsKeyword(p, "/LIST"); })) {
        host.LoadFileList(target);
    } else {
        host.AppendFileEntry(target);
    }

    if (n == 1 || IsKeyword(param(2), "/LIST") || IsKeyword(param(2), "/GO"))
        return;
    host.SetString1(param(2));
    host.SetSearchEnabled(host.FileCount() > 0);

    if (n == 2)
        return;
    if (!IsKeyword(param(3), "/LIST") && !IsKeyword(param(3), "/GO")) {
        if (param(3) == "OR")
            host.SelectOperator(1);
        else if (param(3) == "XOR")
            host.SelectOperator(2);
        else if (param(3) == "&NOT")
            host.SelectOperator(3);
        if (n >= 4)
            host.SetString2(param(4));
    }
    for (std::size_t i = 3; i <= n; ++i)
        if (host.SearchEnabled() && IsKeyword(param(i), "/GO"))
            host.RunSearchFromCommandLine();
}

} // namespace quillo
