// The "Add Folder" dialog itself: the values it shows and gives back,
// "Browse..." through the dialogs interface, and OK refused by its check.
#include "ui/dialogs/add_folder_dialog.h"
#include "ui_test_support.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace quillo::test {
namespace {

struct DialogCase {
    const char* name;
    std::optional<QString> browsed; // the folder chooser's answer; nothing: cancelled
    QString refusal;                // the check's answer for the first OK
    QString folderAfter;            // the folder field once browsed
    bool closes;                    // whether the first OK closes the dialog
};

TEST(AddFolderDialogTest, ShowsBrowsesChecksAndGivesBack)
{
    const AddFolderChoice shown{"/start", "*.c", ".git", false, true};
    const DialogCase cases[] = {
        {"Accepted", std::nullopt, "", "/start", true},
        {"BrowsedThenAccepted", QString("/chosen"), "", "/chosen", true},
        {"RefusedStaysOpen", std::nullopt, "Folder not found: /start", "/start", false},
    };
    for (const DialogCase& c : cases) {
        FakeDialogs dialogs;
        dialogs.folderAnswers.push_back(c.browsed);
        int checks = 0;
        AddFolderDialog dialog(nullptr, dialogs, shown, [&](const AddFolderChoice& typed) {
            ++checks;
            EXPECT_EQ(typed.folder, c.folderAfter) << c.name;
            return checks == 1 ? c.refusal : QString();
        });
        EXPECT_EQ(dialog.windowTitle(), "Add Folder");
        EXPECT_EQ(dialog.Choice(), shown) << c.name;
        dialog.findChild<QPushButton*>("Browse")->click();
        EXPECT_EQ(dialogs.folderStarts, std::vector<QString>{"/start"}) << c.name;
        EXPECT_EQ(dialog.findChild<QLineEdit*>("Folder")->text(), c.folderAfter) << c.name;
        dialog.findChild<QLineEdit*>("FileNames")->setText("*.h;*.cpp");
        dialog.findChild<QLineEdit*>("SkipFolders")->setText("");
        dialog.findChild<QCheckBox*>("Subfolders")->setChecked(true);
        dialog.findChild<QCheckBox*>("SkipBinary")->setChecked(false);

        dialog.findChild<QPushButton*>("OK")->click();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.closes) << c.name;
        if (!c.closes) {
            ASSERT_EQ(dialogs.messages.size(), 1u) << c.name;
            EXPECT_EQ(dialogs.messages[0].caption, "Error");
            EXPECT_EQ(dialogs.messages[0].text, c.refusal);
            dialog.findChild<QPushButton*>("OK")->click();
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.name;
        }
        EXPECT_EQ(dialog.Choice(), (AddFolderChoice{c.folderAfter, "*.h;*.cpp", "", true, false})) << c.name;
    }
}

} // namespace
} // namespace quillo::test
