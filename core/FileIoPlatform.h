#pragma once

// The system calls under the file layer, one implementation per system
// (FileIoPosix.cpp, FileIoWindows.cpp, chosen by the build). Everything the
// systems share, the promises the layer keeps included, is in FileIo.cpp on
// top of these. Files are CRT descriptors on every system.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "core/FileIo.h"

namespace zefir::fileio::sys {

// Why the calling thread's last failed system call failed, in the same
// words on every system.
std::string LastReason();
// Whether that failure was a name already taken.
bool LastWasExists();

// Which file, and which version of it.
struct FileStatus {
    std::uint64_t size = 0;
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
};

// Opens a plain file for positioned reads; throws IoError (CannotOpen)
// naming the path when it cannot, or when it is anything but a plain file.
int OpenForReading(const fs::path& path, FileStatus& status);
// Opens what stands at the path itself, never what a symbolic link there
// names (refused, saying so), without waiting for a pipe's writer; throws
// IoError naming the path.
int OpenNotFollowing(const fs::path& path);
// nullopt: LastReason() says why.
std::optional<FileStatus> StatusOf(int fd);
// Through symbolic links; nullopt when nothing can be told.
std::optional<FileStatus> StatusAt(const fs::path& path) noexcept;

enum class Lock { Taken, HeldElsewhere, NotKept, Failed };
// The exclusive lock every Zefir process takes before it changes a file,
// without waiting; it must not keep anyone from reading the file.
Lock LockForChange(int fd);

bool Close(int fd) noexcept;

inline constexpr std::size_t kReadFailed = static_cast<std::size_t>(-1);
// Up to out.size() bytes at offset, fewer only at the end of the file;
// kReadFailed when a read fails.
std::size_t ReadUpTo(int fd, std::span<std::byte> out, std::uint64_t offset);
// False when a write fails (one that writes nothing reads as a full disk).
bool WriteAllAt(int fd, std::span<const std::byte> bytes, std::uint64_t offset);
// Copies up to `length` bytes from one file to the other inside the
// system, returning how many; fewer when it cannot copy the rest, which
// then goes by hand. nullopt when a copy fails.
std::optional<std::uint64_t> CopyInside(int from, std::uint64_t offset, int to, std::uint64_t at,
                                        std::uint64_t length);
// Puts what is written on the disk itself.
bool SyncToDisk(int fd);

// What stands at a path, and what a file there would keep when replaced.
struct Found {
    Entry entry = Entry::Missing;
    KeptOfReplaced kept;
};
// nullopt when the system cannot tell (nothing there is Entry::Missing).
std::optional<Found> Look(const fs::path& path, bool throughLink);
// The file a symbolic link names; throws IoError naming `link`.
fs::path ResolveLink(const fs::path& link);

enum class Moved { Done, Taken, Failed };

// Creates a new file for writing, never over anything; -1 when it cannot
// (LastWasExists() tells a name already taken).
int CreateNew(const fs::path& path);
// A new file without a name in `folder`, which LinkNotReplacing() names
// once it is complete: nothing is left behind when the process dies before.
// -1 where the system or the file system has no such files; the caller then
// writes under a temporary name.
int CreateUnnamed(const fs::path& folder);
// Gives such a file its name, never over anything.
Moved LinkNotReplacing(int fd, const fs::path& to);
// Holds a folder open for CreateUnnamed() and LinkNotReplacing(): a slot
// for ReleaseFolder(), or -1 when it holds nothing.
int HoldFolder(const fs::path& folder);
void ReleaseFolder(int slot);
// Gives a new file what the one it replaces keeps (`withOwner`: its owner
// and group too, where the process may); false when it cannot.
bool Keep(int fd, const KeptOfReplaced& kept, bool withOwner);
bool KeepAt(const fs::path& path, const KeptOfReplaced& kept);

// Renames without replacing; Taken also where the system cannot promise
// that.
Moved RenameNotReplacing(const fs::path& from, const fs::path& to);
// Renames over what stands there, the rename itself on the disk before it
// returns where the system offers that.
bool RenameReplacing(const fs::path& from, const fs::path& to);
// Whether the last RenameReplacing() failed only because the file there is
// open: some systems refuse to rename over an open file, even one opened to
// let others delete it.
bool LastWasOpenFile();

enum class Existing { Opened, Missing, NotPlainFile, Failed };
// Opens the file already at `path`, through links, for writing, neither
// creating it nor cutting it short; `fd` is set only when Opened. Failed:
// LastReason() says why.
Existing OpenExistingForWriting(const fs::path& path, int& fd);
// Cuts a file short at `size` bytes, or lengthens it to them.
bool SetSize(int fd, std::uint64_t size);

bool MakeFolder(const fs::path& path);
// Only calls that a signal handler may make.
void Remove(const fs::path::value_type* path) noexcept;

// Where scratch files go; throws IoError when there is no such folder.
fs::path TemporaryFolder();
// A scratch file in `folder` that vanishes when closed, under a name made
// with `unique` where it needs one; -1 as CreateNew.
int CreateScratch(const fs::path& folder, const std::string& unique);

// Keeps the events that remove the live temporary files from being handled
// between a temporary file's creation and its registration; not nested.
void HoldEndingEvents() noexcept;
void ReleaseEndingEvents() noexcept;

std::uint64_t ProcessNumber() noexcept;

} // namespace zefir::fileio::sys
