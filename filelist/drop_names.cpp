#include "drop_names.h"

#include <cwchar>

namespace quillo {

DroppedName SplitDroppedName(std::string_view path)
{
    std::size_t nameStart = 0;
    std::size_t extensionStart = std::string_view::npos;
    for (std::size_t i = path.size(); i-- > 0;) {
        if (path[i] == '/') {
            nameStart = i + 1;
            break;
        }
        if (path[i] == '.')
            extensionStart = i + 1; // the dot nearest the start of the name wins
    }
    DroppedName split;
    split.nameOnly = std::string(path.substr(nameStart));
    if (extensionStart != std::string_view::npos)
        split.extension = std::string(path.substr(extensionStart));
    return split;
}

std::string FirstCharacters(std::string_view text, std::size_t count)
{
    std::mbstate_t state{};
    std::size_t at = 0;
    for (std::size_t taken = 0; taken < count && at < text.size(); ++taken) {
        const std::size_t length = std::mbrlen(text.data() + at, text.size() - at, &state);
        if (length == 0 || length > text.size() - at) { // a zero byte, or an invalid or cut character
            state = {};
            at += 1;
        } else {
            at += length;
        }
    }
    return std::string(text.substr(0, at));
}

std::string FolderQuestion(std::string_view folder)
{
    std::string text(folder);
    text += " is a Folder\nDo you want to load all files in this Folder?";
    return FirstCharacters(text, 255);
}

} // namespace quillo
