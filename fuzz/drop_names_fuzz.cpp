// Dropped names: the split of a dropped path, and the question asked about a
// dropped folder, cut to 255 characters.
//
// Input: the dropped path.
//
// Properties of the split: the name is what follows the last "/" (the whole
// path without one); the extension is what follows the first "." of the name
// (empty without one).
// Properties of the question, in the UTF-8 locale and in the "C" locale: it
// is the beginning of the full text, at most 255 characters long (as the
// locale counts them), the whole text when that has no more; the cut never
// falls inside a well-formed UTF-8 character (in the "C" locale every byte
// is a character).
#include "filelist/drop_names.h"
#include "fuzz/fuzz_support.h"

#include <algorithm>
#include <clocale>
#include <cwchar>

namespace {

using namespace quillo;
using namespace quillo::fuzz;

void CheckSplit(std::string_view path)
{
    const DroppedName split = SplitDroppedName(path);
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    RequireEqual(split.nameOnly, std::string(name), "the name follows the last slash");
    const std::size_t dot = name.find('.');
    RequireEqual(split.extension, std::string(dot == std::string_view::npos ? "" : name.substr(dot + 1)),
                 "the extension follows the name's first dot");
}

// Length of the well-formed UTF-8 character at text[at] (shortest form, no
// surrogates, at most U+10FFFF), 0 when none starts there.
std::size_t Utf8Length(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xbf; // range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf)
        length = 2;
    else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else
        return 0;
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(at + i) < 0x80 || byte(at + i) > 0xbf)
            return 0;
    return length;
}

// Characters the locale sees in text (mbrlen: a byte that starts none counts
// as one).
std::size_t LocaleCharacters(std::string_view text)
{
    std::size_t characters = 0;
    std::mbstate_t state{};
    for (std::size_t at = 0; at < text.size(); ++characters) {
        std::size_t length = std::mbrlen(text.data() + at, text.size() - at, &state);
        if (length == 0 || length > text.size() - at) {
            state = {};
            length = 1;
        }
        at += length;
    }
    return characters;
}

void CheckQuestion(std::string_view folder, bool utf8)
{
    const std::string question = FolderQuestion(folder);
    const std::string full = std::string(folder) + " is a Folder\nDo you want to load all files in this Folder?";
    Require(full.starts_with(question), "the question is the beginning of the full text");
    if (utf8) {
        for (std::size_t at = 0; at < question.size();) {
            const std::size_t length = std::max<std::size_t>(Utf8Length(full, at), 1);
            if (at + length > question.size())
                Violated("the cut never falls inside a character", Show(question) + " of " + Show(full));
            at += length;
        }
    }
    const std::size_t characters = LocaleCharacters(question);
    Require(characters <= 255, "the question has at most 255 characters");
    if (characters < 255)
        RequireEqual(question, full, "a text of fewer than 255 characters is not cut");
    if (!utf8)
        RequireEqual<long long>(question.size(), std::min<std::size_t>(full.size(), 255),
                                "in the \"C\" locale a character is a byte");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view path(reinterpret_cast<const char*>(data), size);
    CheckSplit(path);
    for (const char* locale : {"C.UTF-8", "C"}) {
        if (!std::setlocale(LC_CTYPE, locale))
            Violated("the locale can be set", locale);
        CheckQuestion(path, locale[1] == '.');
    }
    return 0;
}
