#include "ui/dialogs/add_folder_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quillo {

AddFolderDialog::AddFolderDialog(QWidget* parent, Dialogs& dialogs, const AddFolderChoice& shown, AddFolderCheck check)
    : QDialog(parent), dialogs_(dialogs), check_(std::move(check))
{
    setObjectName(QStringLiteral("AddFolderDialog"));
    setWindowTitle(QStringLiteral("Add Folder"));
    auto* grid = new QGridLayout(this);

    auto field = [&](int row, const char* name, const char* label, const QString& text) {
        auto* edit = new QLineEdit(text, this);
        edit->setObjectName(QLatin1String(name));
        auto* caption = new QLabel(QLatin1String(label), this);
        caption->setBuddy(edit);
        edit->setAccessibleName(caption->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')));
        grid->addWidget(caption, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    folder_ = field(0, "Folder", "&Folder:", shown.folder);
    folder_->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("Browse"));
    browse->setAutoDefault(false);
    grid->addWidget(browse, 0, 2);
    fileNames_ = field(1, "FileNames", "File &names:", shown.fileNames);
    fileNames_->setPlaceholderText(QStringLiteral("*.cpp;*.h"));
    skipFolders_ = field(2, "SkipFolders", "S&kip folders:", shown.skipFolders);

    subfolders_ = new QCheckBox(QStringLiteral("Include &subfolders"), this);
    subfolders_->setObjectName(QStringLiteral("Subfolders"));
    subfolders_->setChecked(shown.subfolders);
    grid->addWidget(subfolders_, 3, 1, 1, 2);
    skipBinary_ = new QCheckBox(QStringLiteral("Skip b&inary files"), this);
    skipBinary_->setObjectName(QStringLiteral("SkipBinary"));
    skipBinary_->setChecked(shown.skipBinary);
    grid->addWidget(skipBinary_, 4, 1, 1, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("Cancel"));
    grid->addWidget(buttons, 5, 0, 1, 3);

    connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    folder_->setFocus();
}

AddFolderChoice AddFolderDialog::Choice() const
{
    return {folder_->text(), fileNames_->text(), skipFolders_->text(), subfolders_->isChecked(),
            skipBinary_->isChecked()};
}

void AddFolderDialog::accept()
{
    const QString refusal = check_ ? check_(Choice()) : QString();
    if (refusal.isEmpty()) {
        QDialog::accept();
        return;
    }
    dialogs_.MessageDialog(this, MsgKind::Error, refusal, MsgOk);
    folder_->setFocus();
    folder_->selectAll();
}

void AddFolderDialog::Browse()
{
    if (const std::optional<QString> chosen = dialogs_.ChooseFolder(this, QStringLiteral("Browse for Folder"),
                                                                     folder_->text()))
        folder_->setText(*chosen);
}

} // namespace quillo
