// Start-up and close of the main window with the settings file: the settings
// object lives from start-up, which reads the options into the "Main" page
// and gives the window its kept place, to the close, which writes both back;
// and whether a close request is carried out at all.
#pragma once

#include "settings/add_folder_values.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QWidget;

namespace quillo {

class ProfileChanges;
class TIniFile;
struct WindowLayout;

class StartupAndClose {
public:
    StartupAndClose(QWidget& window, const WindowLayout& controls);
    ~StartupAndClose();
    StartupAndClose(const StartupAndClose&) = delete;
    StartupAndClose& operator=(const StartupAndClose&) = delete;

    // Start-up lasts as long as one of these (the window's creation handler,
    // "/GO" runs included).
    class Startup {
    public:
        explicit Startup(StartupAndClose& owner) : owner_(owner) { owner_.starting_ = true; }
        ~Startup() { owner_.starting_ = false; }
        Startup(const Startup&) = delete;
        Startup& operator=(const Startup&) = delete;

    private:
        StartupAndClose& owner_;
    };
    bool Starting() const noexcept { return starting_; }
    // A close carried out during start-up: the options are written then, and
    // the program ends once start-up has finished.
    bool ClosedWhileStarting() const noexcept { return closedWhileStarting_; }

    // The settings file: beside the executable with ".ini" unless set
    // otherwise before ReadSettings.
    void SetSettingsFile(std::string path) { settingsFile_ = std::move(path); }
    // The settings object, from ReadSettings until the options are written.
    const TIniFile* Settings() const noexcept { return store_.get(); }

    // Binds the settings object to the settings file and sets the stored
    // option boxes and the operator from it. A box whose tick changes reacts
    // as to a click. Then, before the window is first shown, gives it its kept
    // size, position and maximized state (ui/window_place.h).
    void ReadSettings();
    // Writes the options and the window's place in one write of the file and
    // releases the settings object; nothing once it has been released. The
    // first time the write is refused, raises its failure and keeps the
    // object; after that, a refused write releases the object unwritten.
    void WriteSettings();

    // Every close request of the window comes here; returns whether the
    // window closes. formClose runs the window's close handler and returns
    // whether it completed: a close it could not complete (the settings file
    // cannot be written) is refused, and the next one runs it again and
    // goes through, written or not (see WriteSettings). During
    // start-up a close is carried out once: the remaining "/GO" runs still
    // take place, and later requests only ask a run to stop.
    bool CloseRequested(const std::function<bool()>& formClose);

    // The "Add Folder" dialog's values, read with the options and written
    // with them once they differ from what was read (a window whose dialog
    // was never confirmed leaves the settings file as it was).
    AddFolderValues& AddFolder() noexcept { return addFolder_; }
    // A settings section of the window's own beyond the options: read after
    // the options at start-up, written with them at close (given the file as
    // read at start-up, to tell which of its keys are there).
    using WriteSection = std::function<void(ProfileChanges&, const TIniFile&)>;
    void AddSection(std::function<void(const TIniFile&)> read, WriteSection write)
    {
        sections_.push_back({std::move(read), std::move(write)});
    }

private:
    void WriteOrGiveUp(const ProfileChanges& changes);

    QWidget& window_;
    const WindowLayout& controls_;
    AddFolderValues addFolder_;
    AddFolderValues addFolderRead_;
    std::string settingsFile_;
    std::unique_ptr<TIniFile> store_;
    struct Section {
        std::function<void(const TIniFile&)> read;
        WriteSection write;
    };
    std::vector<Section> sections_;
    bool starting_ = false;
    bool closedWhileStarting_ = false;
    bool writeRefused_ = false; // a close has shown that the file cannot be written
};

} // namespace quillo
