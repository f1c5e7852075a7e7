// One panel of the status bar. Its text is stored at once (accessibility and
// the window read it from here) but painted only when the window presents its
// frame, so a run may set it every ten lines at no drawing cost.
#pragma once

#include <QFrame>
#include <QString>

#include <string>
#include <string_view>

namespace quillo {

class StatusPanel : public QFrame {
    Q_OBJECT
public:
    explicit StatusPanel(QWidget* parent = nullptr);

    // Returns whether the text changed.
    bool SetText(std::string_view text);
    QString Text() const;
    const std::string& Bytes() const noexcept { return text_; }
    bool Dirty() const noexcept { return dirty_; }
    // Repaints the panel and tells assistive tools if the text changed since
    // the last call.
    void Present();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::string text_;
    bool dirty_ = false;
};

// Accessible interfaces for the window's own widgets (status panels, page
// tabs); installed once per program.
void InstallAccessibleInterfaces();

} // namespace quillo
