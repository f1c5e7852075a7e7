// Where the About window's web link points: the README installed with the
// program, or the one in the source tree.
#pragma once

#include <string>
#include <string_view>

namespace quillo {

struct ReadmePlaces {
    std::string_view sourceReadme;  // the source tree's README.md
    std::string_view buildBinDir;   // the folder the build puts the program in
    std::string_view binDirName;    // the name of the folder an install puts it in
    std::string_view readmeFromBin; // the installed README, relative to that folder
};

// The README for the program at executable (a full path). A program in a
// folder named binDirName that is not the build's folder is an installed one:
// its README lies at readmeFromBin from that folder, wherever the installation
// is (below a DESTDIR staging folder too). Any other program, the build's or a
// copy elsewhere, gets the source tree's README.
std::string ReadmeFor(std::string_view executable, const ReadmePlaces& places);

// The places this build was configured with.
ReadmePlaces BuildReadmePlaces();

} // namespace quillo
