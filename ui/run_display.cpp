#include "ui/run_display.h"

#include "ui/output_list.h"
#include "ui/status_panel.h"
#include "ui/status_texts.h"

#include <QTimerEvent>

#include <algorithm>
#include <chrono>

namespace quillo {
namespace {

constexpr int FrameMs = 16;          // display rate
constexpr qint64 MaxRowFlushMs = 1000;
constexpr int LayoutCostFactor = 30; // list layouts take at most ~1/30 of the time

} // namespace

RunDisplay::RunDisplay(std::uint64_t outputCapacity, OutputListView& view, const std::array<StatusPanel*, 4>& panels)
    : store_(outputCapacity), view_(view), model_(new OutputListModel(store_, &view)), panels_(panels)
{
    model_->setObjectName(QStringLiteral("SearchListModel"));
    model_->SetRowHeight(view_.fontMetrics().height() + 2);
    view_.setModel(model_);
    for (std::size_t i = 0; i < panels_.size(); ++i)
        panels_[i]->SetText(StartPanelTexts[i]);
    clock_.start();
}

void RunDisplay::AppendLine(std::string_view line)
{
    store_.Append(line);
    ScheduleFrame();
}

void RunDisplay::ClearLines()
{
    model_->Clear();
}

void RunDisplay::SetPanelText(int panel, std::string_view text)
{
    if (panel < 0 || panel >= static_cast<int>(panels_.size()))
        return;
    if (panels_[static_cast<std::size_t>(panel)]->SetText(text))
        ScheduleFrame();
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

void RunDisplay::ScheduleFrame()
{
    if (!frame_.isActive())
        frame_.start(FrameMs, Qt::CoarseTimer, this);
}

bool RunDisplay::PresentFrame()
{
    for (StatusPanel* panel : panels_)
        panel->Present();
    if (!model_->HasPending())
        return false;
    const qint64 now = clock_.elapsed();
    const qint64 layoutMs = std::chrono::duration_cast<std::chrono::milliseconds>(view_.LastLayoutCost()).count();
    const qint64 interval = std::clamp<qint64>(layoutMs * LayoutCostFactor, FrameMs, MaxRowFlushMs);
    if (now - lastRowFlush_ < interval)
        return true;
    model_->Flush();
    lastRowFlush_ = now;
    return false;
}

void RunDisplay::Flush() noexcept
{
    try {
        for (StatusPanel* panel : panels_)
            panel->Present();
        model_->Flush();
        lastRowFlush_ = clock_.elapsed();
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
    bool more = false;
    try {
        more = PresentFrame();
    } catch (...) {
        // As in Flush: a later frame catches up.
    }
    if (!more)
        frame_.stop();
}

} // namespace quillo
