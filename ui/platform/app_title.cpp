#include "ui/platform/app_title.h"

#include <optional>

namespace quillo {
namespace {

std::string& Title()
{
    static std::string title(StartTitle);
    return title;
}

std::optional<std::string>& KeptTitle()
{
    static std::optional<std::string> kept;
    return kept;
}

QString TitleText(const std::string& title)
{
    return QString::fromLocal8Bit(title.data(), static_cast<qsizetype>(title.size()));
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
    return TitleText(Title());
}

void KeepTitleForFailure()
{
    KeptTitle() = Title();
}

void ForgetTitleForFailure()
{
    KeptTitle().reset();
}

QString FailureCaption()
{
    if (!KeptTitle())
        return ApplicationTitleText();
    const QString caption = TitleText(*KeptTitle());
    KeptTitle().reset();
    return caption;
}

} // namespace quillo
