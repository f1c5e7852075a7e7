#include "ui/platform/app_title.h"

namespace quillo {
namespace {

std::string& Title()
{
    static std::string title(StartTitle);
    return title;
}

} // namespace

const std::string& ApplicationTitle()
{
    return Title();
}

void SetApplicationTitle(std::string_view title)
{
    // A run sets it every ten lines, nearly always to the same text: copying
    // the bytes costs less than comparing them first.
    Title().assign(title);
}

QString ApplicationTitleText()
{
    const std::string& title = Title();
    return QString::fromLocal8Bit(title.data(), static_cast<qsizetype>(title.size()));
}

} // namespace quillo
