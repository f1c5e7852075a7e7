#include "ui/output/find_bar.h"

#include "search/output/output_store.h"
#include "search/match/predicates.h"
#include "ui/output/output_view.h"
#include "ui/platform/byte_text.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <string>

namespace quillo {

int FindRow(const OutputLineStore& store, int rows, std::string_view needle, int start, bool forward, bool& wrapped)
{
    wrapped = false;
    rows = std::min<qint64>(rows, static_cast<qint64>(store.Count()));
    if (rows <= 0 || needle.empty())
        return -1;
    const PreparedPattern pattern{std::string(needle), true};
    int row = start;
    if (row >= rows) {
        row = forward ? 0 : rows - 1;
        wrapped = forward;
    } else if (row < 0) {
        row = forward ? 0 : rows - 1;
        wrapped = !forward;
    }
    for (int seen = 0; seen < rows; ++seen) {
        if (pattern.Find(store.Line(static_cast<std::size_t>(row))) != std::string_view::npos)
            return row;
        if (forward && ++row == rows) {
            row = 0;
            wrapped = true;
        } else if (!forward && --row < 0) {
            row = rows - 1;
            wrapped = true;
        }
    }
    wrapped = false;
    return -1;
}

FindBar::FindBar(const OutputLineStore& store, OutputView& view, QWidget* parent)
    : QWidget(parent), store_(store), view_(view)
{
    setObjectName(QStringLiteral("FindBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 2, 2, 2);
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    field_ = new QLineEdit(this);
    field_->setObjectName(QStringLiteral("FindText"));
    field_->setAccessibleName(QStringLiteral("Find"));
    field_->setClearButtonEnabled(true);
    label->setBuddy(field_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("FindStatus"));
    row->addWidget(label);
    row->addWidget(field_, 1);
    row->addWidget(status_);
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textEdited, this, [this] { Find(true, true); });
    connect(field_, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    hide();
}

void FindBar::Open()
{
    show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

void FindBar::Close()
{
    hide();
    status_->clear();
    view_.setFocus(Qt::OtherFocusReason);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        Close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::Find(bool forward, bool stay)
{
    const std::string needle = TextToBytes(field_->text());
    if (needle.empty()) {
        status_->clear();
        return;
    }
    const int current = view_.CurrentRow();
    int start = current < 0 ? (forward ? 0 : view_.RowCount() - 1) : current;
    if (current >= 0 && !stay)
        start += forward ? 1 : -1;
    bool wrapped = false;
    const int row = FindRow(store_, view_.RowCount(), needle, start, forward, wrapped);
    if (row < 0) {
        status_->setText(QStringLiteral("Not found"));
        if (beep_)
            beep_();
        return;
    }
    status_->setText(wrapped ? QStringLiteral("Wrapped") : QString());
    if (wrapped && beep_)
        beep_();
    view_.SelectRow(row);
}

} // namespace quillo
