// SPDX-License-Identifier: MIT
#include "engine/OutputGroup.h"

#include "engine/EngineError.h"

#include <algorithm>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {

namespace {

// An open folder, known by its device and inode so that each is flushed once.
struct Folder {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
};

} // namespace

OutputGroup::~OutputGroup() = default;

void OutputGroup::add(std::unique_ptr<AtomicOutput> output, std::uint64_t bytes, Done done) {
    if (bytes >= kLargeFile) {
        try {
            output->commit();
        } catch (const EngineError& error) {
            done(&error);
            return;
        }
        done(nullptr);
        return;
    }
    m_entries.push_back({std::move(output), std::move(done)});
    m_bytes += bytes;
    if (m_entries.size() >= kMaxFiles || m_bytes >= kMaxBytes) {
        flush();
    }
}

void OutputGroup::flush() {
    std::vector<Entry> entries = std::exchange(m_entries, {});
    m_bytes = 0;

    // One flush of each file system takes the data of every output at once.
    std::vector<dev_t> flushed;
    for (const Entry& entry : entries) {
        struct stat status {};
        if (::fstat(entry.output->handle(), &status) == 0 &&
            std::find(flushed.begin(), flushed.end(), status.st_dev) == flushed.end()) {
            ::syncfs(entry.output->handle());
            flushed.push_back(status.st_dev);
        }
    }

    std::vector<Folder> folders;
    std::vector<const Entry*> published;
    for (const Entry& entry : entries) {
        Folder folder;
        struct stat status {};
        if (::fstat(entry.output->folderHandle(), &status) == 0) {
            folder = {-1, status.st_dev, status.st_ino};
        }
        const bool known = std::any_of(folders.begin(), folders.end(), [&](const Folder& f) {
            return f.device == folder.device && f.inode == folder.inode;
        });
        if (!known) {
            folder.fd = ::fcntl(entry.output->folderHandle(), F_DUPFD_CLOEXEC, 0);
        }
        try {
            // A folder that cannot be held for the common flush is flushed with its output.
            entry.output->commit(known || folder.fd >= 0 ? FolderFlush::Deferred
                                                         : FolderFlush::Now);
            published.push_back(&entry);
            if (!known && folder.fd >= 0) {
                folders.push_back(folder);
                folder.fd = -1;
            }
        } catch (const EngineError& error) {
            entry.done(&error);
        }
        if (folder.fd >= 0) {
            ::close(folder.fd);
        }
    }

    for (const Folder& folder : folders) {
        flushFolder(folder.fd);
        ::close(folder.fd);
    }
    for (const Entry* entry : published) {
        entry->done(nullptr);
    }
}

} // namespace kelvane
