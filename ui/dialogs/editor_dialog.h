// The "Editor" dialog (File > Editor...): the command line that opens a
// found line in the user's editor, with a note of its placeholders and ready
// commands for the editors installed on the machine.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QComboBox;
class QLineEdit;

namespace quillo {

// The ready commands whose programs are found on PATH, in a fixed order.
QStringList InstalledEditorChoices();

class EditorDialog : public QDialog {
    Q_OBJECT
public:
    EditorDialog(const QString& command, const QStringList& choices, QWidget* parent = nullptr);

    QString Command() const;

private:
    QLineEdit* field_;
    QComboBox* choices_;
};

} // namespace quillo
