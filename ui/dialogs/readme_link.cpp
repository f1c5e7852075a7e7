#include "ui/dialogs/readme_link.h"

#include <filesystem>

namespace quillo {
namespace {

namespace fs = std::filesystem;

// The folder with exactly one "/" at its end, so that "/a/b" and "/a/b/"
// compare equal.
fs::path Folder(const fs::path& path) { return (path / "").lexically_normal(); }

} // namespace

std::string ReadmeFor(std::string_view executable, const ReadmePlaces& places)
{
    if (executable.empty())
        return std::string(places.sourceReadme);
    const fs::path folder = Folder(fs::path(executable).lexically_normal().parent_path());
    const bool installed = folder.parent_path().filename() == places.binDirName &&
                           folder != Folder(fs::path(places.buildBinDir));
    if (!installed)
        return std::string(places.sourceReadme);
    return (folder / places.readmeFromBin).lexically_normal().string();
}

ReadmePlaces BuildReadmePlaces()
{
    return {QUILLO_SOURCE_README, QUILLO_BUILD_BIN_DIR, QUILLO_BIN_DIR_NAME, QUILLO_README_FROM_BIN};
}

} // namespace quillo
