// SPDX-License-Identifier: MIT
#pragma once

#include "engine/EngineError.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

namespace kelvane {

// Whether a run may replace what is at its output's place when it publishes the new file.
enum class Replace {
    Nothing,  // nothing may be there: a file or link that appears meanwhile fails the run
    Existing, // a file or link there is replaced (the user agreed); its link target is untouched
};

// What is at a path, the final link not followed.
enum class OutputPlace { Free, File, Link, Folder, Special };
OutputPlace outputPlace(const QString& path);

// Throws EngineError(OutputNotFile) when `path` names a folder, device, pipe or socket, and
// EngineError(OutputExists) when it names a file or link and `replace` is Nothing.
void checkOutputPlace(const QString& path, Replace replace);

// Flushes the folder open at `folder` (any descriptor of it, O_PATH too), so that names made in it
// reach the disk. Returns 0, or the error number of a flush that failed; a folder that cannot be
// opened for a flush, or a file system that has none for folders, is no failure.
int flushFolder(int folder);

// The error of an output `path` that was published, but whose folder's flush failed with `error`.
EngineError unflushedFolder(const QString& path, int error);

// Renames `from` to `to` unless something is at `to` already. False when it did not happen.
bool renameWithoutReplacing(const QString& from, const QString& to);

// Whether commit() flushes the output's folder itself, or leaves that to its caller, which
// flushes the folder once for many outputs (OutputGroup) before it tells anyone they are done.
enum class FolderFlush { Now, Deferred };

// Whether commit() flushes the file's data, or its caller has made it durable already (a flush
// of the whole file system that reported no error).
enum class DataFlush { Now, Done };

// A new file that appears at its path only complete and flushed to disk, or not at all.
//
// The content goes to a temporary file in the output's folder: an unnamed one where the file
// system has them, otherwise a short hidden name, created readable by the owner only. commit()
// flushes it, gives it its final permissions and publishes it in one step: with Replace::Nothing
// through a call that fails rather than replace anything (linkat of the unnamed file, or
// renameat2 with RENAME_NOREPLACE), with Replace::Existing by a rename over the old file or link,
// which replaces the link itself and never writes through it. Folders, devices, pipes and sockets
// at the output are never replaced. Any failure, and destruction without commit(), leaves the
// folder as it was; a named temporary file is also removed when a signal ends the process
// meanwhile.
//
// QSaveFile cannot do this: its commit falls back to a plain rename, which replaces whatever
// appeared at the output meanwhile, and it does not report a failed flush.
class AtomicOutput {
public:
    // `permissions` holds the read/write/execute bits the new file is to have (the source's);
    // set-user-ID, set-group-ID and sticky bits are dropped, the umask applies, and a file that
    // is replaced narrows them further to its own bits. Throws EngineError: OutputNotFile,
    // OutputExists (see checkOutputPlace), Write.
    AtomicOutput(const QString& path, Replace replace, unsigned permissions);
    ~AtomicOutput();
    AtomicOutput(const AtomicOutput&) = delete;
    AtomicOutput& operator=(const AtomicOutput&) = delete;

    const QString& path() const { return m_path; }
    // The temporary file, open for writing.
    int handle() const { return m_fd; }
    // The output's folder (an O_PATH descriptor), until commit.
    int folderHandle() const { return m_dirfd; }

    // Writes all of `data` at the current position. A write that the file system refuses for
    // direct I/O is repeated through the page cache. Throws EngineError(Write).
    void write(const std::uint8_t* data, std::size_t size);

    // Flushes, sets the permissions and publishes the file, then (with FolderFlush::Now) flushes
    // its folder. Throws EngineError: Write, OutputExists (something appeared at the output under
    // Replace::Nothing), OutputNotFile; Unflushed when the file is published but the folder's
    // flush failed (the file stays: it is complete).
    void commit(FolderFlush folder = FolderFlush::Now, DataFlush data = DataFlush::Now);

private:
    void createTemporary();
    bool tryUnnamed();
    void createNamed();
    void publishWithoutReplacing();
    void publishReplacing();
    void linkUnnamedAs(const QByteArray& name, bool temporaryName);
    void discard() noexcept;
    [[noreturn]] void fail(const QString& reason) const;
    [[noreturn]] void failErrno() const;

    QString m_path;
    QByteArray m_name; // the file name, in the file system's encoding
    Replace m_replace;
    unsigned m_mode = 0;
    int m_dirfd = -1;
    int m_fd = -1;
    QByteArray m_temporaryName; // empty while the temporary file has no name
    int m_cleanupSlot = -1;
    bool m_committed = false;
};

} // namespace kelvane
