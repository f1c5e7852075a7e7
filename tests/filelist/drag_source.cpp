// A second X client for the real-window tests: a small window that starts a
// drag of the files named on its command line when the mouse is pressed on
// it, so xdotool can drag them onto the program like a file manager would.
#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include <cstdio>

namespace {

class DragSource : public QLabel {
public:
    explicit DragSource(QList<QUrl> urls) : QLabel("drag source"), urls_(std::move(urls))
    {
        setWindowTitle("Quillo drag source");
        setAlignment(Qt::AlignCenter);
        resize(160, 100);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        auto* drag = new QDrag(this);
        auto* mime = new QMimeData;
        mime->setUrls(urls_);
        drag->setMimeData(mime);
        const Qt::DropAction result = drag->exec(Qt::CopyAction);
        std::printf("drag finished: %s\n", result == Qt::CopyAction ? "copied" : "refused");
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString& path : app.arguments().mid(1))
        urls.push_back(QUrl::fromLocalFile(path));
    DragSource source(urls);
    source.move(600, 400);
    source.show();
    return app.exec();
}
