#include "ui/window/folder_adding.h"

#include "filelist/folder_listing.h"
#include "ui/dialogs/dialogs.h"
#include "ui/platform/text_bytes.h"
#include "ui/window/file_list_page.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <span>

namespace quillo {
namespace {

AddFolderChoice ChoiceOf(const AddFolderValues& values)
{
    return {QFile::decodeName(values.folder.c_str()), QFile::decodeName(values.fileNames.c_str()),
            QFile::decodeName(values.skipFolders.c_str()), values.subfolders, values.skipBinary};
}

AddFolderValues ValuesOf(const AddFolderChoice& choice)
{
    return {FileNameBytes(choice.folder), FileNameBytes(choice.fileNames), FileNameBytes(choice.skipFolders),
            choice.subfolders, choice.skipBinary};
}

} // namespace

std::string FolderAdding::FolderPath(const QString& typed)
{
    QString path = typed;
    if (path == QLatin1String("~") || path.startsWith(QLatin1String("~/")))
        path = QDir::homePath() + path.mid(1);
    if (!path.isEmpty() && !path.startsWith(QLatin1Char('/')))
        path = QDir::currentPath() + QLatin1Char('/') + path;
    return FileNameBytes(path);
}

QString FolderAdding::FolderRefusal(const QString& typed)
{
    if (IsFolder(FolderPath(typed)))
        return {};
    return QStringLiteral("Folder not found: ") + typed;
}

bool FolderAdding::Run()
{
    const std::optional<AddFolderChoice> choice = dialogs_.AddFolder(
        &window_, ChoiceOf(values_), [](const AddFolderChoice& typed) { return FolderRefusal(typed.folder); });
    if (!choice)
        return false;
    values_ = ValuesOf(*choice);
    const FolderTreeOptions options{values_.fileNames, values_.skipFolders, values_.subfolders, values_.skipBinary};
    const std::string folder = FolderPath(choice->folder);
    std::vector<std::string> paths;
    bool complete = false;
    {
        const ReactivateOnClose reactivate;
        ListingProgressDialog progress(&window_, showAfter_);
        complete = ListFolderTree(folder, options, paths,
                                  [&progress](std::size_t found) { return progress.Tell(found); });
        // Added in parts, with the events running between them as during the
        // listing: a list box takes a hundred thousand entries in a good part
        // of a second. What was found is added whole, Cancel or not.
        constexpr std::size_t Part = 4096;
        const std::span<const std::string> found(paths);
        for (std::size_t at = 0; at < found.size(); at += Part) {
            list_.AppendAll(found.subspan(at, std::min(Part, found.size() - at)));
            progress.Tell(found.size());
        }
    }
    if (paths.empty()) {
        // A listing the user stopped needs no telling.
        if (complete)
            dialogs_.MessageDialog(&window_, MsgKind::Information, QStringLiteral("No files matched"), MsgOk);
        return false;
    }
    return true;
}

} // namespace quillo
