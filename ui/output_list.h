// The output list: a list model over the search engine's compact line store,
// and the view that shows it.
//
// Lines go into the store at once (the run, Save and the tests read the store
// and always see every line), but the model announces them to the view in
// batches: Flush() is called from the window's frame timer, so the view lays
// out and repaints at display rate however fast the run appends.
#pragma once

#include "search/output_store.h"

#include <QAbstractListModel>
#include <QListView>

#include <chrono>
#include <cstddef>

namespace quillo {

class OutputListModel : public QAbstractListModel {
    Q_OBJECT
public:
    OutputListModel(OutputLineStore& store, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void SetRowHeight(int height);
    // Lines in the store the view has not been told about yet.
    bool HasPending() const noexcept { return store_.Count() > shown_; }
    // Announces the pending lines in one insertion.
    void Flush();
    // Empties the store and the view.
    void Clear();

private:
    OutputLineStore& store_;
    std::size_t shown_ = 0;
    int rowHeight_ = 16;
};

// QListView lays out every row again after each insertion; it reports how long
// that took, so that the window can space out its announcements when the list
// grows so long that a layout becomes costly.
class OutputListView : public QListView {
    Q_OBJECT
public:
    explicit OutputListView(QWidget* parent = nullptr);
    void doItemsLayout() override;
    std::chrono::nanoseconds LastLayoutCost() const noexcept { return lastLayout_; }

private:
    std::chrono::nanoseconds lastLayout_{0};
};

} // namespace quillo
