#include "ui/window/file_list_page.h"

#include "filelist/drop_names.h"
#include "filelist/folder_listing.h"
#include "filelist/list_file.h"
#include "search/failure.h"
#include "settings/paths.h"
#include "ui/dialogs/dialogs.h"
#include "ui/platform/text_bytes.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QSignalBlocker>
#include <QVariant>

#include <algorithm>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace quillo {
namespace {

// An entry's bytes lie beside its shown text only where the text does not
// give them back: an entry of ASCII bytes is its own text, and a list of
// 100,000 of them fills much faster without a second value in each item.
bool ShownAsItIs(std::string_view entry)
{
    return std::all_of(entry.begin(), entry.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

void KeepBytes(QListWidgetItem& item, const std::string& entry)
{
    if (!ShownAsItIs(entry))
        item.setData(Qt::UserRole, QByteArray(entry.data(), static_cast<qsizetype>(entry.size())));
}

std::string ItemBytes(const QListWidgetItem& item)
{
    const QVariant bytes = item.data(Qt::UserRole);
    if (bytes.isValid())
        return bytes.toByteArray().toStdString();
    return item.text().toLatin1().toStdString();
}

// Where the list file lies (see ListFile); beside the program as Qt knows it
// when the system cannot tell the program's own file.
std::string DefaultListFile()
{
    try {
        return ListFile();
    } catch (const Failure&) {
        return ReplaceExtension(FileNameBytes(QCoreApplication::applicationFilePath()), ".lst");
    }
}

} // namespace

FileListPage::FileListPage(QListWidget& list, Dialogs& dialogs, QWidget& window)
    : list_(list), dialogs_(dialogs), window_(window),
      listFile_(DefaultListFile())
{
}

std::size_t FileListPage::Count() const
{
    return static_cast<std::size_t>(list_.count());
}

std::string FileListPage::Entry(std::size_t i) const
{
    const QListWidgetItem* item = list_.item(static_cast<int>(i));
    return item ? ItemBytes(*item) : std::string();
}

std::vector<std::string> FileListPage::Entries() const
{
    std::vector<std::string> entries;
    entries.reserve(static_cast<std::size_t>(list_.count()));
    for (int i = 0; i < list_.count(); ++i)
        entries.push_back(ItemBytes(*list_.item(i)));
    return entries;
}

void FileListPage::Append(const std::string& entry)
{
    if (list_.count() >= limit_)
        throw Failure(std::string(MsgUnableToInsertLine));
    auto* item = new QListWidgetItem(FromBytes(entry));
    KeepBytes(*item, entry);
    list_.addItem(item);
}

void FileListPage::AppendAll(std::span<const std::string> entries)
{
    // One insertion for the lot: the list box and its views hear of the new
    // rows once, not once per entry. The bytes behind each entry are not
    // shown, so nobody needs telling when they are set.
    const auto room = static_cast<std::size_t>(std::max(limit_ - list_.count(), 0));
    const std::size_t taken = std::min(entries.size(), room);
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(taken));
    for (std::size_t i = 0; i < taken; ++i)
        texts.append(FromBytes(entries[i]));
    const int first = list_.count();
    list_.addItems(texts);
    {
        const QSignalBlocker quiet(list_.model());
        for (std::size_t i = 0; i < taken; ++i)
            KeepBytes(*list_.item(first + static_cast<int>(i)), entries[i]);
    }
    if (taken < entries.size())
        throw Failure(std::string(MsgUnableToInsertLine));
}

void FileListPage::AppendChosen(const QStringList& names)
{
    for (const QString& name : names)
        Append(FileNameBytes(name));
}

void FileListPage::AppendDropped(std::vector<std::string> paths)
{
    for (const std::string& path : paths) {
        if (IsFolder(path)) {
            const MsgButton answer = dialogs_.MessageBox(&window_, FromBytes(FolderQuestionCaption),
                                                         FromBytes(FolderQuestion(path)), MsgIcon::Warning,
                                                         MsgYes | MsgNo, MsgYes);
            if (answer != MsgYes)
                continue;
            for (const std::string& name : ListFolderFiles(path))
                Append(path + "/" + name);
        } else if (IsExistingFile(path)) {
            Append(path);
        }
    }
}

void FileListPage::Clear()
{
    list_.clear();
}

void FileListPage::DeleteSelected()
{
    for (int i = 0; i < list_.count();) {
        if (list_.item(i)->isSelected())
            delete list_.takeItem(i);
        else
            ++i;
    }
}

void FileListPage::Load(const std::string& listFile)
{
    const std::vector<std::string> entries = ReadListFile(listFile);
    list_.clear();
    for (const std::string& entry : entries)
        Append(entry);
}

void FileListPage::Save() const
{
    WriteListFile(listFile_, Entries());
}

void FileListPage::LoadSaved()
{
    std::error_code error;
    if (!std::filesystem::exists(listFile_, error)) {
        dialogs_.MessageDialog(&window_, MsgKind::Error, QStringLiteral("You have not saved a file list yet."), MsgOk);
        return;
    }
    Load(listFile_);
}

} // namespace quillo
