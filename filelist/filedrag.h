// TFileDrag: makes the window that owns it a drop target for files and
// folders dragged from the file manager. It sits in front of the window's own
// event handling as an event filter, takes drags and drops of local files
// while EnableDrop is on, and passes every other event on unchanged.
#pragma once

#include <QObject>

#include <functional>
#include <string>
#include <vector>

class QWidget;

class TFileDrag : public QObject {
    Q_OBJECT
public:
    // An owner that is not a widget gets no hook and never receives drops.
    explicit TFileDrag(QObject* owner);
    ~TFileDrag() override;

    // The last drop, one entry per item in drop order: the full path's bytes
    // as the file system has them, the name after the last "/", and the text
    // after the first "." of that name.
    const std::vector<std::string>& NameWithPath() const { return nameWithPath_; }
    const std::vector<std::string>& NameOnly() const { return nameOnly_; }
    const std::vector<std::string>& Extension() const { return extension_; }
    int FileCount() const { return fileCount_; }

    bool EnableDrop() const { return enableDrop_; }
    void SetEnableDrop(bool on);

    // Called once after each drop, when the lists are filled.
    std::function<void(TFileDrag* sender)> OnDrop;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void TakeDrop(const std::vector<std::string>& paths);

    QWidget* window_ = nullptr;
    bool enableDrop_ = false;
    int fileCount_ = 0;
    std::vector<std::string> nameWithPath_;
    std::vector<std::string> nameOnly_;
    std::vector<std::string> extension_;
};
