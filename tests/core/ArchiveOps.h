#pragma once

// Helpers shared by the extraction and packing tests: an IProgress and an
// IMemberList that record every call, and reading an archive back whole.

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "TestUtil.h"
#include "core/archive/EzxFormat.h"
#include "core/archive/Progress.h"

namespace zefir::test {

// Records each call as one line: "show", "caption <text>", "<position>",
// "close". An optional hook runs on each caption, to change files between
// the phases of an operation.
class RecordingProgress final : public archive::IProgress {
public:
    void Show() override { events.push_back("show"); }
    void SetCaption(std::string_view caption) override
    {
        events.push_back("caption " + std::string(caption));
        if (onCaption)
            onCaption(caption);
    }
    void SetPosition(int position) override { events.push_back(std::to_string(position)); }
    void Close() override { events.push_back("close"); }

    std::vector<std::string> events;
    std::function<void(std::string_view)> onCaption;
};

class RecordingList final : public archive::IMemberList {
public:
    void AddName(std::string_view name) override { names.emplace_back(name); }
    void SelectIndex(int index) override { selected.push_back(index); }

    std::vector<std::string> names;
    std::vector<int> selected;
};

// Every named member, in archive order.
inline std::vector<archive::Member> ReadArchive(const fs::path& path)
{
    archive::ArchiveReader reader(path);
    std::vector<archive::Member> out;
    for (std::size_t i = 0; i < reader.entries().size(); ++i) {
        archive::Member m{reader.ReadName(i), {}};
        if (m.name.empty())
            continue;
        reader.ReadMember(i, m.data);
        out.push_back(std::move(m));
    }
    return out;
}

// Members by name, for comparisons where the order does not matter.
inline std::map<std::string, std::vector<std::byte>> ByName(
    const std::vector<archive::Member>& members)
{
    std::map<std::string, std::vector<std::byte>> out;
    for (const auto& m : members)
        out[m.name] = m.data;
    return out;
}

// The names of a folder's entries, sorted.
inline std::vector<std::string> FolderNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace zefir::test
