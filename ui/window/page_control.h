// A tabbed page control whose tabs have one fixed width and wrap into several
// rows when the control is too narrow to hold them in one.
#pragma once

#include <QAbstractButton>
#include <QList>
#include <QWidget>

class QStackedWidget;

namespace quillo {

class PageTab : public QAbstractButton {
    Q_OBJECT
public:
    PageTab(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

class PageControl : public QWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent = nullptr);

    void AddPage(QWidget* page, const QString& text);
    void SetTabWidth(int width);

    int Count() const { return static_cast<int>(tabs_.size()); }
    PageTab* Tab(int i) const { return tabs_.value(i); }
    QWidget* Page(int i) const;
    int CurrentIndex() const { return current_; }
    QWidget* CurrentPage() const { return Page(current_); }
    void SetCurrentIndex(int i);
    void SetCurrentPage(QWidget* page);
    int RowCount() const { return rows_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void CurrentChanged(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Relayout();
    int TabHeight() const;
    QRect PaneRect() const;

    QList<PageTab*> tabs_;
    QStackedWidget* stack_;
    int tabWidth_ = 130;
    int current_ = -1;
    int rows_ = 1;
};

} // namespace quillo
