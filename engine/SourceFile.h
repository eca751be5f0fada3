// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

#include <sys/stat.h>

namespace kelvane {

// A file to be locked or unlocked, open for reading. Only a regular file is accepted (a link to
// one is followed): a pipe would block, a device could be endless, a folder has no content. The
// size is taken when the file opens, and the content must keep to it: a file that turns out
// shorter or longer, or that is modified or replaced before the end, fails the run, so that no
// output is ever made of a file caught half-way through a change.
class SourceFile {
public:
    // Throws EngineError(Read): missing, unreadable, or not a regular file.
    explicit SourceFile(const QString& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    const QString& path() const { return m_path; }
    // The open file, for checks that need it; the file stays this object's.
    int handle() const { return m_fd; }
    std::uint64_t size() const { return static_cast<std::uint64_t>(m_status.st_size); }
    // The read/write/execute bits of the file.
    unsigned permissions() const { return m_status.st_mode & 0777; }

    // Reads the next bytes into `buffer`, up to `capacity`; 0 once the whole file is read.
    // Throws EngineError(Read), also when the file is shorter or longer than it was.
    std::size_t read(std::uint8_t* buffer, std::size_t capacity);

    // After the last read: throws EngineError(Read) when the file was modified or another file
    // took its place while it was read. A file deleted meanwhile passes: its content was read
    // whole and unchanged, and the output may now be its only copy.
    void checkUnchanged() const;

    // Throws EngineError(Read) when `path` names no regular file that could be read.
    static void check(const QString& path);

private:
    [[noreturn]] void fail(const QString& reason) const;
    [[noreturn]] void failChanged() const;

    QString m_path;
    int m_fd = -1;
    struct stat m_status {};
    std::uint64_t m_done = 0;
};

} // namespace kelvane
