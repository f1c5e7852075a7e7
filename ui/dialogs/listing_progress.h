// The progress of a file listing that holds the one thread (a folder tree for
// "Add Folder", a "**" pattern): a modal dialog with the count of files found
// so far and a Cancel button. The listing tells it its count now and then
// (Tell, a ListingProgress); every Interval the dialog lets pending events
// run, and once the listing has lasted ShowAfter it appears. Until then only
// events that are no user input run, so that nothing the user does reaches
// the window in the middle of the listing; once it shows, it is modal.
#pragma once

#include "ui/dialogs/dialogs.h"

#include <QDialog>

#include <chrono>
#include <cstddef>

class QLabel;
class QPushButton;

namespace quillo {

class ListingProgressDialog : public QDialog {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr Clock::duration Interval = std::chrono::milliseconds(10);
    static constexpr Clock::duration DefaultShowAfter = std::chrono::milliseconds(400);

    explicit ListingProgressDialog(QWidget* parent, Clock::duration showAfter = DefaultShowAfter);

    // Takes the count found so far; returns false once the user has asked the
    // listing to stop.
    bool Tell(std::size_t found);
    bool Cancelled() const noexcept { return cancelled_; }
    // "Files found: <count>".
    static QString CountText(std::size_t found);

    // Escape and the close box stop the listing as Cancel does.
    void reject() override;

private:
    QLabel* count_ = nullptr;
    QPushButton* cancel_ = nullptr;
    Clock::time_point start_;
    Clock::time_point lastRun_;
    Clock::duration showAfter_;
    bool cancelled_ = false;
};

// Runs a listing with the progress dialog over window; returns whether it ran
// to its end. The dialog closes when the listing ends.
template <typename Listing>
bool ListWithProgress(QWidget* window, ListingProgressDialog::Clock::duration showAfter, Listing&& listing)
{
    const ReactivateOnClose reactivate;
    ListingProgressDialog progress(window, showAfter);
    return listing([&progress](std::size_t found) { return progress.Tell(found); });
}

} // namespace quillo
