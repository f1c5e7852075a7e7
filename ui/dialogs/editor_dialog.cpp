#include "ui/dialogs/editor_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace quillo {

QStringList InstalledEditorChoices()
{
    const struct {
        const char* program;
        const char* command;
    } known[] = {
        {"code", "code --goto %f:%l"},
        {"kate", "kate --line %l %f"},
        {"gedit", "gedit +%l %f"},
        {"gvim", "gvim +%l %f"},
        {"gnome-text-editor", "gnome-text-editor +%l %f"},
        {"emacs", "emacs +%l %f"},
    };
    QStringList choices;
    for (const auto& k : known)
        if (!QStandardPaths::findExecutable(QLatin1String(k.program)).isEmpty())
            choices << QLatin1String(k.command);
    return choices;
}

EditorDialog::EditorDialog(const QString& command, const QStringList& choices, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("EditorDialog"));
    setWindowTitle(QStringLiteral("Editor"));
    setWindowModality(Qt::ApplicationModal);
    auto* column = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    column->addLayout(form);

    field_ = new QLineEdit(command, this);
    field_->setObjectName(QStringLiteral("EditorCommand"));
    field_->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    auto* label = new QLabel(QStringLiteral("Command:"), this);
    label->setBuddy(field_);
    field_->setAccessibleName(label->text());
    form->addRow(label, field_);

    choices_ = new QComboBox(this);
    choices_->setObjectName(QStringLiteral("EditorChoices"));
    choices_->addItems(choices);
    choices_->setCurrentIndex(-1);
    choices_->setEnabled(!choices.isEmpty());
    choices_->setPlaceholderText(choices.isEmpty() ? QStringLiteral("None found") : QStringLiteral("Choose..."));
    auto* choicesLabel = new QLabel(QStringLiteral("Ready choices:"), this);
    choicesLabel->setBuddy(choices_);
    choices_->setAccessibleName(choicesLabel->text());
    form->addRow(choicesLabel, choices_);
    connect(choices_, &QComboBox::activated, this, [this](int i) { field_->setText(choices_->itemText(i)); });

    auto* note = new QLabel(QStringLiteral("%f stands for the file's path, %l for the line number, %% for %. "
                                           "Words are split at blanks; quote a word that holds blanks. "
                                           "Empty: the desktop's default application for the file, "
                                           "without a line."),
                            this);
    note->setObjectName(QStringLiteral("EditorNote"));
    note->setWordWrap(true);
    column->addWidget(note);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

QString EditorDialog::Command() const
{
    return field_->text();
}

} // namespace quillo
