#include "ui/run/run_display.h"

#include "ui/output/output_view.h"
#include "ui/platform/text_bytes.h"
#include "ui/window/status_panel.h"
#include "ui/window/status_texts.h"

#include <QTimerEvent>

namespace quillo {
RunDisplay::RunDisplay(OutputLineStore& lines, OutputView& view, const std::array<StatusPanel*, 4>& panels)
    : store_(lines), view_(view), panels_(panels)
{
    view_.SetRowMarks(&headers_);
    for (std::size_t i = 0; i < panels_.size(); ++i)
        panels_[i]->SetText(StartPanelTexts[i]);
}

void RunDisplay::AppendLine(std::string_view line)
{
    store_.Append(line);
    ScheduleFrame();
}

void RunDisplay::AppendFoundLine(std::string_view line, std::uint32_t lineNumber)
{
    store_.Append(line, lineNumber);
    ScheduleFrame();
}

void RunDisplay::AppendRunHeader(std::string_view line)
{
    AppendLine(line);
    lastRun_ = std::move(nextRun_);
    nextRun_ = {};
    headers_.AddRun(store_.Count() - 1, lastRun_);
}

void RunDisplay::AppendFileHeader(std::string_view line, std::string file)
{
    AppendLine(line);
    headers_.AddFile(store_.Count() - 1, std::move(file));
}

void RunDisplay::ClearLines()
{
    store_.Clear();
    headers_.Clear();
    headers_.ContinueRun(lastRun_);
    view_.Clear();
}

QString RunDisplay::PanelText(int panel) const
{
    if (panel < 0 || panel >= static_cast<int>(panels_.size()))
        return {};
    return panels_[static_cast<std::size_t>(panel)]->Text();
}

void RunDisplay::ResetPanels()
{
    for (int i = 0; i < static_cast<int>(panels_.size()); ++i)
        SetPanelText(i, StartPanelTexts[i]);
}

void RunDisplay::StartFrameTimer()
{
    frame_.start(FrameMs, Qt::CoarseTimer, this);
}

void RunDisplay::PresentFrame()
{
    for (StatusPanel* panel : panels_)
        panel->Present();
    if (captionWindow_) {
        captionWindow_->setWindowTitle(FromBytes(caption_));
        captionWindow_ = nullptr;
    }
    view_.Announce(store_.Count());
}

void RunDisplay::Flush() noexcept
{
    try {
        PresentFrame();
    } catch (...) {
        // Out of memory while drawing: the data stays intact, the screen
        // catches up at a later frame.
    }
}

void RunDisplay::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != frame_.timerId()) {
        QObject::timerEvent(event);
        return;
    }
    frame_.stop();
    Flush();
}

} // namespace quillo
