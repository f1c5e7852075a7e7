#include "settings/editor_command.h"

namespace quillo {

std::string ReadEditorCommand(const TIniFile& settings)
{
    return settings.ReadText(EditorSection, EditorCommandKey, "");
}

void AddEditorCommand(ProfileChanges& changes, std::string_view command, const TIniFile& current)
{
    if (!command.empty() || current.HasKey(EditorSection, EditorCommandKey))
        changes.SetText(EditorSection, EditorCommandKey, command);
}

std::optional<std::vector<std::string>> SplitCommandLine(std::string_view command)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < command.size(); ++i) {
        const char c = command[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < command.size() &&
                       std::string_view("\"`$\\").find(command[i + 1]) != std::string_view::npos) {
                word += command[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(std::move(word));
            word.clear();
            inWord = false;
        } else if (c == '"') {
            quoted = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words.push_back(std::move(word));
    return words;
}

std::optional<std::vector<std::string>> EditorArguments(std::string_view command, std::string_view file,
                                                        std::uint32_t line)
{
    std::optional<std::vector<std::string>> words = SplitCommandLine(command);
    if (!words)
        return std::nullopt;
    std::string path(file);
    if (path.starts_with('-'))
        path.insert(0, "./");
    const std::string number = std::to_string(line);
    std::vector<std::string> arguments;
    bool named = false;
    for (const std::string& word : *words) {
        std::string expanded;
        bool onlyDropped = !word.empty();
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (word[i] != '%' || i + 1 == word.size()) {
                expanded += word[i];
                onlyDropped = false;
                continue;
            }
            const char code = word[++i];
            if (code == 'f' || code == 'F') {
                expanded += path;
                named = true;
                onlyDropped = false;
            } else if (code == 'l') {
                expanded += number;
                onlyDropped = false;
            } else if (code == '%') {
                expanded += '%';
                onlyDropped = false;
            }
        }
        if (!onlyDropped)
            arguments.push_back(std::move(expanded));
    }
    if (arguments.empty() || arguments.front().empty())
        return std::nullopt;
    if (!named)
        arguments.push_back(path);
    return arguments;
}

} // namespace quillo
