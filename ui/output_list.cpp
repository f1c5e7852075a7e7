#include "ui/output_list.h"

#include <QElapsedTimer>
#include <QSize>

namespace quillo {

OutputListModel::OutputListModel(OutputLineStore& store, QObject* parent) : QAbstractListModel(parent), store_(store)
{
}

int OutputListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shown_);
}

QVariant OutputListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() != 0 || static_cast<std::size_t>(index.row()) >= shown_)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const std::string_view line = store_.Line(static_cast<std::size_t>(index.row()));
        return QString::fromLocal8Bit(line.data(), static_cast<qsizetype>(line.size()));
    }
    case Qt::SizeHintRole:
        // One width for every row: the view never measures lines, and a long
        // line is cut at the view's right edge instead of widening the list.
        return QSize(1, rowHeight_);
    default:
        return {};
    }
}

Qt::ItemFlags OutputListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void OutputListModel::SetRowHeight(int height)
{
    rowHeight_ = height;
}

void OutputListModel::Flush()
{
    const std::size_t count = store_.Count();
    if (count <= shown_)
        return;
    beginInsertRows({}, static_cast<int>(shown_), static_cast<int>(count - 1));
    shown_ = count;
    endInsertRows();
}

void OutputListModel::Clear()
{
    beginResetModel();
    store_.Clear();
    shown_ = 0;
    endResetModel();
}

OutputListView::OutputListView(QWidget* parent) : QListView(parent)
{
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setWordWrap(false);
    setLayoutMode(QListView::SinglePass);
    setAutoScroll(false);
}

void OutputListView::doItemsLayout()
{
    QElapsedTimer timer;
    timer.start();
    QListView::doItemsLayout();
    lastLayout_ = std::chrono::nanoseconds(timer.nsecsElapsed());
}

} // namespace quillo
