// SPDX-License-Identifier: MIT
#include "core/RunChecks.h"

namespace kelvane {

void RunChecks::Seen::add(const ResolvedPath& path) {
    ++places[path.place];
    if (path.file) {
        ++files[*path.file];
    }
}

int RunChecks::Seen::meeting(const ResolvedPath& path) const {
    // A path counted under both keys is one path.
    const int byPlace = places.value(path.place);
    const int byFile = path.file ? files.value(*path.file) : 0;
    return std::max(byPlace, byFile);
}

void RunChecks::addSource(const QString& source) {
    if (!source.isEmpty()) {
        m_sources.add(m_resolver.resolve(source));
    }
}

RunChecks::Clash RunChecks::check(const QString& source, const QString& output) {
    const ResolvedPath& out = m_resolver.resolve(output);
    int ownSource = 0;
    if (!source.isEmpty()) {
        const ResolvedPath& in = m_resolver.resolve(source);
        if (in.file && out.file && *in.file == *out.file) {
            return Clash::OutputIsSource;
        }
        // The file's own source may meet the output by its place (a source that has gone).
        ownSource = in.place == out.place ? 1 : 0;
    }
    if (m_sources.meeting(out) > ownSource) {
        return Clash::OutputIsInput;
    }
    if (m_outputs.meeting(out) > 0) {
        return Clash::OutputRepeated;
    }
    return Clash::None;
}

void RunChecks::claim(const QString& output) {
    m_outputs.add(m_resolver.resolve(output));
}

} // namespace kelvane
