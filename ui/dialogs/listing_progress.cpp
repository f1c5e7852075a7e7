#include "ui/dialogs/listing_progress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillo {

ListingProgressDialog::ListingProgressDialog(QWidget* parent, Clock::duration showAfter)
    : QDialog(parent), start_(Clock::now()), lastRun_(start_), showAfter_(showAfter)
{
    setObjectName(QStringLiteral("ListingProgress"));
    setWindowTitle(QStringLiteral("Listing Files"));
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    count_ = new QLabel(CountText(0), this);
    count_->setObjectName(QStringLiteral("Count"));
    count_->setMinimumWidth(count_->fontMetrics().horizontalAdvance(CountText(10'000'000)) * 3 / 2);
    layout->addWidget(count_);
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancel_->setObjectName(QStringLiteral("Cancel"));
    layout->addWidget(cancel_, 0, Qt::AlignHCenter);
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

QString ListingProgressDialog::CountText(std::size_t found)
{
    return QStringLiteral("Files found: %1").arg(static_cast<qulonglong>(found));
}

bool ListingProgressDialog::Tell(std::size_t found)
{
    const Clock::time_point now = Clock::now();
    const bool showing = isVisible();
    if (now - lastRun_ < Interval && !(now - start_ >= showAfter_ && !showing))
        return !cancelled_;
    lastRun_ = now;
    count_->setText(CountText(found));
    if (!showing && now - start_ >= showAfter_) {
        show();
        raise();
        activateWindow();
    }
    QCoreApplication::processEvents(isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    return !cancelled_;
}

void ListingProgressDialog::reject()
{
    cancelled_ = true;
}

} // namespace quillo
