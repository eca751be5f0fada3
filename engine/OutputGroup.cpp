// SPDX-License-Identifier: MIT
#include "engine/OutputGroup.h"

#include "engine/EngineError.h"
#include "engine/OutputCalls.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace kelvane {

namespace {

// An open folder, known by its device and inode so that each is flushed once.
struct Folder {
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;
};

// A flush of a whole file system reports the write errors met on it only from Linux 5.8 on;
// before, it always succeeds, and only each file's own flush can be trusted.
bool syncfsReportsErrors() {
    static const bool reports = [] {
        utsname system{};
        int major = 0;
        int minor = 0;
        return ::uname(&system) == 0 && std::sscanf(system.release, "%d.%d", &major, &minor) == 2 &&
               (major > 5 || (major == 5 && minor >= 8));
    }();
    return reports;
}

constexpr rlim_t kWantedDescriptors = 2 * OutputGroup::kMaxFiles + OutputGroup::kSpareDescriptors;

} // namespace

void OutputGroup::raiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < kWantedDescriptors) {
        limit.rlim_cur = limit.rlim_max == RLIM_INFINITY
                             ? kWantedDescriptors
                             : std::min(limit.rlim_max, kWantedDescriptors);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

OutputGroup::OutputGroup() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= kWantedDescriptors) {
        m_capacity = kMaxFiles;
    } else if (limit.rlim_cur > kSpareDescriptors + 2) {
        m_capacity = static_cast<std::size_t>((limit.rlim_cur - kSpareDescriptors) / 2);
    }
}

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
    if (m_entries.size() >= m_capacity || m_bytes >= kMaxBytes) {
        flush();
    }
}

void OutputGroup::flush() {
    std::vector<Entry> entries = std::exchange(m_entries, {});
    m_bytes = 0;

    // One flush of each file system takes the data of every output at once. It is made through
    // the output opened first, so that a write error anywhere on that file system since then fails
    // it; each output is then flushed alone, which finds its own error. Each output's folder is
    // looked up once; its temporary file is on the folder's file system.
    std::vector<std::pair<dev_t, bool>> devices; // and whether their flush succeeded
    std::vector<Folder> folderOf;
    std::vector<dev_t> deviceOf;
    folderOf.reserve(entries.size());
    deviceOf.reserve(entries.size());
    for (const Entry& entry : entries) {
        struct stat status {};
        const bool found = ::fstat(entry.output->folderHandle(), &status) == 0;
        folderOf.push_back(found ? Folder{-1, status.st_dev, status.st_ino} : Folder{});
        const dev_t device = found ? status.st_dev : dev_t(-1);
        deviceOf.push_back(device);
        if (std::none_of(devices.begin(), devices.end(),
                         [&](const auto& known) { return known.first == device; })) {
            const bool durable =
                detail::outputCalls().syncfs(entry.output->handle()) == 0 && syncfsReportsErrors();
            devices.emplace_back(device, durable);
        }
    }
    const auto dataFlush = [&](std::size_t index) {
        const dev_t device = deviceOf[index];
        const auto found = std::find_if(devices.begin(), devices.end(),
                                        [&](const auto& known) { return known.first == device; });
        return found != devices.end() && found->second && device != dev_t(-1) ? DataFlush::Done
                                                                              : DataFlush::Now;
    };

    std::vector<Folder> folders;
    std::vector<std::pair<const Entry*, std::pair<dev_t, ino_t>>> published; // and their folder
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const Entry& entry = entries[index];
        Folder folder = folderOf[index];
        const bool known = std::any_of(folders.begin(), folders.end(), [&](const Folder& f) {
            return f.device == folder.device && f.inode == folder.inode;
        });
        if (!known) {
            folder.fd = ::fcntl(entry.output->folderHandle(), F_DUPFD_CLOEXEC, 0);
        }
        try {
            // A folder that cannot be held for the common flush is flushed with its output.
            entry.output->commit(known || folder.fd >= 0 ? FolderFlush::Deferred : FolderFlush::Now,
                                 dataFlush(index));
            published.push_back({&entry, {folder.device, folder.inode}});
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

    // A folder whose flush fails fails every output published in it: each is complete and stays,
    // but its name may not survive a crash.
    std::vector<std::pair<dev_t, ino_t>> unflushed;
    int flushError = 0;
    for (const Folder& folder : folders) {
        if (const int error = flushFolder(folder.fd); error != 0) {
            unflushed.emplace_back(folder.device, folder.inode);
            flushError = error;
        }
        ::close(folder.fd);
    }
    for (const auto& [entry, folder] : published) {
        if (std::find(unflushed.begin(), unflushed.end(), folder) != unflushed.end()) {
            const EngineError error = unflushedFolder(entry->output->path(), flushError);
            entry->done(&error);
        } else {
            entry->done(nullptr);
        }
    }
}

} // namespace kelvane
