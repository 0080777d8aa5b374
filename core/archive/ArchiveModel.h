#pragma once

// An archive open for editing: the ordered list of its members, each a name
// (Windows-1251 bytes) and its data. Members that are not changed stay in the
// file and are read when asked for, so opening a large archive costs memory
// for the directory, not the data. Saving writes the same bytes PackArchive
// writes for the same member list.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive/Progress.h"

namespace zefir::archive {

namespace fs = std::filesystem;

class ArchiveReader;

class ArchiveModel {
public:
    // Whether opening takes the lock that every Zefir process holds while
    // it changes an archive.
    enum class Locking {
        None,
        // Held from opening until the model saves or is destroyed: another
        // process holding it makes opening throw IoError (Refused, "is
        // being changed by another process") at once.
        ForChange,
    };

    // An empty archive that has no file yet.
    ArchiveModel();
    // Opens `path` with every check and limit of the reader; entries without
    // a name are left out, as extraction leaves them out. Throws IoError.
    explicit ArchiveModel(const fs::path& path, Locking locking = Locking::None);
    ~ArchiveModel();
    ArchiveModel(ArchiveModel&&) noexcept;
    ArchiveModel& operator=(ArchiveModel&&) noexcept;

    // The file the unchanged members are read from; empty for a new archive.
    const fs::path& path() const noexcept;

    std::size_t size() const noexcept;
    // Windows-1251 bytes, as stored.
    const std::string& Name(std::size_t index) const;
    // The name as UTF-8 text, for display and file names.
    std::string DisplayName(std::size_t index) const;
    std::uint32_t DataSize(std::size_t index) const;
    // The member's bytes: read from the file for an unchanged member.
    // Throws IoError when the file cannot be read.
    std::vector<std::byte> Data(std::size_t index) const;
    // The same into `buffer`, resized to fit, so that a caller walking every
    // member reuses one buffer.
    void Data(std::size_t index, std::vector<std::byte>& buffer) const;

    // Every index whose name is `name` (bytes, compared exactly).
    std::vector<std::size_t> FindAll(std::string_view name) const;
    // The one member named `name`; throws IoError (Refused) when there is
    // none ("no member named ...") or several ("N members are named ...").
    std::size_t FindOne(std::string_view name) const;

    // Changes. Each is checked first (CheckName, CheckData, the member
    // count, a name taken); a refused change throws IoError (Refused or
    // OverLimit) and leaves the model as it was.
    void Replace(std::size_t index, std::vector<std::byte> data);
    // Adds at the end, or at `index` (undoing a removal puts it back there).
    std::size_t Add(std::string name, std::vector<std::byte> data);
    void Insert(std::size_t index, std::string name, std::vector<std::byte> data);
    void Remove(std::size_t index);
    // A new name of another kind (another phone extension) is refused, and
    // for a raw picture one that gives another size.
    void Rename(std::size_t index, std::string newName);
    // Throws what Rename would throw, changing nothing: a name can be
    // checked while it is typed.
    void CheckRename(std::size_t index, const std::string& newName) const;

    // How the file the model was opened from stands now.
    enum class DiskState {
        // The path names the file opened, as it was; also for a model with
        // no file.
        Unchanged,
        // The opened file is as it was, but the path names another file or
        // none: another program saved over it or removed it. The members
        // can still be read; saving over the path would undo that save.
        Replaced,
        // The opened file itself was written to: its members can no longer
        // be trusted, and it has to be opened again.
        Changed,
    };
    DiskState OnDisk() const;

    // Whether Save may write over the path the model was opened from when
    // another program saved over it since (DiskState::Replaced).
    enum class WhenReplaced { Refuse, SaveOver };

    // Writes the archive to `target` as a file the user named (through a
    // symbolic link, keeping permissions, owner and group, flushed to the
    // disk) through a temporary file in its folder, renamed over it only
    // when complete: on any failure the target is exactly as before and no
    // temporary file stays. Saving over the file the model was opened from
    // works, under the same lock ForChange takes; it is refused when that
    // file changed (DiskState::Changed) and, unless `whenReplaced` says
    // otherwise, when another program saved over it. Afterwards the model
    // reads from `target` and nothing counts as changed. Throws IoError.
    void Save(const fs::path& target, IProgress& progress,
              WhenReplaced whenReplaced = WhenReplaced::Refuse);
    void Save(const fs::path& target);

    // Whether anything changed since opening or the last save.
    bool IsModified() const noexcept;

    // The rules every name an archive holds keeps (NameUse::Stored): not
    // empty, at most 99 bytes, no 0x0A, no "/", "\\" or NUL, not "." or "..".
    // The changes above ask no more, so that undoing an edit always puts
    // a name back; names the user gives come through NameFromUtf8. Throws
    // IoError (Refused) naming `where`.
    static void CheckName(std::string_view name, const fs::path& where);
    // At most 1 MiB. Throws IoError (OverLimit) naming `where`.
    static void CheckData(std::size_t size, const fs::path& where);
    // A name the user gives, as UTF-8 text, to member-name bytes, strictly:
    // invalid or overlong UTF-8, characters Windows-1251 lacks and names
    // WhyNotMemberName refuses as new (control characters, a file name too
    // long here) are refused (IoError, Refused, naming `where`).
    static std::string NameFromUtf8(std::string_view utf8, const fs::path& where);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace zefir::archive
