#include "filedrag.h"

#include "drop_names.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

// The local files a drag carries, as file-system bytes; empty when it carries none.
std::vector<std::string> LocalFiles(const QMimeData* mime)
{
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    return paths;
}

} // namespace

TFileDrag::TFileDrag(QObject* owner) : QObject(owner)
{
    window_ = qobject_cast<QWidget*>(owner);
    if (window_)
        window_->installEventFilter(this);
    SetEnableDrop(false);
}

TFileDrag::~TFileDrag()
{
    if (window_) {
        window_->removeEventFilter(this);
        window_->setAcceptDrops(false);
    }
}

void TFileDrag::SetEnableDrop(bool on)
{
    enableDrop_ = on && window_;
    if (window_)
        window_->setAcceptDrops(enableDrop_);
}

bool TFileDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != window_)
        return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (enableDrop_ && !LocalFiles(drag->mimeData()).empty())
            drag->acceptProposedAction();
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::vector<std::string> paths = enableDrop_ ? LocalFiles(drop->mimeData()) : std::vector<std::string>{};
        if (paths.empty()) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        TakeDrop(paths);
        return true;
    }
    default:
        return false;
    }
}

void TFileDrag::TakeDrop(const std::vector<std::string>& paths)
{
    nameWithPath_.clear();
    nameOnly_.clear();
    extension_.clear();
    fileCount_ = static_cast<int>(paths.size());
    for (const std::string& path : paths) {
        quillo::DroppedName split = quillo::SplitDroppedName(path);
        nameWithPath_.push_back(path);
        nameOnly_.push_back(std::move(split.nameOnly));
        extension_.push_back(std::move(split.extension));
    }
    if (OnDrop)
        OnDrop(this);
}
