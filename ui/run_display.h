// What the window shows of a run: the output list's lines and the status
// panels' texts.
//
// A run appends lines and sets panel texts far more often than a screen can
// show them. Both are stored at once, so whatever reads them (the run, Save,
// accessibility, the tests) always sees the current state; a frame timer then
// presents them at display rate: changed panels repaint, and the model
// announces the lines appended since the last frame in one insertion. The list
// view lays out all its rows after every insertion, so once that layout gets
// costly (very long lists) the announcements are spaced out to keep it a small
// share of the time.
#pragma once

#include "search/output_store.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <string_view>

namespace quillo {

class OutputListModel;
class OutputListView;
class StatusPanel;

class RunDisplay : public QObject {
    Q_OBJECT
public:
    // outputCapacity: bytes the output list may hold before it refuses lines.
    // The view gets a model over the lines (owned by the view); the panels
    // get their start texts.
    RunDisplay(std::uint64_t outputCapacity, OutputListView& view, const std::array<StatusPanel*, 4>& panels);

    // Raises "Unable to insert a line" when the list is full.
    void AppendLine(std::string_view line);
    // Empties the output list, store and view.
    void ClearLines();
    const OutputLineStore& Lines() const noexcept { return store_; }
    OutputListModel* Model() const noexcept { return model_; }

    // Status bar panel 0..3; other numbers are ignored.
    void SetPanelText(int panel, std::string_view text);
    QString PanelText(int panel) const;
    // The texts the panels show at start and after a Clear.
    void ResetPanels();

    // Brings the screen up to date now instead of at the next frame.
    void Flush() noexcept;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ScheduleFrame();
    // Returns whether lines are still waiting for their announcement.
    bool PresentFrame();

    OutputLineStore store_;
    OutputListView& view_;
    OutputListModel* model_;
    std::array<StatusPanel*, 4> panels_;
    QBasicTimer frame_;
    QElapsedTimer clock_;
    qint64 lastRowFlush_ = 0;
};

} // namespace quillo
