#include "app/terminal.h"

#include "search/failure.h"
#include "settings/paths.h"

namespace quillo {
namespace {

bool Set(const Environment& environment, const char* name)
{
    const std::optional<std::string> value = environment(name);
    return value && !value->empty();
}

// The program's files for this user; the places in words when the system
// cannot tell where the program is.
std::pair<std::string, std::string> ProgramFiles()
{
    try {
        return {SettingsFile(), ListFile()};
    } catch (const Failure&) {
        return {"quillo.ini beside the program or in ~/.config/quillo/",
                "quillo.lst in the same folder"};
    }
}

} // namespace

std::string UsageText(std::string_view settingsFile, std::string_view listFile)
{
    std::string text =
        "Usage: quillo [FILE | PATTERN | LISTFILE /LIST] [STRING1 [WORD STRING2]] [/GO ...]\n"
        "       quillo --help | --version\n"
        "\n"
        "Searches a list of text files, line by line, for one or two strings.\n"
        "\n"
        "  FILE       a file to add to the file list\n"
        "  PATTERN    every file matching * and ? in the last part of the name;\n"
        "             a folder part ** stands for that folder and every folder below it\n"
        "  LISTFILE /LIST\n"
        "             replace the file list by the lines of LISTFILE\n"
        "  STRING1    the first search string\n"
        "  WORD       OR, XOR or &NOT (in capitals) combine the two strings;\n"
        "             any other word keeps the operator the program kept\n"
        "  STRING2    the second search string\n"
        "  /GO        from the third parameter on: start a search, once for each /GO\n"
        "\n"
        "/LIST and /GO may be written in any case. Quote a pattern so that the\n"
        "shell leaves it to the program, and write ./--help for a file of that name.\n"
        "\n"
        "Examples:\n"
        "  quillo notes.txt fox\n"
        "  quillo \"logs/*.log\" error /GO\n"
        "  quillo \"src/**/*.cpp\" TODO /GO\n"
        "  quillo notes.txt fox OR hen /GO\n"
        "  quillo saved.lst fox /LIST /GO\n"
        "\n"
        "Files the program keeps:\n"
        "  settings:  ";
    text += settingsFile;
    text += "\n  file list: ";
    text += listFile;
    text += "\n\nSee quillo(1) for more.\n";
    return text;
}

bool DisplayAvailable(const Environment& environment)
{
    return Set(environment, "DISPLAY") || Set(environment, "WAYLAND_DISPLAY") || Set(environment, "QT_QPA_PLATFORM");
}

std::optional<int> AnswerOnTerminal(const std::vector<std::string>& parameters, const Environment& environment,
                                    std::ostream& out, std::ostream& err)
{
    if (parameters.size() == 1 && parameters[0] == "--help") {
        const auto [settings, list] = ProgramFiles();
        out << UsageText(settings, list) << std::flush;
        return out ? 0 : 1;
    }
    if (parameters.size() == 1 && parameters[0] == "--version") {
        out << VersionLine << '\n' << std::flush;
        return out ? 0 : 1;
    }
    if (!DisplayAvailable(environment)) {
        err << NoDisplayLine << '\n' << std::flush;
        return 1;
    }
    return std::nullopt;
}

} // namespace quillo
