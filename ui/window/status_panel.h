// One panel of the status bar. Its text is stored at once (accessibility and
// the window read it from here) but painted only when the window presents its
// frame, so a run may set it every ten lines at no drawing cost. Setting it
// only copies the bytes; whether they differ from what the panel shows is
// asked once a frame.
//
// Its width holds the longest text it can show, measured in its own font
// whenever the layout asks (a font change lays the bar out again), and is
// never less than the width the layout gives it.
#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

namespace quillo {

class StatusPanel : public QFrame {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    void SetText(std::string_view text) { text_.assign(text); }
    QString Text() const;
    const std::string& Bytes() const noexcept { return text_; }
    // Repaints the panel and tells assistive tools if the text differs from
    // the one the last call found.
    void Present();

    // leastWidth: the layout's width in pixels; longest: the texts the panel
    // must hold, their digits standing for any digit.
    void SetWidthRule(int leastWidth, QStringList longest);
    // Where the text is drawn.
    QRect TextRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string text_;
    std::string presented_; // the text at the last Present
    int leastWidth_ = 0;
    QStringList longest_;
};

// Accessible interfaces for the window's own widgets (status panels, page
// tabs); installed once per program.
void InstallAccessibleInterfaces();

} // namespace quillo
