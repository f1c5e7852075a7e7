#include "ui/window/folder_adding.h"

#include "filelist/folder_listing.h"
#include "ui/dialogs/dialogs.h"
#include "ui/platform/text_bytes.h"
#include "ui/window/file_list_page.h"

#include <QDir>
#include <QFile>

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
    const bool complete = ListWithProgress(&window_, showAfter_, [&](const ListingProgress& progress) {
        return ListFolderTree(folder, options, paths, progress);
    });
    if (paths.empty()) {
        // A listing the user stopped needs no telling.
        if (complete)
            dialogs_.MessageDialog(&window_, MsgKind::Information, QStringLiteral("No files matched"), MsgOk);
        return false;
    }
    list_.AppendAll(paths);
    return true;
}

} // namespace quillo
