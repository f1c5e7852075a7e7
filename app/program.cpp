#include "app/program.h"

#include "app/command_line.h"
#include "app/terminal.h"
#include "search/output/number_format.h"
#include "ui/window/Unit1.h"
#include "ui/platform/app_icon.h"
#include "ui/platform/app_title.h"
#include "ui/platform/event_dispatcher.h"
#include "ui/platform/main_loop.h"
#include "ui/dialogs/qt_dialogs.h"

#include <QApplication>

#include <clocale>
#include <cstdlib>
#include <iostream>

namespace quillo {
namespace {

std::vector<std::string>& Arguments()
{
    static std::vector<std::string> arguments;
    return arguments;
}

} // namespace

const std::vector<std::string>& ProgramArguments()
{
    return Arguments();
}

int RunProgram(int argc, char** argv)
{
    Arguments().assign(argv, argv + argc);
    const std::vector<std::string> parameters = ProgramParameters(ProgramArguments());

    // Answered before Qt starts, which would need a display and abort
    // without one.
    const Environment environment = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    if (const std::optional<int> exitCode = AnswerOnTerminal(parameters, environment, std::cout, std::cerr))
        return *exitCode;

    // Qt reads and removes the options it knows (-style, -platform ...) from
    // the arguments it is given; the program's own command line must reach it
    // whole, so Qt sees only the program name.
    int qtArgc = argc > 0 ? 1 : 0;
    char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
    UseLeanEventDispatcher();
    QApplication application(qtArgc, qtArgv);
    // The desktop finds the program's entry, and with it its icon, by this name.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopEntryId()));
    QApplication::setWindowIcon(AppIcon());
    std::setlocale(LC_ALL, "");
    SetNumberSeparators(SeparatorsFromLocale());
    SetApplicationTitle(StartTitle);

    QtDialogs dialogs;
    TForm1 form(dialogs);
    Form1 = &form;
    form.SetCommandLine(parameters);
    const int exitCode = RunMainWindow(form);
    Form1 = nullptr;
    return exitCode;
}

} // namespace quillo
