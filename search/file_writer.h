// A file written from scratch (created, or truncated if it exists), with the
// failures the program reports for it.
#pragma once

#include <string>
#include <string_view>

namespace quillo {

class FileWriter {
public:
    // Raises "Cannot create file <name>" when the file cannot be created.
    explicit FileWriter(const std::string& name);
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Buffered; raises "Stream write error" when writing fails.
    void Write(std::string_view bytes);
    // Writes what is buffered and closes; raises "Stream write error".
    void Close();

private:
    void Flush();
    void WriteThrough(std::string_view bytes);

    int fd_;
    std::string buffer_;
};

} // namespace quillo
