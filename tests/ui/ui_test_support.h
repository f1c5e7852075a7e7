// Shared pieces of the window tests: a scripted stand-in for the dialogs, a
// fixture with a freshly created main window, and temporary files.
#pragma once

#include "search/run_flags.h"
#include "ui/window/Unit1.h"
#include "ui/platform/app_title.h"
#include "ui/dialogs/dialogs.h"
#include "ui/window/page_control.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillo::test {

// Answers every dialog from a script and records what was asked. It never
// blocks, unless modalLoopMs is set: then the save dialog and the boxes run a
// modal loop of their own first, answered after that many milliseconds as a
// user would, and record whether the loop really ran until its answer.
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString caption;
        QString text;
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgOk;
        MsgButton defaultButton = MsgNone;
        bool overShownWindow = false; // the parent window was on screen
    };

    MsgButton MessageDialog(QWidget* parent, MsgKind kind, const QString& text, MsgButtons buttons) override
    {
        messages.push_back({KindCaption(kind), text, kind == MsgKind::Error ? MsgIcon::Error : MsgIcon::None, buttons,
                            MsgNone, OnScreen(parent)});
        return MsgOk;
    }
    // Answers with the next scripted button, else with the default button.
    MsgButton MessageBox(QWidget* parent, const QString& caption, const QString& text, MsgIcon icon,
                         MsgButtons buttons, MsgButton defaultButton) override
    {
        Wait();
        messages.push_back({caption, text, icon, buttons, defaultButton, OnScreen(parent)});
        if (boxAnswers.empty())
            return defaultButton;
        const MsgButton answer = boxAnswers.front();
        boxAnswers.pop_front();
        return answer;
    }
    void ShowFailure(QWidget* parent, const QString& caption, const QString& text) override
    {
        Wait();
        failures.push_back({caption, text, MsgIcon::Error, MsgOk, MsgOk, OnScreen(parent)});
    }
    std::optional<QStringList> OpenFiles(QWidget*, const OpenFilesRequest& request) override
    {
        openRequests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<QString> SaveFileName(QWidget*, const SaveFileRequest& request) override
    {
        Wait();
        saveRequests.push_back(request);
        return Next(saveAnswers);
    }
    // Each scripted answer is checked as OK checks it: a refused one is
    // recorded with its message and the next answer tried, as a user would
    // mend the values; nothing left, or nothing scripted: cancelled.
    std::optional<AddFolderChoice> AddFolder(QWidget*, const AddFolderChoice& shown,
                                             const AddFolderCheck& check) override
    {
        addFolderShown.push_back(shown);
        while (!addFolderAnswers.empty()) {
            const std::optional<AddFolderChoice> answer = addFolderAnswers.front();
            addFolderAnswers.pop_front();
            if (!answer)
                return std::nullopt;
            const QString refusal = check(*answer);
            if (refusal.isEmpty())
                return answer;
            addFolderRefusals.push_back(refusal);
        }
        return std::nullopt;
    }
    std::optional<QString> ChooseFolder(QWidget*, const QString&, const QString& start) override
    {
        folderStarts.push_back(start);
        return Next(folderAnswers);
    }
    void Beep() override { ++beeps; }
    void OpenUrl(const QUrl& url) override { urls.push_back(url); }
    // Records the words; starts nothing. Answers startAnswer.
    bool StartProgram(const QStringList& words) override
    {
        started.push_back(words);
        return startAnswer;
    }
    std::optional<QString> EditorCommand(QWidget*, const QString& command, const QStringList& choices) override
    {
        editorRequests.push_back({command, choices});
        return Next(editorAnswers);
    }

    std::vector<Shown> messages;
    std::deque<MsgButton> boxAnswers;
    std::vector<Shown> failures;
    std::deque<std::optional<QStringList>> openAnswers; // empty: cancelled
    std::vector<OpenFilesRequest> openRequests;
    std::deque<std::optional<QString>> saveAnswers;
    std::vector<SaveFileRequest> saveRequests;
    std::deque<std::optional<AddFolderChoice>> addFolderAnswers; // nothing: cancelled
    std::vector<AddFolderChoice> addFolderShown;
    std::vector<QString> addFolderRefusals;
    std::deque<std::optional<QString>> folderAnswers;
    std::vector<QString> folderStarts;
    int beeps = 0;
    std::vector<QUrl> urls;
    std::vector<QStringList> started;
    bool startAnswer = true;
    std::vector<std::pair<QString, QStringList>> editorRequests;
    std::deque<std::optional<QString>> editorAnswers; // empty: cancelled
    int modalLoopMs = 0;
    std::vector<bool> waited; // one per modal loop run

private:
    void Wait()
    {
        if (modalLoopMs <= 0)
            return;
        QEventLoop loop;
        bool answered = false;
        QTimer::singleShot(modalLoopMs, &loop, [&] {
            answered = true;
            loop.exit(0);
        });
        // A loop told to quit before it starts returns at once with -1.
        const int code = loop.exec();
        waited.push_back(answered && code == 0);
    }

    static bool OnScreen(const QWidget* parent) { return parent && parent->isVisible(); }

    template <class T>
    static std::optional<T> Next(std::deque<std::optional<T>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        struct Pop {
            std::deque<std::optional<T>>& queue;
            ~Pop() { queue.pop_front(); }
        } pop{answers};
        return answers.front();
    }
};

// Counts the paint events of the widgets it is installed on.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        paints += e->type() == QEvent::Paint;
        return false;
    }
};

class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(std::uint64_t capacity = OutputLineStore::DefaultCapacity()) : capacity_(capacity) {}

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        CancelRequested = false;
        SearchRunning = false;
        SetApplicationTitle(StartTitle);
        form = std::make_unique<TForm1>(dialogs, capacity_);
        // The window's files live in the test's folder, not beside the test program.
        form->SetFileListFile(Path("quillo.lst"));
        form->SetSettingsFile(Path("quillo.ini"));
        form->Invoke(&TForm1::FormCreate);
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override
    {
        form.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    template <class T = QWidget>
    T* Find(const char* name)
    {
        T* found = form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* Edit(const char* name) { return Find<QLineEdit>(name); }
    QCheckBox* Box(const char* name) { return Find<QCheckBox>(name); }
    QToolButton* Tool(const char* name) { return Find<QToolButton>(name); }
    QAction* Item(const char* name) { return Find<QAction>(name); }
    QMenu* Menu(const char* name) { return Find<QMenu>(name); }

    // A name in the test's folder as file-system bytes.
    std::string Path(const QString& name) const { return QFile::encodeName(dir.filePath(name)).toStdString(); }

    // A file in the test's folder; returns its path as the 8-bit entry.
    std::string Write(const QString& name, const QByteArray& bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return QFile::encodeName(file.fileName()).toStdString();
    }
    QByteArray Read(const QString& path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return file.readAll();
    }
    std::vector<std::string> OutputLines() const
    {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < form->OutputLines().Count(); ++i)
            lines.emplace_back(form->OutputLines().Line(i));
        return lines;
    }
    std::vector<QString> Panels() const
    {
        return {form->PanelText(0), form->PanelText(1), form->PanelText(2), form->PanelText(3)};
    }

    FakeDialogs dialogs;
    std::unique_ptr<TForm1> form;
    QTemporaryDir dir;

private:
    std::uint64_t capacity_;
};

} // namespace quillo::test
