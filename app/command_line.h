// The command line: a file, pattern or list file, the search strings, the
// operator word, and "/GO" to start runs, applied once at start-up.
#pragma once

#include "filelist/folder_listing.h"

#include <cstddef>
#include <string>
#include <vector>

namespace quillo {

// What applying the command line does to the main window.
class CommandLineHost {
public:
    virtual ~CommandLineHost() = default;
    // "Wrong filename!" with the caption "Error:" and the error icon.
    virtual void ShowWrongFilename() = 0;
    virtual void AppendFileEntry(const std::string& entry) = 0;
    // The files parameter 1 names (ExpandFilePattern) appended to files;
    // false when the listing was stopped before its end.
    virtual bool ListPattern(const std::string& pattern, std::vector<std::string>& files)
    {
        return ExpandFilePattern(pattern, files, {});
    }
    // Replaces the file list by the list file's lines; raises "Cannot open
    // file %s" and leaves the list as it was when it cannot be opened.
    virtual void LoadFileList(const std::string& listFile) = 0;
    virtual std::size_t FileCount() = 0;
    virtual void SetString1(const std::string& text) = 0; // as if typed
    virtual void SetString2(const std::string& text) = 0; // as if typed
    virtual void SelectOperator(int index) = 0;
    virtual bool SearchEnabled() = 0;
    // CmdSearch, and the "Search" menu with it.
    virtual void SetSearchEnabled(bool on) = 0;
    // Shows and raises the window, lets every pending event run, then runs
    // a search.
    virtual void RunSearchFromCommandLine() = 0;
};

// The letters a-z mapped to A-Z, nothing else.
std::string UpperCased(const std::string& text);

// The parameters among the program's arguments (argv): everything after the
// program's own name, empty ones dropped.
std::vector<std::string> ProgramParameters(const std::vector<std::string>& arguments);

// The program's parameters (without the program's own name), empty ones
// dropped by the caller.
void ApplyCommandLine(const std::vector<std::string>& parameters, CommandLineHost& host);

} // namespace quillo
