#include "core/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Error.h"
#include "core/Text.h"

namespace zefir::fileio {

namespace {

constexpr std::size_t kOutputBufferSize = 64 * 1024;

std::atomic<long> g_writesBeforeFault{-1};
std::atomic<bool> g_failSyncs{false};

std::string SystemReason(int error)
{
    return std::strerror(error);
}

// Six characters that make a temporary file's name unlikely to be taken.
std::string TemporarySuffix()
{
    static std::atomic<std::uint64_t> counter{static_cast<std::uint64_t>(::getpid()) << 32 ^
                                              static_cast<std::uint64_t>(::time(nullptr))};
    std::uint64_t v = counter.fetch_add(0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i, v /= 36)
        suffix += kChars[v % 36];
    return suffix;
}

// Counts one write step against the injected fault, if any.
void InjectedFault(const fs::path& path)
{
    long left = g_writesBeforeFault.load();
    if (left < 0)
        return;
    if (left == 0)
        throw IoError("cannot write: " + SystemReason(ENOSPC), path, ErrorKind::CannotWrite);
    g_writesBeforeFault.store(left - 1);
}

// Flushes a file to the disk, or throws naming `path`.
void SyncToDisk(int fd, const fs::path& path)
{
    if (g_failSyncs.load() || ::fsync(fd) != 0)
        throw IoError("cannot write: " + SystemReason(g_failSyncs.load() ? EIO : errno), path,
                      ErrorKind::CannotWrite);
}

// The signals whose handler removes the live temporary files, blocked
// from before a temporary file is created until it is registered: one
// arriving in between would leave the file behind.
class HandledSignalsBlocked {
public:
    HandledSignalsBlocked() noexcept
    {
        sigset_t handled;
        sigemptyset(&handled);
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&handled, signal);
        ::pthread_sigmask(SIG_BLOCK, &handled, &m_before);
    }
    ~HandledSignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    HandledSignalsBlocked(const HandledSignalsBlocked&) = delete;
    HandledSignalsBlocked& operator=(const HandledSignalsBlocked&) = delete;

private:
    sigset_t m_before;
};

void WriteAll(int fd, const std::byte* data, std::size_t size, const fs::path& path)
{
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw IoError("cannot write: " + SystemReason(n < 0 ? errno : ENOSPC), path,
                          ErrorKind::CannotWrite);
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

constexpr std::size_t kReadFailed = static_cast<std::size_t>(-1);

// Reads up to out.size() bytes at offset, fewer only at the end of the file;
// kReadFailed with errno set when a read fails.
std::size_t PReadUpTo(int fd, std::span<std::byte> out, std::uint64_t offset)
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

void PWriteAll(int fd, std::span<const std::byte> bytes, std::uint64_t offset, const fs::path& path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                             static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw IoError("cannot write: " + SystemReason(n < 0 ? errno : ENOSPC), path,
                          ErrorKind::CannotWrite);
        done += static_cast<std::size_t>(n);
    }
}

// The temporary files that exist right now, for a signal handler to remove.
// Fixed slots of plain bytes and lock-free flags, since a handler may neither
// allocate nor lock. More live files than slots only go unregistered.
constexpr int kTemporarySlots = 16;
enum SlotState : int { kFree, kFilling, kLive };
struct TemporarySlot {
    std::atomic<int> state{kFree};
    char path[PATH_MAX];
};
TemporarySlot g_temporaries[kTemporarySlots];

int RegisterTemporary(const fs::path& path) noexcept
{
    const std::string& text = path.native();
    if (text.size() >= PATH_MAX)
        return -1;
    for (int i = 0; i < kTemporarySlots; ++i) {
        int expected = kFree;
        if (g_temporaries[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_temporaries[i].path, text.c_str(), text.size() + 1);
            g_temporaries[i].state.store(kLive);
            return i;
        }
    }
    return -1;
}

void UnregisterTemporary(int slot) noexcept
{
    if (slot >= 0)
        g_temporaries[slot].state.store(kFree);
}

extern "C" void RemoveTemporariesAndDie(int signal)
{
    RemoveLiveTemporaries();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A hidden name beside `destination`: the rename stays on one file system
// and a folder search passes over it. Long names are cut so that the
// temporary name still fits the file system's limit.
fs::path TemporaryStem(const fs::path& destination)
{
    constexpr std::size_t kMaxStem = 200;
    std::string name = Utf8Of(destination.filename());
    if (name.size() > kMaxStem)
        name.resize(kMaxStem);
    return destination.parent_path() / ("." + name + ".");
}

std::string InTheWayReason(const struct stat& st)
{
    if (S_ISDIR(st.st_mode))
        return "cannot replace the file: it is a folder";
    return "cannot replace the file: it is not a plain file (a device or a pipe)";
}

constexpr const char* kLinkRefused =
    "cannot replace the file: it is a symbolic link, and nothing is written through one here";

} // namespace

void FailWritesAfter(long n) noexcept
{
    g_writesBeforeFault.store(n);
}

void FailSyncs(bool on) noexcept
{
    g_failSyncs.store(on);
}

InputFile::InputFile(const fs::path& path) : m_path(path)
{
    // Without O_NONBLOCK, opening a pipe would wait for a writer; for a
    // plain file it changes nothing.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0)
        throw IoError("cannot open: " + SystemReason(errno), path, ErrorKind::CannotOpen);
    struct stat st {};
    const int statResult = ::fstat(m_fd, &st);
    const int statError = errno;
    if (statResult != 0 || !S_ISREG(st.st_mode)) {
        ::close(m_fd);
        std::string reason = statResult != 0       ? SystemReason(statError)
                             : S_ISDIR(st.st_mode) ? SystemReason(EISDIR)
                                                   : "not a plain file";
        throw IoError("cannot open: " + reason, path, ErrorKind::CannotOpen);
    }
    m_size = static_cast<std::uint64_t>(st.st_size);
    m_device = static_cast<std::uint64_t>(st.st_dev);
    m_inode = static_cast<std::uint64_t>(st.st_ino);
    m_modifiedSeconds = st.st_mtim.tv_sec;
    m_modifiedNanoseconds = st.st_mtim.tv_nsec;
}

bool InputFile::ChangedSinceOpened() const
{
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        throw IoError("cannot read: " + SystemReason(errno), m_path, ErrorKind::CannotRead);
    return static_cast<std::uint64_t>(st.st_size) != m_size ||
           st.st_mtim.tv_sec != m_modifiedSeconds || st.st_mtim.tv_nsec != m_modifiedNanoseconds;
}

bool InputFile::PathNamesAnotherFile() const
{
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0)
        return true;
    return static_cast<std::uint64_t>(st.st_dev) != m_device ||
           static_cast<std::uint64_t>(st.st_ino) != m_inode ||
           static_cast<std::uint64_t>(st.st_size) != m_size ||
           st.st_mtim.tv_sec != m_modifiedSeconds || st.st_mtim.tv_nsec != m_modifiedNanoseconds;
}

void InputFile::LockForChange() const
{
    // flock, not fcntl: its lock belongs to this open file, so closing
    // another descriptor of the same file elsewhere does not drop it.
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        if (errno == EWOULDBLOCK)
            throw IoError("is being changed by another process", m_path, ErrorKind::Refused);
        // Some network file systems keep no locks: the checks before
        // saving still find another program's save.
        if (errno == ENOLCK || errno == EINVAL || errno == EOPNOTSUPP)
            return;
        throw IoError("cannot lock: " + SystemReason(errno), m_path, ErrorKind::CannotOpen);
    }
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t InputFile::ReadAt(std::uint64_t offset, std::span<std::byte> out) const
{
    const std::size_t done = PReadUpTo(m_fd, out, offset);
    if (done == kReadFailed)
        throw IoError("cannot read: " + SystemReason(errno), m_path, ErrorKind::CannotRead);
    return done;
}

void InputFile::ReadExactAt(std::uint64_t offset, std::span<std::byte> out,
                            std::string_view what) const
{
    if (ReadAt(offset, out) != out.size())
        throw IoError(std::string(what) + " at " + Hex(offset) +
                          " runs past the end of the file (" + Hex(m_size) + " bytes)",
                      m_path);
}

std::vector<std::byte> ReadFile(const fs::path& path, std::size_t maxSize)
{
    InputFile file(path);
    if (file.Size() > maxSize)
        throw IoError("file is too large (" + Hex(file.Size()) + " bytes, at most " + Hex(maxSize) +
                          ")",
                      path, ErrorKind::OverLimit);
    std::vector<std::byte> bytes(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.ReadAt(0, bytes));
    return bytes;
}

std::optional<std::uint64_t> ReadExpected(const fs::path& path, std::size_t expected,
                                          std::vector<std::byte>& buffer)
{
    // O_NONBLOCK: a pipe put in the file's place must not wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        throw IoError("cannot open: " + (errno == ELOOP ? std::string("it is a symbolic link now")
                                                        : SystemReason(errno)),
                      path, ErrorKind::CannotOpen);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // One byte more than expected tells a file that grew.
    buffer.resize(expected + 1);
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t n =
            ::pread(fd, buffer.data() + done, buffer.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw IoError("cannot read: " + (errno == ESPIPE ? std::string("not a plain file")
                                                             : SystemReason(errno)),
                          path, ErrorKind::CannotRead);
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    buffer.resize(expected);
    if (done == expected)
        return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) == 0)
        return static_cast<std::uint64_t>(st.st_size);
    return done;
}

std::vector<std::byte> ReadPrefix(const fs::path& path, std::size_t n)
{
    InputFile file(path);
    std::vector<std::byte> bytes(n);
    bytes.resize(file.ReadAt(0, bytes));
    return bytes;
}

OutputFile::OutputFile(fs::path target, Target kind)
    : m_target(std::move(target)), m_destination(m_target), m_sync(kind == Target::Named),
      m_lookAtCommit(kind == Target::InNewFolder)
{
    if (m_target.filename().empty())
        throw IoError("names a folder, not a file", m_target, ErrorKind::Refused);
    const std::optional<Kept> kept = m_lookAtCommit ? std::nullopt : CheckInTheWay(kind);
    // Created with the usual permissions (0666 less the umask), as a new
    // target would be, and never over an existing file.
    const fs::path stem = TemporaryStem(m_destination);
    const HandledSignalsBlocked blocked;
    for (int attempt = 0; m_fd < 0; ++attempt) {
        fs::path candidate = Utf8Of(stem) + TemporarySuffix();
        m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_temporary = std::move(candidate);
            m_slot = RegisterTemporary(m_temporary);
        } else if (errno != EEXIST || attempt == 100) {
            throw IoError("cannot create: " + SystemReason(errno), m_target,
                          ErrorKind::CannotWrite);
        }
    }
    if (kept) {
        try {
            Keep(*kept, kind);
        } catch (...) {
            Discard();
            throw;
        }
    }
    m_buffer.reserve(kOutputBufferSize);
}

void OutputFile::Keep(const Kept& kept, Target kind)
{
    // A file the user named keeps its owner and group, as an editor's save
    // does. Only root may give a file away; others may still set a group
    // they belong to, and keep the file theirs when they cannot.
    if (kind == Target::Named && ::fchown(m_fd, kept.owner, kept.group) != 0)
        (void)::fchown(m_fd, static_cast<uid_t>(-1), kept.group);
    // After the owner: changing it clears the set-user-ID and set-group-ID
    // bits.
    if (::fchmod(m_fd, kept.mode & 07777) != 0)
        throw IoError("cannot keep the permissions: " + SystemReason(errno), m_target,
                      ErrorKind::CannotWrite);
}

std::optional<OutputFile::Kept> OutputFile::CheckInTheWay(Target kind)
{
    struct stat st {};
    bool exists = ::lstat(m_target.c_str(), &st) == 0;
    if (!exists && errno != ENOENT)
        throw IoError("cannot create: " + SystemReason(errno), m_target, ErrorKind::CannotWrite);
    if (exists && S_ISLNK(st.st_mode)) {
        if (kind != Target::Named)
            throw IoError(kLinkRefused, m_target, ErrorKind::Refused);
        char resolved[PATH_MAX];
        if (::realpath(m_target.c_str(), resolved) == nullptr)
            throw IoError("cannot follow the symbolic link: " + SystemReason(errno), m_target,
                          ErrorKind::CannotWrite);
        m_destination = resolved;
        exists = ::stat(resolved, &st) == 0;
    }
    if (exists && !S_ISREG(st.st_mode))
        throw IoError(InTheWayReason(st), m_target, ErrorKind::Refused);
    if (!exists)
        return std::nullopt;
    return Kept{static_cast<unsigned>(st.st_mode), static_cast<unsigned>(st.st_uid),
                static_cast<unsigned>(st.st_gid)};
}

void OutputFile::Rename()
{
    if (m_lookAtCommit) {
        if (::renameat2(AT_FDCWD, m_temporary.c_str(), AT_FDCWD, m_destination.c_str(),
                        RENAME_NOREPLACE) == 0)
            return;
        // Something stands there after all (or the system cannot tell):
        // it is replaced only as InFolder allows, keeping its permissions.
        if (errno != EEXIST && errno != EINVAL && errno != ENOSYS)
            throw IoError("cannot replace the file: " + SystemReason(errno), m_target,
                          ErrorKind::CannotWrite);
        if (const std::optional<Kept> kept = CheckInTheWay(Target::InFolder);
            kept && ::chmod(m_temporary.c_str(), kept->mode & 07777) != 0)
            throw IoError("cannot keep the permissions: " + SystemReason(errno), m_target,
                          ErrorKind::CannotWrite);
    }
    if (::rename(m_temporary.c_str(), m_destination.c_str()) != 0)
        throw IoError("cannot replace the file: " + SystemReason(errno), m_target,
                      ErrorKind::CannotWrite);
}

OutputFile::~OutputFile()
{
    if (!m_committed)
        Discard();
}

void OutputFile::Discard() noexcept
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    UnregisterTemporary(m_slot);
    m_slot = -1;
}

void OutputFile::Flush()
{
    if (m_buffer.empty())
        return;
    WriteAll(m_fd, m_buffer.data(), m_buffer.size(), m_target);
    m_buffer.clear();
}

void OutputFile::Write(std::span<const std::byte> bytes)
{
    InjectedFault(m_target);
    if (m_buffer.size() + bytes.size() > kOutputBufferSize) {
        Flush();
        if (bytes.size() >= kOutputBufferSize) {
            WriteAll(m_fd, bytes.data(), bytes.size(), m_target);
            m_position += bytes.size();
            return;
        }
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
    m_position += bytes.size();
}

void OutputFile::CopyRange(const InputFile& source, std::uint64_t offset, std::uint64_t length)
{
    if (offset > source.Size() || length > source.Size() - offset)
        throw IoError("data at " + Hex(offset) + " runs past the end of the file (" +
                          Hex(source.Size()) + " bytes)",
                      source.path(), ErrorKind::CannotRead);
    InjectedFault(m_target);
    Flush();
    // The file's own offset is where the next write goes: Write appends,
    // WriteAt does not move it.
    auto in = static_cast<loff_t>(offset);
    std::uint64_t left = length;
    while (left > 0) {
        const ssize_t n =
            ::copy_file_range(source.m_fd, &in, m_fd, nullptr, static_cast<std::size_t>(left), 0);
        if (n < 0 && errno == EINTR)
            continue;
        // Across file systems, or where the kernel cannot copy: by hand.
        if (n < 0 &&
            (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
            std::vector<std::byte> buffer(
                static_cast<std::size_t>(std::min<std::uint64_t>(left, kOutputBufferSize)));
            while (left > 0) {
                const auto chunk =
                    static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
                source.ReadExactAt(static_cast<std::uint64_t>(in), std::span(buffer).first(chunk),
                                   "data");
                WriteAll(m_fd, buffer.data(), chunk, m_target);
                in += static_cast<loff_t>(chunk);
                left -= chunk;
            }
            break;
        }
        if (n < 0)
            throw IoError("cannot write: " + SystemReason(errno), m_target, ErrorKind::CannotWrite);
        if (n == 0)
            throw IoError("data at " + Hex(static_cast<std::uint64_t>(in)) +
                              " runs past the end of the file (" + Hex(source.Size()) + " bytes)",
                          source.path(), ErrorKind::CannotRead);
        left -= static_cast<std::uint64_t>(n);
    }
    m_position += length;
}

void OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes)
{
    InjectedFault(m_target);
    Flush();
    PWriteAll(m_fd, bytes, offset, m_target);
}

void OutputFile::Commit()
{
    InjectedFault(m_target);
    Flush();
    if (m_sync)
        SyncToDisk(m_fd, m_target);
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throw IoError("cannot write: " + SystemReason(errno), m_target, ErrorKind::CannotWrite);
    Rename();
    // Only now: a signal before the rename still finds the temporary file.
    UnregisterTemporary(m_slot);
    m_slot = -1;
    m_committed = true;
}

ScratchFile::ScratchFile()
{
    const char* tmpdir = std::getenv("TMPDIR");
    m_folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
    m_fd = ::open(m_folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd >= 0)
        return;
    // Where the file system has no unnamed files: a private name, removed
    // at once, so that the open file is all there is.
    std::string name = (m_folder / "zefir-XXXXXX").string();
    // No handler removes this name: no signal may come before the unlink.
    const HandledSignalsBlocked blocked;
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        throw IoError("cannot create a scratch file: " + SystemReason(errno), m_folder,
                      ErrorKind::CannotWrite);
    ::unlink(name.c_str());
}

ScratchFile::~ScratchFile()
{
    ::close(m_fd);
}

std::uint64_t ScratchFile::Append(std::span<const std::byte> bytes)
{
    InjectedFault(m_folder);
    const std::uint64_t offset = m_size;
    PWriteAll(m_fd, bytes, offset, m_folder);
    m_size += bytes.size();
    return offset;
}

void ScratchFile::ReadAt(std::uint64_t offset, std::span<std::byte> out) const
{
    // The bytes were written before, so fewer of them is a fault too.
    const std::size_t done = PReadUpTo(m_fd, out, offset);
    if (done != out.size())
        throw IoError("cannot read a scratch file: " +
                          SystemReason(done == kReadFailed ? errno : EIO),
                      m_folder, ErrorKind::CannotRead);
}

void WriteFile(const fs::path& path, std::span<const std::byte> bytes, Target kind)
{
    OutputFile out(path, kind);
    out.Write(bytes);
    out.Commit();
}

void CopyFile(const fs::path& source, const fs::path& target, std::size_t maxSize, Target kind)
{
    auto bytes = ReadFile(source, maxSize);
    WriteFile(target, bytes, kind);
}

bool CreateFolder(const fs::path& path, Target kind)
{
    if (::mkdir(path.c_str(), 0777) == 0)
        return true;
    const int error = errno;
    switch (EntryAt(path)) {
    case Entry::Folder:
        return false;
    case Entry::Link:
        if (kind != Target::Named)
            throw IoError("cannot use the folder: it is a symbolic link, and nothing is written "
                          "through one here",
                          path, ErrorKind::Refused);
        if (struct stat st{}; ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            return false;
        break;
    default:
        break;
    }
    throw IoError("cannot create the folder: " + SystemReason(error), path, ErrorKind::CannotWrite);
}

void RemoveFile(const fs::path& path) noexcept
{
    ::unlink(path.c_str());
}

Entry EntryAt(const fs::path& path) noexcept
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return Entry::Missing;
    if (S_ISREG(st.st_mode))
        return Entry::File;
    if (S_ISDIR(st.st_mode))
        return Entry::Folder;
    if (S_ISLNK(st.st_mode))
        return Entry::Link;
    return Entry::Other;
}

bool SameFile(const fs::path& a, const fs::path& b) noexcept
{
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

bool FileHolds(const fs::path& path, std::span<const std::byte> bytes) noexcept
{
    try {
        InputFile file(path);
        if (file.Size() != bytes.size())
            return false;
        std::vector<std::byte> held(bytes.size());
        return file.ReadAt(0, held) == held.size() &&
               std::equal(held.begin(), held.end(), bytes.begin());
    } catch (...) {
        return false;
    }
}

void RefuseToReplace(const fs::path& folder, const std::vector<fs::path>& files)
{
    if (files.size() == 1)
        throw IoError("already exists; it is not replaced unless asked to", files.front(),
                      ErrorKind::Refused);
    constexpr std::size_t kListed = 10;
    std::string list;
    for (std::size_t i = 0; i < files.size() && i < kListed; ++i)
        list += (i ? ", " : "") + Utf8Of(files[i].lexically_relative(folder));
    if (files.size() > kListed)
        list += " and " + std::to_string(files.size() - kListed) + " more";
    throw IoError(std::to_string(files.size()) +
                      " files already exist and are not replaced unless asked to: " + list,
                  folder, ErrorKind::Refused);
}

void RemoveLiveTemporaries() noexcept
{
    for (TemporarySlot& slot : g_temporaries)
        if (slot.state.load() == kLive)
            ::unlink(slot.path);
}

void RemoveTemporariesOnSignals() noexcept
{
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
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
