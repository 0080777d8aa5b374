// The file layer's system calls on Linux and other POSIX systems.
#include "core/FileIoPlatform.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Error.h"
#include "core/FileIoFolders.h"
#include "core/Message.h"
#include "core/Text.h"

namespace zefir::fileio {

namespace {

constexpr MessageText kNotPlainFile = ZEFIR_MESSAGE("zefir::fileio", "not a plain file");

std::string Reason(int error)
{
    // Only positioned reads and writes are made: one refused as a seek is
    // a pipe or a device.
    return error == ESPIPE ? Translated(kNotPlainFile) : std::strerror(error);
}

sys::FileStatus StatusFrom(const struct stat& st)
{
    return {static_cast<std::uint64_t>(st.st_size), static_cast<std::uint64_t>(st.st_dev),
            static_cast<std::uint64_t>(st.st_ino), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

Entry EntryOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return Entry::File;
    if (S_ISDIR(mode))
        return Entry::Folder;
    if (S_ISLNK(mode))
        return Entry::Link;
    return Entry::Other;
}

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveTemporariesAndDie(int signal)
{
    RemoveLiveTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

thread_local sigset_t t_signalsBeforeHold;

[[noreturn]] void CannotReadFolder(const fs::path& folder, int error)
{
    throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot read the folder: %1"), Reason(error)),
                  folder, ErrorKind::CannotRead);
}

struct FolderHandle {
    DIR* dir;
    ~FolderHandle() { ::closedir(dir); }
};

} // namespace

namespace sys {

std::string LastReason()
{
    return Reason(errno);
}

bool LastWasExists()
{
    return errno == EEXIST;
}

int OpenForReading(const fs::path& path, FileStatus& status)
{
    // Without O_NONBLOCK, opening a pipe would wait for a writer; for a
    // plain file it changes nothing.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot open: %1"), Reason(errno)), path,
                      ErrorKind::CannotOpen);
    struct stat st {};
    const int statResult = ::fstat(fd, &st);
    const int statError = errno;
    if (statResult != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        std::string reason = statResult != 0       ? Reason(statError)
                             : S_ISDIR(st.st_mode) ? Reason(EISDIR)
                                                   : Translated(kNotPlainFile);
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot open: %1"), reason), path,
                      ErrorKind::CannotOpen);
    }
    status = StatusFrom(st);
    return fd;
}

int OpenNotFollowing(const fs::path& path)
{
    // O_NONBLOCK: a pipe put in the file's place must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot open: %1"),
                           errno == ELOOP ? Translated(ZEFIR_MESSAGE("zefir::fileio",
                                                                     "it is a symbolic link now"))
                                          : Reason(errno)),
                      path, ErrorKind::CannotOpen);
    return fd;
}

std::optional<FileStatus> StatusOf(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return std::nullopt;
    return StatusFrom(st);
}

std::optional<FileStatus> StatusAt(const fs::path& path) noexcept
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return StatusFrom(st);
}

Lock LockForChange(int fd)
{
    // flock, not fcntl: its lock belongs to this open file, so closing
    // another descriptor of the same file elsewhere does not drop it.
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK)
            return Lock::HeldElsewhere;
        if (errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP)
            return Lock::NotKept;
        return Lock::Failed;
    }
    return Lock::Taken;
}

bool Close(int fd) noexcept
{
    return ::close(fd) == 0;
}

std::size_t ReadUpTo(int fd, std::span<std::byte> out, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n =
            ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return kReadFailed;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool WriteAllAt(int fd, std::span<const std::byte> bytes, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                             static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = ENOSPC;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::uint64_t> CopyInside(int from, std::uint64_t offset, int to, std::uint64_t at,
                                        std::uint64_t length)
{
    auto in = static_cast<loff_t>(offset);
    auto out = static_cast<loff_t>(at);
    std::uint64_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::copy_file_range(from, &in, to, &out, static_cast<std::size_t>(length - done), 0);
        if (n < 0 && errno == EINTR)
            continue;
        // Across file systems, or where the kernel cannot copy; nothing
        // more to copy is for the reads by hand to report.
        if (n == 0 || (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL ||
                                 errno == EOPNOTSUPP)))
            break;
        if (n < 0)
            return std::nullopt;
        done += static_cast<std::uint64_t>(n);
    }
    return done;
}

bool SyncToDisk(int fd)
{
    return ::fsync(fd) == 0;
}

std::optional<Found> Look(const fs::path& path, bool throughLink)
{
    struct stat st {};
    if ((throughLink ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) != 0) {
        if (errno == ENOENT)
            return Found{};
        return std::nullopt;
    }
    return Found{EntryOfMode(st.st_mode),
                 KeptOfReplaced{static_cast<unsigned>(st.st_mode), static_cast<unsigned>(st.st_uid),
                                static_cast<unsigned>(st.st_gid)}};
}

fs::path ResolveLink(const fs::path& link)
{
    char resolved[PATH_MAX];
    if (::realpath(link.c_str(), resolved) == nullptr)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot follow the symbolic link: %1"),
                           Reason(errno)),
                      link, ErrorKind::CannotWrite);
    return resolved;
}

// Created with the usual permissions (0666 less the umask), as a new target
// would be, and never over an existing file.
int CreateNew(const fs::path& path)
{
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

namespace {

// The folders held open (FolderHold), read by every thread that creates or
// names a file; a run holds one or two.
struct HeldFolder {
    std::string path;
    int fd = -1;
};
std::shared_mutex g_heldMutex;
std::array<HeldFolder, 8> g_held;

// Calls use() with the held folder's descriptor, or with -1 when the folder
// is not held, under the lock: a folder released meanwhile is not closed
// under the call.
template <typename Use> auto InHeldFolder(const fs::path& folder, Use use)
{
    std::shared_lock lock(g_heldMutex);
    for (const HeldFolder& held : g_held)
        if (held.fd >= 0 && held.path == folder.native())
            return use(held.fd);
    return use(-1);
}

// Linking the descriptor itself saves looking up three names in /proc for
// every file; before Linux 6.10 it needs a privilege, and without one fails
// with ENOENT, as it would for a missing folder. Which it is shows when the
// link through /proc then succeeds, and that way is taken from then on.
Moved LinkAt(int fd, int folder, const fs::path& name)
{
    static std::atomic<bool> linksDescriptors{true};
    if (linksDescriptors.load(std::memory_order_relaxed)) {
        if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0)
            return Moved::Done;
        if (errno == EEXIST)
            return Moved::Taken;
        if (errno != ENOENT && errno != EPERM && errno != EINVAL)
            return Moved::Failed;
    }
    char self[32];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    if (::linkat(AT_FDCWD, self, folder, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        linksDescriptors.store(false, std::memory_order_relaxed);
        return Moved::Done;
    }
    return errno == EEXIST ? Moved::Taken : Moved::Failed;
}

} // namespace

int HoldFolder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    std::unique_lock lock(g_heldMutex);
    for (std::size_t slot = 0; slot < g_held.size(); ++slot)
        if (g_held[slot].fd < 0) {
            g_held[slot] = {folder.native(), fd};
            return static_cast<int>(slot);
        }
    lock.unlock();
    ::close(fd);
    return -1;
}

void ReleaseFolder(int slot)
{
    std::unique_lock lock(g_heldMutex);
    HeldFolder& held = g_held.at(static_cast<std::size_t>(slot));
    ::close(held.fd);
    held = {};
}

// The file is named through its descriptor where the kernel lets its
// opener do so, else through the descriptor's entry in /proc, which needs
// no privilege.
int CreateUnnamed(const fs::path& folder)
{
    static const bool canBeNamed = ::access("/proc/self/fd", X_OK) == 0;
    if (!canBeNamed)
        return -1;
    return InHeldFolder(folder, [&](int held) {
        if (held >= 0)
            return ::openat(held, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        const fs::path& where = folder.empty() ? fs::path(".") : folder;
        return ::open(where.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    });
}

Moved LinkNotReplacing(int fd, const fs::path& to)
{
    // In a held folder only the name itself is looked up.
    return InHeldFolder(to.parent_path(), [&](int held) {
        return held >= 0 ? LinkAt(fd, held, to.filename()) : LinkAt(fd, AT_FDCWD, to);
    });
}

bool Keep(int fd, const KeptOfReplaced& kept, bool withOwner)
{
    // Only root may give a file away; others may still set a group they
    // belong to, and keep the file theirs when they cannot.
    if (withOwner && ::fchown(fd, kept.owner, kept.group) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), kept.group);
    // After the owner: changing it clears the set-user-ID and set-group-ID
    // bits.
    return ::fchmod(fd, kept.mode & 07777) == 0;
}

bool KeepAt(const fs::path& path, const KeptOfReplaced& kept)
{
    return ::chmod(path.c_str(), kept.mode & 07777) == 0;
}

Moved RenameNotReplacing(const fs::path& from, const fs::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return Moved::Done;
    return errno == EEXIST || errno == EINVAL || errno == ENOSYS ? Moved::Taken : Moved::Failed;
}

bool RenameReplacing(const fs::path& from, const fs::path& to)
{
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Renaming over an open file replaces its name only.
bool LastWasOpenFile()
{
    return false;
}

Existing OpenExistingForWriting(const fs::path& path, int& fd)
{
    // Without O_NONBLOCK, opening a pipe would wait for a reader.
    const int opened = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (opened < 0)
        return errno == ENOENT ? Existing::Missing : Existing::Failed;
    struct stat st {};
    if (::fstat(opened, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(opened);
        return Existing::NotPlainFile;
    }
    fd = opened;
    return Existing::Opened;
}

bool SetSize(int fd, std::uint64_t size)
{
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool MakeFolder(const fs::path& path)
{
    return ::mkdir(path.c_str(), 0777) == 0;
}

void Remove(const fs::path::value_type* path) noexcept
{
    ::unlink(path);
}

fs::path TemporaryFolder()
{
    const char* tmpdir = std::getenv("TMPDIR");
    return tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
}

int CreateScratch(const fs::path& folder, const std::string& unique)
{
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0)
        return fd;
    // Where the file system has no unnamed files: a private name, removed
    // at once, so that the open file is all there is. No handler removes
    // this name: no signal may come before the unlink.
    const fs::path name = folder / ("zefir-" + unique);
    HoldEndingEvents();
    const int named = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (named >= 0)
        ::unlink(name.c_str());
    const int error = errno;
    ReleaseEndingEvents();
    errno = error;
    return named;
}

void HoldEndingEvents() noexcept
{
    sigset_t handled;
    sigemptyset(&handled);
    for (int signal : kEndingSignals)
        sigaddset(&handled, signal);
    ::pthread_sigmask(SIG_BLOCK, &handled, &t_signalsBeforeHold);
}

void ReleaseEndingEvents() noexcept
{
    ::pthread_sigmask(SIG_SETMASK, &t_signalsBeforeHold, nullptr);
}

std::uint64_t ProcessNumber() noexcept
{
    return static_cast<std::uint64_t>(::getpid());
}

} // namespace sys

std::optional<FileIdentity> IdentityOf(const fs::path& path) noexcept
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::vector<FolderEntry> ListFolder(const fs::path& folder,
                                    const std::function<bool(const std::string&)>& detailed)
{
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        CannotReadFolder(folder, errno);
    FolderHandle handle{dir};
    const int fd = ::dirfd(dir);
    std::vector<FolderEntry> entries;
    for (;;) {
        errno = 0;
        const dirent* found = ::readdir(dir);
        if (found == nullptr) {
            if (errno != 0)
                CannotReadFolder(folder, errno);
            break;
        }
        FolderEntry entry;
        entry.name = found->d_name;
        if (entry.name == "." || entry.name == "..")
            continue;
        // The listing's type spares a stat for the entries not asked about.
        const bool wanted = detailed(entry.name);
        if (!wanted && found->d_type != DT_UNKNOWN) {
            entry.kind = found->d_type == DT_REG   ? Entry::File
                         : found->d_type == DT_DIR ? Entry::Folder
                         : found->d_type == DT_LNK ? Entry::Link
                                                   : Entry::Other;
            entries.push_back(std::move(entry));
            continue;
        }
        struct stat st {};
        if (::fstatat(fd, entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            // Removed since the listing: as if it had never been there.
            if (errno == ENOENT)
                continue;
            CannotReadFolder(folder, errno);
        }
        entry.kind = EntryOfMode(st.st_mode);
        if (wanted) {
            entry.size = static_cast<std::uint64_t>(st.st_size);
            entry.identity = FileIdentity{static_cast<std::uint64_t>(st.st_dev),
                                          static_cast<std::uint64_t>(st.st_ino)};
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

void RemoveTemporariesOnSignals() noexcept
{
    for (int signal : kEndingSignals) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndDie;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

std::optional<std::string> WhyNotFileNameHere(std::string_view utf8)
{
    // Any byte but "/" and NUL may stand in a name; the usual file systems
    // hold at most 255 bytes of it.
    if (utf8.size() > 255)
        return Translated(
            ZEFIR_MESSAGE("zefir::fileio", "is longer than the 255 bytes a file's name may have"));
    return std::nullopt;
}

std::string FileNameKey(std::string_view utf8)
{
    return std::string(utf8);
}

std::vector<std::string> ArgumentsAsUtf8(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

void PrepareStandardStreams() noexcept
{
    const int flags[] = {O_RDONLY, O_RDONLY, O_WRONLY};
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && ::open("/dev/null", flags[fd]) != fd)
            std::_Exit(1);
}

} // namespace zefir::fileio
