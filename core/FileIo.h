#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Message.h"

namespace zefir::fileio {

namespace fs = std::filesystem;

// A file opened read-only for positioned reads; closed by the destructor, so
// nothing stays open after an error.
class InputFile {
public:
    explicit InputFile(const fs::path& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    std::uint64_t Size() const noexcept { return m_size; }
    const fs::path& path() const noexcept { return m_path; }

    // Reads up to out.size() bytes at offset; returns how many were read
    // (fewer only at the end of the file).
    std::size_t ReadAt(std::uint64_t offset, std::span<std::byte> out) const;
    // Reads exactly out.size() bytes or throws, naming `what`.
    void ReadExactAt(std::uint64_t offset, std::span<std::byte> out, const MessageText& what) const;
    // Whether the file's size or modification time differ from when it was
    // opened: another program wrote to it.
    bool ChangedSinceOpened() const;
    // Whether the path now names another file than the one opened, or the
    // same one changed: another program saved over it (a save renames a new
    // file over the old one, which the open file does not see), removed it
    // or wrote to it. A symbolic link is followed, as saves follow it.
    bool PathNamesAnotherFile() const;
    // Takes the advisory lock that every Zefir process holds while it
    // changes a file, so that a second one is refused at once, with "is
    // being changed by another process", instead of waiting or saving over
    // the first one's work. Held until the file is closed; a file system
    // without locks takes none.
    void LockForChange() const;

private:
    friend class OutputFile;
    // Where a file cannot be renamed over while it is open, a save over it
    // closes it for the rename and, when the rename fails, opens it again.
    void LetGo() noexcept;
    void TakeBack() noexcept;

    fs::path m_path;
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::uint64_t m_device = 0;
    std::uint64_t m_inode = 0;
    std::int64_t m_modifiedSeconds = 0;
    std::int64_t m_modifiedNanoseconds = 0;
    mutable bool m_locked = false;
};

// Reads a whole file, refusing one larger than maxSize ("file" in messages is
// `what`).
std::vector<std::byte> ReadFile(const fs::path& path, std::size_t maxSize);
// Reads a file that should hold exactly `expected` bytes into `buffer`, with
// one open and one read and no stat: the size is known already. A symbolic
// link, folder, pipe or device is refused. Returns the size found when it
// differs (the file changed since it was measured); `buffer` then holds no
// defined bytes.
std::optional<std::uint64_t> ReadExpected(const fs::path& path, std::size_t expected,
                                          std::vector<std::byte>& buffer);
// Reads at most n bytes from the start of a file.
std::vector<std::byte> ReadPrefix(const fs::path& path, std::size_t n);

// Who chose the name a file is written under, which decides what may stand
// there already.
enum class Target {
    // Made inside a folder the user chose (extraction's raws/ and icons/, a
    // folder conversion's outputs): nothing is written through a symbolic
    // link, and a link or anything else that is not a plain file in the way
    // is refused.
    InFolder,
    // Named by the user (an archive, a conversion's TARGET): a symbolic link
    // is written through, so the file it points to is replaced and the link
    // stays; an existing file keeps its permission bits, and its owner and
    // group where the process may set them; the bytes reach the disk
    // (fsync) before the rename, so a power loss leaves the old file or the
    // new one. A folder, device or pipe there is refused. The file is
    // replaced, not rewritten: other hard links to it keep the old bytes.
    Named,
    // As InFolder, in a folder this run has just made, where nothing is
    // expected: what stands at the name is looked at only when the rename,
    // which never replaces anything, finds something there.
    InNewFolder,
};

// What a replaced file keeps: its permission bits (its attributes on
// Windows), its owner and its group.
struct KeptOfReplaced {
    unsigned mode = 0;
    unsigned owner = 0;
    unsigned group = 0;
};

// Output that never damages what is already at the target: bytes go to a
// hidden temporary file beside it, which Commit() renames over the target,
// so an interrupted write never stands under the final name. Without
// Commit() the destructor removes the temporary file; while it lives, its
// name is in the registry that RemoveLiveTemporaries() empties.
class OutputFile {
public:
    explicit OutputFile(fs::path target, Target kind = Target::InFolder);
    // A whole file written ahead, on any thread, for Commit() to name later,
    // in the order the caller chooses: only a file of a folder the run has
    // just made, or one where nothing stands yet in a folder of the user's,
    // written without a name and so leaving nothing behind if it never gets
    // one. Null where it cannot be written so (a file the user named), or
    // the writing fails: the caller then writes the file when its turn
    // comes, and a failure is reported there, in order.
    static std::unique_ptr<OutputFile> WrittenAhead(fs::path target, Target kind,
                                                    std::span<const std::byte> bytes);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::span<const std::byte> bytes);
    void Write(std::string_view text) { Write(std::as_bytes(std::span(text))); }
    // Appends `length` bytes of `source` from `offset` on, copied by the
    // kernel where the file systems allow it (after flushing what is
    // buffered). Counts as one write step for fault injection.
    void CopyRange(const InputFile& source, std::uint64_t offset, std::uint64_t length);
    // Overwrites bytes already written (after flushing what is buffered).
    void WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);
    std::uint64_t Position() const noexcept { return m_position; }
    void Commit();
    // Commit() over a file this process has open and goes on reading until
    // the rename: where the system refuses to rename over an open file,
    // `replaced` is closed for the rename (its lock with it). It is opened
    // again only when the rename fails; after a commit it is to be closed.
    void Commit(InputFile& replaced);

    const fs::path& target() const noexcept { return m_target; }
    // Empty while the file has no name yet.
    const fs::path& temporary() const noexcept { return m_temporary; }

private:
    struct UnnamedTag {};
    OutputFile(fs::path target, int unnamed, bool lookAtCommit, UnnamedTag);
    void Flush();
    void Discard() noexcept;
    using Kept = KeptOfReplaced;
    // Checks what stands at the target as `kind` allows, setting
    // m_destination; what the file to replace keeps, if there is one.
    std::optional<Kept> CheckInTheWay(Target kind);
    void Keep(const Kept& kept, Target kind);
    void CommitOver(InputFile* replaced);
    void NameTemporarily();
    bool NameUnnamed();
    void Rename(InputFile* replaced);

    fs::path m_target;      // as given, for messages
    fs::path m_destination; // what the rename replaces: the target, or the file a link names
    fs::path m_temporary;
    int m_fd = -1;
    int m_slot = -1; // in the registry of live temporary files
    bool m_sync = false;
    bool m_lookAtCommit = false;
    bool m_unnamed = false; // written without a name, named at Commit()
    bool m_ahead = false;   // made by WrittenAhead
    std::uint64_t m_position = 0;
    std::vector<std::byte> m_buffer;
    bool m_committed = false;
};

// A scratch file without a name in the system's temporary folder ($TMPDIR,
// else /tmp): it vanishes when closed, also when the process is killed, and
// nothing is ever written into the user's folders for it.
class ScratchFile {
public:
    ScratchFile();
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Appends bytes; returns the offset they start at.
    std::uint64_t Append(std::span<const std::byte> bytes);
    // Reads exactly out.size() bytes written before.
    void ReadAt(std::uint64_t offset, std::span<std::byte> out) const;

private:
    fs::path m_folder; // for messages
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// Holds a folder open while a run writes many files into it: a file made
// there without a name (OutputFile::WrittenAhead) is then created and named
// through the held folder, so that the system looks up only the file's own
// name, not every folder above it. A folder renamed meanwhile takes its
// files along; one removed refuses them. Where files always have a name it
// holds nothing.
class FolderHold {
public:
    explicit FolderHold(const fs::path& folder);
    ~FolderHold();
    FolderHold(const FolderHold&) = delete;
    FolderHold& operator=(const FolderHold&) = delete;

private:
    int m_slot = -1;
};

// Writes a whole file through OutputFile.
void WriteFile(const fs::path& path, std::span<const std::byte> bytes,
               Target kind = Target::InFolder);
// Writes a whole file into the file already at `path` (following a link),
// keeping that file: whoever holds it open reads the new bytes, which a
// rename over the path would hide from them. For a file the caller named
// and made for the purpose (a thumbnail cache entry); a missing file is
// written as WriteFile writes a named target. No temporary file: a failure
// may leave the file cut short.
void WriteFileInPlace(const fs::path& path, std::span<const std::byte> bytes);
// Copies a file byte for byte through OutputFile; the source is opened
// read-only.
void CopyFile(const fs::path& source, const fs::path& target, std::size_t maxSize,
              Target kind = Target::InFolder);
// Creates a folder and returns whether it was made now; an existing folder is
// fine, anything else in the way is an error. With Target::InFolder a symbolic link in its place is
// refused, even one to a folder: what is written there would land outside the chosen folder.
bool CreateFolder(const fs::path& path, Target kind = Target::Named);
// Why a folder that is a symbolic link is not written into.
inline constexpr MessageText kFolderLinkRefused =
    ZEFIR_MESSAGE("zefir::fileio", "cannot use the folder: it is a symbolic link, and nothing is "
                                   "written through one here");
// Removes a file; a missing file is not an error.
void RemoveFile(const fs::path& path) noexcept;

// The longest file name, in bytes of its UTF-8 form, a folder here can hold:
// NAME_MAX of the file systems in use, 255, which pathconf would give for
// each folder alike.
std::size_t MaxFileNameBytes() noexcept;

// What stands at a path, without following a last symbolic link.
enum class Entry { Missing, File, Folder, Link, Other };
Entry EntryAt(const fs::path& path) noexcept;
// Whether two paths name one file (through links, hard links and any
// spelling); false when either is missing.
bool SameFile(const fs::path& a, const fs::path& b) noexcept;
// Whether a file holds exactly `bytes`; false when it is missing, not a
// plain file or unreadable.
bool FileHolds(const fs::path& path, std::span<const std::byte> bytes) noexcept;

// Why a name (UTF-8, one path component) cannot be a file's name on this
// system, ready to show after the name; nullopt when it can. Names that
// differ only where the system does not tell names apart are one file:
// FileNameKey() gives them one key.
std::optional<std::string> WhyNotFileNameHere(std::string_view utf8);
std::string FileNameKey(std::string_view utf8);

// Throws IoError (Refused) for files in the way that are not replaced
// without asking: one file is named itself; several are listed after the
// folder, relative to it.
[[noreturn]] void RefuseToReplace(const fs::path& folder, const std::vector<fs::path>& files);

// Removes every temporary file an OutputFile has open right now. Only
// async-signal-safe calls: a signal handler may call it.
void RemoveLiveTemporaries() noexcept;
// SIGINT, SIGTERM and SIGHUP remove the live temporary files, then end the
// process as the signal would have; one the process was started ignoring
// (SIGHUP under nohup, SIGINT in a background job) stays ignored. SIGXFSZ
// is ignored, so that a write past the file size limit fails as an
// ordinary error and its temporary file is removed.
void RemoveTemporariesOnSignals() noexcept;

// The program's arguments as UTF-8 text, whatever the system passes them
// as (on Windows, UTF-16 from the command line itself).
std::vector<std::string> ArgumentsAsUtf8(int argc, char** argv);
// Makes the standard streams safe to print to: one the caller closed is
// taken by a harmless file, so that no file opened later takes its place
// and receives what is printed (standard output read-only: writing to it
// still fails, as it must); UTF-8 text reaches a console as what it says,
// and lines end as on other systems.
void PrepareStandardStreams() noexcept;

// Fault injection for tests: after `n` more successful write or commit steps
// of any OutputFile, the next one fails as a full disk would. A negative n
// switches injection off.
void FailWritesAfter(long n) noexcept;
// Fault injection for tests: while on, every flush to the disk fails as a
// failing disk would.
void FailSyncs(bool on) noexcept;

} // namespace zefir::fileio
