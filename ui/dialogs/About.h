// The About window: product name, version and the two links.
#pragma once

#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QUrl>

namespace quillo {

class Dialogs;

// A label that reports double clicks.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
signals:
    void DoubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TAbout : public QDialog {
    Q_OBJECT
public:
    explicit TAbout(Dialogs& dialogs, QWidget* parent = nullptr);

    // The project's page and mail address the link labels open. The page is
    // the README: the installed one for an installed program, else the
    // source tree's.
    static QUrl WebLink();
    static QUrl MailLink();

    // The double-click handler of Label1, Label8 and Label6.
    void Label8DblClick(QLabel* label);

private:
    Dialogs& dialogs_;
};

// The About window being shown, if any. A closed window destroys itself.
inline QPointer<TAbout> About;

} // namespace quillo
