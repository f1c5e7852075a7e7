#include "ui/dialogs/About.h"

#include "search/failure.h"
#include "settings/paths.h"
#include "ui/dialogs/dialogs.h"
#include "ui/dialogs/readme_link.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <qdrawutil.h>

namespace quillo {
namespace {

constexpr char MailAddress[] = "root@localhost";

// A panel with a lowered outer and a raised inner bevel.
class BevelPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        qDrawShadePanel(&painter, rect(), palette(), true, 1);
        qDrawShadePanel(&painter, rect().adjusted(1, 1, -1, -1), palette(), false, 1);
    }
};

template <class Label>
Label* AddLabel(QWidget* parent, const char* name, const QString& text, const QFont& font, const QColor& color,
                QPoint at)
{
    auto* label = new Label(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    label->adjustSize();
    label->move(at);
    return label;
}

QFont PixelFont(const QString& family, int pixels, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

} // namespace

void LinkLabel::mouseDoubleClickEvent(QMouseEvent* event)
{
    QLabel::mouseDoubleClickEvent(event);
    emit DoubleClicked();
}

QUrl TAbout::WebLink()
{
    std::string program;
    try {
        program = ExecutablePath();
    } catch (const Failure&) {
        // Without the program's own path, the source tree's README.
    }
    return QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(ReadmeFor(program, BuildReadmePlaces()))));
}

QUrl TAbout::MailLink()
{
    return QUrl(QStringLiteral("mailto:") + QLatin1String(MailAddress));
}

TAbout::TAbout(Dialogs& dialogs, QWidget* parent) : QDialog(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("About"));
    setWindowTitle(QStringLiteral("About Quillo"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(309, 248);

    auto* panel = new BevelPanel(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(4, 4, 301, 205);

    const QFont name = PixelFont(QStringLiteral("Arial"), 48, true);
    AddLabel<QLabel>(panel, "Label3", QStringLiteral("Quillo"), name, Qt::black, {49, 26});
    auto* label1 = AddLabel<LinkLabel>(panel, "Label1", QStringLiteral("Quillo"), name, Qt::blue, {53, 25});
    AddLabel<QLabel>(panel, "Label2", QStringLiteral("Version 97.1.9"), PixelFont(font().family(), 19, true),
                     QColor(0x80, 0x80, 0x00), {133, 4});

    QFont link = font();
    link.setPointSize(8);
    link.setBold(true);
    const QString web = WebLink().toString();
    auto* label8 = AddLabel<LinkLabel>(panel, "Label8", web, link, Qt::blue, {68, 84});
    // A long path is shortened on screen; the tooltip and the link keep it whole.
    label8->setText(QFontMetrics(link).elidedText(web, Qt::ElideMiddle, panel->width() - 68 - 4));
    label8->adjustSize();
    label8->setToolTip(web);
    label8->setAccessibleName(web);
    auto* label6 = AddLabel<LinkLabel>(panel, "Label6", QLatin1String(MailAddress), link, Qt::blue, {75, 100});

    for (LinkLabel* label : {label1, label8, label6}) {
        label->setCursor(Qt::DragMoveCursor);
        connect(label, &LinkLabel::DoubleClicked, this, [this, label] { Label8DblClick(label); });
    }

    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()).topLeft());
}

void TAbout::Label8DblClick(QLabel* label)
{
    dialogs_.OpenUrl(label->objectName() == QLatin1String("Label6") ? MailLink() : WebLink());
}

} // namespace quillo
