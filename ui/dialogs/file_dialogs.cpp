#include "ui/dialogs/file_dialogs.h"

#include "ui/dialogs/dialogs.h"

namespace quillo {

const QList<FileFilter>& OpenDialog::Filters()
{
    static const QList<FileFilter> filters = {
        {"All Files", "*.*"},           {"Text Files", "*.txt"},        {"Log Files", "*.log"},
        {"Register Files", "*.reg"},    {"Descritpoin Files", "*.diz"}, {"Information Files", "*.nfo"},
    };
    return filters;
}

std::optional<QStringList> OpenDialog::Execute()
{
    return dialogs_.OpenFiles(&parent_, OpenFilesRequest{QString(), Filters(), fileName_});
}

const QList<FileFilter>& SaveDialog::Filters()
{
    static const QList<FileFilter> filters = {
        {"Text Files", "*.txt"},
        {"Log Files", "*.log"},
        {"Information Files", "*.nfo"},
        {"All Files", "*.*"},
    };
    return filters;
}

std::optional<QString> SaveDialog::Execute()
{
    std::optional<QString> chosen = dialogs_.SaveFileName(
        &parent_, SaveFileRequest{QStringLiteral("Select or type an output file."), Filters(), fileName_,
                                  QStringLiteral("txt")});
    if (!chosen || chosen->isEmpty())
        return std::nullopt;
    fileName_ = *chosen;
    return chosen;
}

} // namespace quillo
