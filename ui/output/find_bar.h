// The find bar under the output list (Ctrl+F): typing moves to the next row
// holding the text, ignoring case as the search does; Enter or F3 finds the
// next, Shift+F3 the previous, wrapping at the ends with a beep; Esc closes
// it. It only moves the selection: the list itself never changes.
#pragma once

#include <QWidget>

#include <functional>

class QLineEdit;
class QLabel;

namespace quillo {

class OutputLineStore;
class OutputView;

class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(const OutputLineStore& store, OutputView& view, QWidget* parent = nullptr);

    // Called at a wrap and when no row holds the text.
    void SetBeep(std::function<void()> beep) { beep_ = std::move(beep); }

    // Shows the bar with its text selected and the focus in it.
    void Open();
    // Hides the bar; the focus goes back to the list.
    void Close();
    // The next or previous row holding the text, from the current row.
    void FindNext() { Find(true, false); }
    void FindPrevious() { Find(false, false); }

    QLineEdit* Field() const noexcept { return field_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // forward: downwards; stay: the current row itself may be the one.
    void Find(bool forward, bool stay);

    const OutputLineStore& store_;
    OutputView& view_;
    QLineEdit* field_;
    QLabel* status_;
    std::function<void()> beep_;
};

// The first row from start on (wrapping past the end, or past the top when
// going backwards) among the first rows of the store whose line holds
// needle, ignoring ASCII case; -1 when none does. wrapped: whether the
// search went past an end to find it.
int FindRow(const OutputLineStore& store, int rows, std::string_view needle, int start, bool forward, bool& wrapped);

} // namespace quillo
