// The output list through Qt's accessibility: a list whose rows are made when
// an assistive tool asks for them. Only the rows asked for have an interface,
// and those are dropped when the list is cleared.
#include "ui/output/output_view.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <unordered_map>

namespace quillo {
namespace {

class OutputRowAccessible : public QAccessibleInterface {
public:
    OutputRowAccessible(OutputView* view, int row) : view_(view), row_(row), generation_(view->Generation()) {}

    int Row() const noexcept { return row_; }
    const OutputView* View() const noexcept { return view_.data(); }

    bool isValid() const override
    {
        return view_ && view_->Generation() == generation_ && row_ < view_->RowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override
    {
        return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid() || t != QAccessible::Name)
            return {};
        LineStart shown = view_->RowShown(row_);
        if (shown.cut)
            shown.text += QString::fromUtf16(OutputView::CutMark);
        return shown.text;
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect row = view_->RowTextRect(row_);
        return QRect(view_->viewport()->mapToGlobal(row.topLeft()), row.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.selectable = true;
        s.focusable = true;
        s.selected = view_->SelectedRow() == row_;
        s.focused = view_->CurrentRow() == row_ && view_->hasFocus();
        if (!view_->RowRect(row_).intersects(view_->viewport()->rect())) {
            s.offscreen = true;
            s.invisible = true;
        }
        return s;
    }

private:
    QPointer<OutputView> view_;
    int row_;
    std::uint64_t generation_;
};

class OutputViewAccessible : public QAccessibleWidget {
public:
    explicit OutputViewAccessible(OutputView* view) : QAccessibleWidget(view, QAccessible::List) {}
    ~OutputViewAccessible() override { Drop(); }

    int childCount() const override { return View()->RowCount(); }

    QAccessibleInterface* child(int index) const override
    {
        OutputView* view = View();
        if (index < 0 || index >= view->RowCount())
            return nullptr;
        if (generation_ != view->Generation()) {
            Drop();
            generation_ = view->Generation();
        }
        auto found = rows_.find(index);
        if (found == rows_.end()) {
            const QAccessible::Id id = QAccessible::registerAccessibleInterface(new OutputRowAccessible(view, index));
            found = rows_.emplace(index, id).first;
        }
        return QAccessible::accessibleInterface(found->second);
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        if (!child || child->role() != QAccessible::ListItem)
            return -1;
        const auto* row = dynamic_cast<const OutputRowAccessible*>(child);
        if (!row || row->View() != View() || !row->isValid())
            return -1;
        return row->Row();
    }

    QAccessibleInterface* childAt(int x, int y) const override
    {
        OutputView* view = View();
        const int row = view->RowAt(view->viewport()->mapFromGlobal(QPoint(x, y)));
        return row < 0 ? nullptr : child(row);
    }

    QAccessibleInterface* focusChild() const override
    {
        OutputView* view = View();
        return view->hasFocus() && view->CurrentRow() >= 0 ? child(view->CurrentRow()) : nullptr;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        return s;
    }

private:
    OutputView* View() const { return static_cast<OutputView*>(widget()); }

    void Drop() const
    {
        for (const auto& [row, id] : rows_)
            QAccessible::deleteAccessibleInterface(id);
        rows_.clear();
    }

    mutable std::unordered_map<int, QAccessible::Id> rows_;
    mutable std::uint64_t generation_ = 0;
};

QAccessibleInterface* Factory(const QString& className, QObject* object)
{
    if (className == QLatin1String("quillo::OutputView"))
        return new OutputViewAccessible(static_cast<OutputView*>(object));
    return nullptr;
}

} // namespace

void InstallOutputViewAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(&Factory);
        return true;
    }();
    (void)installed;
}

} // namespace quillo
