#include "filelist/filedrag.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

namespace {

using Strings = std::vector<std::string>;

// A window that records which events reach its own handling.
class Window : public QWidget {
public:
    std::vector<QEvent::Type> seen;
    bool event(QEvent* e) override
    {
        seen.push_back(e->type());
        return QWidget::event(e);
    }
};

QMimeData* Urls(const QStringList& paths)
{
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.push_back(path.startsWith("http") ? QUrl(path) : QUrl::fromLocalFile(path));
    mime->setUrls(urls);
    return mime;
}

// Sends a drag-enter and a drop; returns whether each was accepted.
std::pair<bool, bool> DragAndDrop(QWidget& target, const QStringList& paths)
{
    std::unique_ptr<QMimeData> mime(Urls(paths));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(&target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(&target, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

class FileDragTest : public ::testing::Test {
protected:
    Window window;
    TFileDrag* drag = new TFileDrag(&window);
    int drops = 0;
    void SetUp() override
    {
        drag->OnDrop = [this](TFileDrag* sender) {
            EXPECT_EQ(sender, drag);
            ++drops;
        };
    }
};

TEST_F(FileDragTest, OffAfterConstructionAndRefusing)
{
    EXPECT_FALSE(drag->EnableDrop());
    EXPECT_FALSE(window.acceptDrops());
    EXPECT_EQ(DragAndDrop(window, {"/tmp/a.txt"}), std::make_pair(false, false));
    EXPECT_EQ(drops, 0);
    EXPECT_EQ(drag->FileCount(), 0);
}

TEST_F(FileDragTest, DropFillsTheThreeListsAndASecondDropReplacesThem)
{
    drag->SetEnableDrop(true);
    EXPECT_TRUE(window.acceptDrops());
    const QString longPath = "/tmp/" + QString(220, 'n') + ".data.gz";
    EXPECT_EQ(DragAndDrop(window, {"/docs/report.txt", "/my.dir/README", longPath}), std::make_pair(true, true));
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(drag->FileCount(), 3);
    EXPECT_EQ(drag->NameWithPath(), (Strings{"/docs/report.txt", "/my.dir/README", longPath.toStdString()}));
    EXPECT_EQ(drag->NameOnly(), (Strings{"report.txt", "README", QString(220, 'n').toStdString() + ".data.gz"}));
    EXPECT_EQ(drag->Extension(), (Strings{"txt", "", "data.gz"}));

    DragAndDrop(window, {"/x/.profile"});
    EXPECT_EQ(drops, 2);
    EXPECT_EQ(drag->FileCount(), 1);
    EXPECT_EQ(drag->NameWithPath(), Strings{"/x/.profile"});
    EXPECT_EQ(drag->Extension(), Strings{"profile"});
}

TEST_F(FileDragTest, NonLocalDropsChangeNothing)
{
    drag->SetEnableDrop(true);
    DragAndDrop(window, {"/a.txt"});
    EXPECT_EQ(DragAndDrop(window, {"https://example.org/x.txt"}), std::make_pair(false, false));
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(drag->NameWithPath(), Strings{"/a.txt"});

    drag->SetEnableDrop(false);
    EXPECT_EQ(DragAndDrop(window, {"/b.txt"}), std::make_pair(false, false));
    EXPECT_EQ(drag->NameWithPath(), Strings{"/a.txt"});
}

TEST_F(FileDragTest, OtherEventsReachTheWindowUnchanged)
{
    drag->SetEnableDrop(true);
    window.seen.clear();
    window.resize(120, 80);
    window.setWindowTitle("t");
    QEvent custom(QEvent::User);
    QApplication::sendEvent(&window, &custom);
    DragAndDrop(window, {"/a.txt"});
    const auto& seen = window.seen;
    EXPECT_NE(std::find(seen.begin(), seen.end(), QEvent::WindowTitleChange), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), QEvent::User), seen.end());
    EXPECT_EQ(std::find(seen.begin(), seen.end(), QEvent::Drop), seen.end());
}

TEST(FileDrag, OwnerThatIsNoWidgetNeverDrops)
{
    QObject owner;
    auto* drag = new TFileDrag(&owner);
    drag->SetEnableDrop(true);
    EXPECT_FALSE(drag->EnableDrop());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
