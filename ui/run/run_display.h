// What the window shows of a run: the output list's lines and the status
// panels' texts.
//
// A run appends lines and sets panel texts far more often than a screen can
// show them. Both are stored at once, so whatever reads them (the run, Save,
// accessibility, the tests) always sees the current state; a frame timer then
// presents them at display rate (FrameMs): changed panels repaint, and the
// output list is told how many lines the store holds. Telling it costs the
// same however many rows it already shows.
#pragma once

#include "search/output/output_store.h"
#include "ui/output/header_rows.h"
#include "ui/window/status_panel.h"

#include <QBasicTimer>
#include <QObject>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillo {

class OutputView;

class RunDisplay : public QObject {
    Q_OBJECT
public:
    // The display rate: about 30 frames a second. Each frame of a run
    // repaints the status panels and, with the output list in front, its
    // scroll bar; at 60 frames a second that painting took a tenth of a fast
    // run's time.
    static constexpr int FrameMs = 33;

    // lines: the store the view draws from; the panels get their start texts.
    RunDisplay(OutputLineStore& lines, OutputView& view, const std::array<StatusPanel*, 4>& panels);

    // Each raises "Unable to insert a line" when the list is full; a header
    // is recorded only once its line is in the list.
    void AppendLine(std::string_view line);
    // A found line with its number within its file.
    void AppendFoundLine(std::string_view line, std::uint32_t lineNumber);
    // What the next run header's found lines are marked with.
    void BeginRunLines(RunLines lines) { nextRun_ = std::move(lines); }
    void AppendRunHeader(std::string_view line);
    // file: what to open for the lines under this header.
    void AppendFileHeader(std::string_view line, std::string file);
    // Empties the output list: store, view and the record of its headers;
    // lines that a run still appends are marked as that run's.
    void ClearLines();
    const OutputLineStore& Lines() const noexcept { return store_; }
    const HeaderRows& Headers() const noexcept { return headers_; }

    // Status bar panel 0..3; other numbers are ignored. A run calls it three
    // times every ten lines: it only copies the text.
    void SetPanelText(int panel, std::string_view text)
    {
        if (panel < 0 || panel >= static_cast<int>(panels_.size()))
            return;
        panels_[static_cast<std::size_t>(panel)]->SetText(text);
        ScheduleFrame();
    }
    QString PanelText(int panel) const;
    // The window's caption: a run sets it for every file it opens, far more
    // often than a screen shows (and on X11 each change is a round trip to
    // the display), so it is stored and shown with the next frame like the
    // panels. The end of every run presents it at once (Flush).
    void SetCaption(QWidget& window, std::string_view caption)
    {
        caption_.assign(caption);
        captionWindow_ = &window;
        ScheduleFrame();
    }
    // The texts the panels show at start and after a Clear.
    void ResetPanels();

    // Brings the screen up to date now instead of at the next frame.
    void Flush() noexcept;

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ScheduleFrame()
    {
        if (!frame_.isActive())
            StartFrameTimer();
    }
    void StartFrameTimer();
    void PresentFrame();

    OutputLineStore& store_;
    OutputView& view_;
    std::array<StatusPanel*, 4> panels_;
    HeaderRows headers_;
    RunLines nextRun_;
    RunLines lastRun_; // of the last run header appended
    QBasicTimer frame_;
    std::string caption_;
    QWidget* captionWindow_ = nullptr; // set while a caption waits to be shown
};

} // namespace quillo
