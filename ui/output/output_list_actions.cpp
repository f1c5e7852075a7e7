#include "ui/output/output_list_actions.h"

#include "ui/dialogs/dialogs.h"
#include "ui/output/header_rows.h"
#include "ui/output/output_view.h"

#include <QByteArray>

#include <sys/stat.h>

namespace quillo {
namespace {

bool IsFile(const std::string& path)
{
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

OutputListActions::OutputListActions(OutputView& view, const HeaderRows& headers, Dialogs& dialogs, Runner runner)
    : view_(view), headers_(headers), dialogs_(dialogs), runner_(std::move(runner))
{
    view_.SetCommandRunner(runner_);
    connect(&view_, &OutputView::OpenRequested, this, [this](int row) { runner_([this, row] { Open(row); }); });
}

void OutputListActions::Open(int row)
{
    const std::string* file = row >= 0 && row < view_.RowCount() ? headers_.FileOf(static_cast<std::size_t>(row))
                                                                   : nullptr;
    if (!file || !IsFile(*file)) {
        dialogs_.Beep();
        return;
    }
    dialogs_.OpenUrl(FileUrl(*file));
}

QUrl FileUrl(const std::string& path)
{
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded(QByteArrayLiteral("file://") + bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

} // namespace quillo
