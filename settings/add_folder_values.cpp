#include "settings/add_folder_values.h"

namespace quillo {

AddFolderValues ReadAddFolderValues(const TIniFile& settings)
{
    const AddFolderValues def;
    AddFolderValues values;
    values.folder = settings.ReadText(AddFolderSection, AddFolderFolderKey, def.folder);
    values.fileNames = settings.ReadText(AddFolderSection, AddFolderFileNamesKey, def.fileNames);
    values.skipFolders = settings.ReadText(AddFolderSection, AddFolderSkipFoldersKey, def.skipFolders);
    values.subfolders = settings.ReadFlag(AddFolderSection, AddFolderSubfoldersKey, def.subfolders);
    values.skipBinary = settings.ReadFlag(AddFolderSection, AddFolderSkipBinaryKey, def.skipBinary);
    return values;
}

void AddAddFolderValues(ProfileChanges& changes, const AddFolderValues& values)
{
    changes.SetText(AddFolderSection, AddFolderFolderKey, values.folder)
        .SetText(AddFolderSection, AddFolderFileNamesKey, values.fileNames)
        .SetText(AddFolderSection, AddFolderSkipFoldersKey, values.skipFolders)
        .SetFlag(AddFolderSection, AddFolderSubfoldersKey, values.subfolders)
        .SetFlag(AddFolderSection, AddFolderSkipBinaryKey, values.skipBinary);
}

} // namespace quillo
