// The file layer's promises, the same on every system: the system calls
// under them are in FileIoPlatform.h's implementations.
#include "core/FileIo.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "core/Error.h"
#include "core/FileIoFolders.h"
#include "core/FileIoPlatform.h"
#include "core/Message.h"
#include "core/Text.h"

namespace zefir::fileio {

namespace {

constexpr std::size_t kOutputBufferSize = 64 * 1024;

std::atomic<long> g_writesBeforeFault{-1};
// Files written ahead and not yet named or discarded (OutputFile::WrittenAhead).
std::atomic<int> g_aheadFiles{0};
constexpr int kMaxAheadFiles = 512;
std::atomic<bool> g_failSyncs{false};

// Six characters that make a temporary file's name unlikely to be taken.
std::string TemporarySuffix()
{
    static std::atomic<std::uint64_t> counter{
        sys::ProcessNumber() << 32 ^
        static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())};
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
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot write: %1"), std::strerror(ENOSPC)), path,
            ErrorKind::CannotWrite);
    g_writesBeforeFault.store(left - 1);
}

[[noreturn]] void CannotWrite(const fs::path& path)
{
    throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot write: %1"), sys::LastReason()), path,
                  ErrorKind::CannotWrite);
}

void WriteAllAt(int fd, std::span<const std::byte> bytes, std::uint64_t offset,
                const fs::path& path)
{
    if (!sys::WriteAllAt(fd, bytes, offset))
        CannotWrite(path);
}

// Flushes a file to the disk, or throws naming `path`.
void SyncToDisk(int fd, const fs::path& path)
{
    if (g_failSyncs.load())
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot write: %1"), std::strerror(EIO)),
                      path, ErrorKind::CannotWrite);
    if (!sys::SyncToDisk(fd))
        CannotWrite(path);
}

// From before a temporary file is created until it is registered: an end
// of the program in between would leave the file behind.
class EndingEventsHeld {
public:
    EndingEventsHeld() noexcept { sys::HoldEndingEvents(); }
    ~EndingEventsHeld() { sys::ReleaseEndingEvents(); }
    EndingEventsHeld(const EndingEventsHeld&) = delete;
    EndingEventsHeld& operator=(const EndingEventsHeld&) = delete;
};

// The temporary files that exist right now, for a signal handler (or the
// console's control handler) to remove. Fixed slots of plain characters and
// lock-free flags, since a handler may neither allocate nor lock. More live
// files than slots only go unregistered.
constexpr int kTemporarySlots = 16;
constexpr std::size_t kSlotChars = 4096;
enum SlotState : int { kFree, kFilling, kLive };
struct TemporarySlot {
    std::atomic<int> state{kFree};
    fs::path::value_type path[kSlotChars];
};
TemporarySlot g_temporaries[kTemporarySlots];

int RegisterTemporary(const fs::path& path) noexcept
{
    const fs::path::string_type& text = path.native();
    if (text.size() >= kSlotChars)
        return -1;
    for (int i = 0; i < kTemporarySlots; ++i) {
        int expected = kFree;
        if (g_temporaries[i].state.compare_exchange_strong(expected, kFilling)) {
            std::copy(text.c_str(), text.c_str() + text.size() + 1, g_temporaries[i].path);
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

// A hidden name beside `destination`: the rename stays on one file system
// and a folder search passes over it. Long names are cut so that the
// temporary name still fits the file system's limit.
fs::path TemporaryStem(const fs::path& destination)
{
    constexpr std::size_t kMaxStem = 200;
    fs::path::string_type name = destination.filename().native();
    if (name.size() > kMaxStem)
        name.resize(kMaxStem);
    return destination.parent_path() / (fs::path(".").native() + name + fs::path(".").native());
}

// A field read by ReadExactAt for a copy.
constexpr MessageText kData = ZEFIR_MESSAGE("zefir::fileio", "data");

constexpr MessageText kLinkRefused = ZEFIR_MESSAGE(
    "zefir::fileio",
    "cannot replace the file: it is a symbolic link, and nothing is written through one here");

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
    sys::FileStatus status;
    m_fd = sys::OpenForReading(path, status);
    m_size = status.size;
    m_device = status.device;
    m_inode = status.file;
    m_modifiedSeconds = status.modifiedSeconds;
    m_modifiedNanoseconds = status.modifiedNanoseconds;
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        sys::Close(m_fd);
}

bool InputFile::ChangedSinceOpened() const
{
    const std::optional<sys::FileStatus> now = sys::StatusOf(m_fd);
    if (!now)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot read: %1"), sys::LastReason()),
                      m_path, ErrorKind::CannotRead);
    return now->size != m_size || now->modifiedSeconds != m_modifiedSeconds ||
           now->modifiedNanoseconds != m_modifiedNanoseconds;
}

bool InputFile::PathNamesAnotherFile() const
{
    const std::optional<sys::FileStatus> now = sys::StatusAt(m_path);
    return !now || now->device != m_device || now->file != m_inode || now->size != m_size ||
           now->modifiedSeconds != m_modifiedSeconds ||
           now->modifiedNanoseconds != m_modifiedNanoseconds;
}

void InputFile::LockForChange() const
{
    // Windows' locks do not nest: a second lock by the same file fails as
    // another process's would, so a save retried after a failure would be
    // refused.
    if (m_locked)
        return;
    switch (sys::LockForChange(m_fd)) {
    case sys::Lock::HeldElsewhere:
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::fileio", "is being changed by another process")),
            m_path, ErrorKind::Refused);
    case sys::Lock::Failed:
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot lock: %1"), sys::LastReason()),
                      m_path, ErrorKind::CannotOpen);
    // Some network file systems keep no locks: the checks before saving
    // still find another program's save.
    case sys::Lock::NotKept:
    case sys::Lock::Taken:
        m_locked = true;
        break;
    }
}

void InputFile::LetGo() noexcept
{
    sys::Close(m_fd);
    m_fd = -1;
}

// The path still names the file opened, the rename having failed; should
// another program have saved over it in between, the next check before a
// save finds that.
void InputFile::TakeBack() noexcept
{
    try {
        sys::FileStatus status;
        m_fd = sys::OpenForReading(m_path, status);
        if (m_locked)
            sys::LockForChange(m_fd);
    } catch (const IoError&) {
        // Reads then fail, naming the file.
    }
}

std::size_t InputFile::ReadAt(std::uint64_t offset, std::span<std::byte> out) const
{
    const std::size_t done = sys::ReadUpTo(m_fd, out, offset);
    if (done == sys::kReadFailed)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot read: %1"), sys::LastReason()),
                      m_path, ErrorKind::CannotRead);
    return done;
}

void InputFile::ReadExactAt(std::uint64_t offset, std::span<std::byte> out,
                            const MessageText& what) const
{
    if (ReadAt(offset, out) != out.size())
        throw IoError(Fill(ZEFIR_MESSAGE("zefir", "%1 at %2 runs past the end of the file (%3)"),
                           Translated(what), Hex(offset), ByteCount(m_size)),
                      m_path);
}

std::vector<std::byte> ReadFile(const fs::path& path, std::size_t maxSize)
{
    InputFile file(path);
    if (file.Size() > maxSize)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "file is too large (%1; at most %2)"),
                           ByteCount(file.Size()), Grouped(maxSize)),
                      path, ErrorKind::OverLimit);
    std::vector<std::byte> bytes(static_cast<std::size_t>(file.Size()));
    bytes.resize(file.ReadAt(0, bytes));
    return bytes;
}

std::optional<std::uint64_t> ReadExpected(const fs::path& path, std::size_t expected,
                                          std::vector<std::byte>& buffer)
{
    const int fd = sys::OpenNotFollowing(path);
    struct Closer {
        int fd;
        ~Closer() { sys::Close(fd); }
    } closer{fd};
    // One byte more than expected tells a file that grew.
    buffer.resize(expected + 1);
    const std::size_t done = sys::ReadUpTo(fd, buffer, 0);
    if (done == sys::kReadFailed)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot read: %1"), sys::LastReason()),
                      path, ErrorKind::CannotRead);
    buffer.resize(expected);
    if (done == expected)
        return std::nullopt;
    if (const std::optional<sys::FileStatus> status = sys::StatusOf(fd))
        return status->size;
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
        throw IoError(Translated(ZEFIR_MESSAGE("zefir::fileio", "names a folder, not a file")),
                      m_target, ErrorKind::Refused);
    const std::optional<Kept> kept = m_lookAtCommit ? std::nullopt : CheckInTheWay(kind);
    // Where nothing is expected at the name, or nothing stands there in a
    // folder of the user's, the file is written unnamed and named once, at
    // the end: one name to make instead of two, and nothing to clean up
    // after an interruption. Should something stand there by then, the file
    // takes a temporary name after all and replaces it as it would have.
    // A file the user named is always written under a temporary name.
    if (m_lookAtCommit || (kind == Target::InFolder && !kept)) {
        m_fd = sys::CreateUnnamed(m_destination.parent_path());
        m_unnamed = m_fd >= 0;
    }
    if (!m_unnamed)
        NameTemporarily();
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

OutputFile::OutputFile(fs::path target, int unnamed, bool lookAtCommit, UnnamedTag)
    : m_target(std::move(target)), m_destination(m_target), m_fd(unnamed),
      m_lookAtCommit(lookAtCommit), m_unnamed(true), m_ahead(true)
{
}

FolderHold::FolderHold(const fs::path& folder) : m_slot(sys::HoldFolder(folder)) {}

FolderHold::~FolderHold()
{
    if (m_slot >= 0)
        sys::ReleaseFolder(m_slot);
}

std::unique_ptr<OutputFile> OutputFile::WrittenAhead(fs::path target, Target kind,
                                                     std::span<const std::byte> bytes)
{
    // With faults injected every write is made in order, so that a test
    // knows which one fails.
    if (kind == Target::Named || target.filename().empty() || g_writesBeforeFault.load() >= 0)
        return nullptr;
    // In a folder of the user's, only where nothing stands at the name yet;
    // whatever is there is dealt with in turn.
    if (kind == Target::InFolder) {
        const std::optional<sys::Found> found = sys::Look(target, false);
        if (!found || found->entry != Entry::Missing)
            return nullptr;
    }
    // Each holds a descriptor until it is named: a bound leaves the process
    // descriptors for the files written in turn.
    if (g_aheadFiles.fetch_add(1) >= kMaxAheadFiles) {
        g_aheadFiles.fetch_sub(1);
        return nullptr;
    }
    const int fd = sys::CreateUnnamed(target.parent_path());
    if (fd < 0) {
        g_aheadFiles.fetch_sub(1);
        return nullptr;
    }
    std::unique_ptr<OutputFile> out(
        new OutputFile(std::move(target), fd, kind == Target::InNewFolder, UnnamedTag{}));
    if (!sys::WriteAllAt(fd, bytes, 0))
        return nullptr;
    out->m_position = bytes.size();
    return out;
}

// Under a hidden name beside the destination: the file is created there,
// or an unnamed one is given that name.
void OutputFile::NameTemporarily()
{
    const fs::path stem = TemporaryStem(m_destination);
    const EndingEventsHeld held;
    for (int attempt = 0;; ++attempt) {
        fs::path candidate = stem;
        candidate += PathFromUtf8(TemporarySuffix());
        bool named = false;
        if (m_unnamed) {
            named = sys::LinkNotReplacing(m_fd, candidate) == sys::Moved::Done;
        } else {
            m_fd = sys::CreateNew(candidate);
            named = m_fd >= 0;
        }
        if (named) {
            m_temporary = std::move(candidate);
            m_slot = RegisterTemporary(m_temporary);
            m_unnamed = false;
            return;
        }
        if (!sys::LastWasExists() || attempt == 100)
            throw IoError(
                Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot create: %1"), sys::LastReason()),
                m_target, ErrorKind::CannotWrite);
    }
}

// True when the file now stands under its name; false when something
// stands there after all, and the file is under a temporary name for
// Rename(), which deals with that.
bool OutputFile::NameUnnamed()
{
    switch (sys::LinkNotReplacing(m_fd, m_destination)) {
    case sys::Moved::Done: {
        const int fd = m_fd;
        m_fd = -1;
        if (!sys::Close(fd)) {
            const std::string reason = sys::LastReason();
            sys::Remove(m_destination.c_str());
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot write: %1"), reason),
                          m_target, ErrorKind::CannotWrite);
        }
        return true;
    }
    case sys::Moved::Taken:
        NameTemporarily();
        return false;
    case sys::Moved::Failed:
        break;
    }
    throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot create: %1"), sys::LastReason()),
                  m_target, ErrorKind::CannotWrite);
}

void OutputFile::Keep(const Kept& kept, Target kind)
{
    // A file the user named keeps its owner too, as an editor's save does.
    if (!sys::Keep(m_fd, kept, kind == Target::Named))
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot keep the permissions: %1"),
                           sys::LastReason()),
                      m_target, ErrorKind::CannotWrite);
}

std::optional<OutputFile::Kept> OutputFile::CheckInTheWay(Target kind)
{
    std::optional<sys::Found> found = sys::Look(m_target, false);
    if (!found)
        throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot create: %1"), sys::LastReason()),
                      m_target, ErrorKind::CannotWrite);
    if (found->entry == Entry::Link) {
        if (kind != Target::Named)
            throw IoError(Translated(kLinkRefused), m_target, ErrorKind::Refused);
        m_destination = sys::ResolveLink(m_target);
        found = sys::Look(m_destination, true).value_or(sys::Found{});
    }
    switch (found->entry) {
    case Entry::Missing:
        return std::nullopt;
    case Entry::File:
        return found->kept;
    case Entry::Folder:
        throw IoError(
            Translated(ZEFIR_MESSAGE("zefir::fileio", "cannot replace the file: it is a folder")),
            m_target, ErrorKind::Refused);
    default:
        throw IoError(Translated(ZEFIR_MESSAGE(
                          "zefir::fileio",
                          "cannot replace the file: it is not a plain file (a device or a pipe)")),
                      m_target, ErrorKind::Refused);
    }
}

void OutputFile::Rename(InputFile* replaced)
{
    if (m_lookAtCommit) {
        switch (sys::RenameNotReplacing(m_temporary, m_destination)) {
        case sys::Moved::Done:
            return;
        case sys::Moved::Failed:
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot replace the file: %1"),
                               sys::LastReason()),
                          m_target, ErrorKind::CannotWrite);
        case sys::Moved::Taken:
            break;
        }
        // Something stands there after all (or the system cannot tell):
        // it is replaced only as InFolder allows, keeping its permissions.
        if (const std::optional<Kept> kept = CheckInTheWay(Target::InFolder);
            kept && !sys::KeepAt(m_temporary, *kept))
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot keep the permissions: %1"),
                               sys::LastReason()),
                          m_target, ErrorKind::CannotWrite);
    }
    if (sys::RenameReplacing(m_temporary, m_destination))
        return;
    const bool openFile = sys::LastWasOpenFile();
    std::string reason = sys::LastReason();
    if (openFile && replaced && replaced->m_fd >= 0 &&
        SameFile(m_destination, replaced->m_path)) {
        replaced->LetGo();
        if (sys::RenameReplacing(m_temporary, m_destination))
            return;
        reason = sys::LastReason();
        replaced->TakeBack();
    }
    throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot replace the file: %1"), reason),
                  m_target, ErrorKind::CannotWrite);
}

OutputFile::~OutputFile()
{
    if (!m_committed)
        Discard();
    if (m_ahead)
        g_aheadFiles.fetch_sub(1);
}

void OutputFile::Discard() noexcept
{
    if (m_fd >= 0)
        sys::Close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        sys::Remove(m_temporary.c_str());
    UnregisterTemporary(m_slot);
    m_slot = -1;
}

void OutputFile::Flush()
{
    if (m_buffer.empty())
        return;
    // Everything before the buffer is in the file already.
    WriteAllAt(m_fd, m_buffer, m_position - m_buffer.size(), m_target);
    m_buffer.clear();
}

void OutputFile::Write(std::span<const std::byte> bytes)
{
    InjectedFault(m_target);
    if (m_buffer.size() + bytes.size() > kOutputBufferSize) {
        Flush();
        if (bytes.size() >= kOutputBufferSize) {
            WriteAllAt(m_fd, bytes, m_position, m_target);
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
        throw IoError(Fill(ZEFIR_MESSAGE("zefir", "%1 at %2 runs past the end of the file (%3)"),
                           Translated(kData), Hex(offset), ByteCount(source.Size())),
                      source.path(), ErrorKind::CannotRead);
    InjectedFault(m_target);
    Flush();
    const std::optional<std::uint64_t> copied =
        sys::CopyInside(source.m_fd, offset, m_fd, m_position, length);
    if (!copied)
        CannotWrite(m_target);
    // Across file systems, or where the system cannot copy: by hand.
    std::vector<std::byte> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length - *copied, kOutputBufferSize)));
    for (std::uint64_t done = *copied; done < length;) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - done, buffer.size()));
        source.ReadExactAt(offset + done, std::span(buffer).first(chunk), kData);
        WriteAllAt(m_fd, std::span(buffer).first(chunk), m_position + done, m_target);
        done += chunk;
    }
    m_position += length;
}

void OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes)
{
    InjectedFault(m_target);
    Flush();
    WriteAllAt(m_fd, bytes, offset, m_target);
}

void OutputFile::Commit()
{
    CommitOver(nullptr);
}

void OutputFile::Commit(InputFile& replaced)
{
    CommitOver(&replaced);
}

void OutputFile::CommitOver(InputFile* replaced)
{
    InjectedFault(m_target);
    Flush();
    if (m_sync)
        SyncToDisk(m_fd, m_target);
    if (m_unnamed && NameUnnamed()) {
        m_committed = true;
        return;
    }
    int fd = m_fd;
    m_fd = -1;
    if (!sys::Close(fd))
        CannotWrite(m_target);
    Rename(replaced);
    // Only now: a signal before the rename still finds the temporary file.
    UnregisterTemporary(m_slot);
    m_slot = -1;
    m_committed = true;
}

ScratchFile::ScratchFile() : m_folder(sys::TemporaryFolder())
{
    for (int attempt = 0; m_fd < 0; ++attempt) {
        m_fd = sys::CreateScratch(m_folder, TemporarySuffix());
        if (m_fd < 0 && (!sys::LastWasExists() || attempt == 100))
            throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot create a scratch file: %1"),
                               sys::LastReason()),
                          m_folder, ErrorKind::CannotWrite);
    }
}

ScratchFile::~ScratchFile()
{
    sys::Close(m_fd);
}

std::uint64_t ScratchFile::Append(std::span<const std::byte> bytes)
{
    InjectedFault(m_folder);
    const std::uint64_t offset = m_size;
    WriteAllAt(m_fd, bytes, offset, m_folder);
    m_size += bytes.size();
    return offset;
}

void ScratchFile::ReadAt(std::uint64_t offset, std::span<std::byte> out) const
{
    // The bytes were written before, so fewer of them is a fault too.
    const std::size_t done = sys::ReadUpTo(m_fd, out, offset);
    if (done != out.size())
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot read a scratch file: %1"),
                 done == sys::kReadFailed ? sys::LastReason() : std::string(std::strerror(EIO))),
            m_folder, ErrorKind::CannotRead);
}

void WriteFile(const fs::path& path, std::span<const std::byte> bytes, Target kind)
{
    OutputFile out(path, kind);
    out.Write(bytes);
    out.Commit();
}

void WriteFileInPlace(const fs::path& path, std::span<const std::byte> bytes)
{
    int fd = -1;
    switch (sys::OpenExistingForWriting(path, fd)) {
    case sys::Existing::Opened:
        break;
    case sys::Existing::Missing:
        WriteFile(path, bytes, Target::Named);
        return;
    case sys::Existing::NotPlainFile:
        throw IoError(Translated(ZEFIR_MESSAGE(
                          "zefir::fileio", "is not a plain file; only a file is written in place")),
                      path, ErrorKind::Refused);
    case sys::Existing::Failed:
        throw IoError(
            Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot open for writing: %1"), sys::LastReason()),
            path, ErrorKind::CannotWrite);
    }
    struct Closer {
        int fd;
        ~Closer() { sys::Close(fd); }
    } closer{fd};
    InjectedFault(path);
    WriteAllAt(fd, bytes, 0, path);
    if (!sys::SetSize(fd, bytes.size()))
        CannotWrite(path);
}

void CopyFile(const fs::path& source, const fs::path& target, std::size_t maxSize, Target kind)
{
    auto bytes = ReadFile(source, maxSize);
    WriteFile(target, bytes, kind);
}

bool CreateFolder(const fs::path& path, Target kind)
{
    if (sys::MakeFolder(path))
        return true;
    const std::string reason = sys::LastReason();
    switch (EntryAt(path)) {
    case Entry::Folder:
        return false;
    case Entry::Link:
        if (kind != Target::Named)
            throw IoError(Translated(kFolderLinkRefused), path, ErrorKind::Refused);
        if (const auto found = sys::Look(path, true); found && found->entry == Entry::Folder)
            return false;
        break;
    default:
        break;
    }
    throw IoError(Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot create the folder: %1"), reason),
                  path, ErrorKind::CannotWrite);
}

void RemoveFile(const fs::path& path) noexcept
{
    sys::Remove(path.c_str());
}

std::size_t MaxFileNameBytes() noexcept
{
    return 255;
}

Entry EntryAt(const fs::path& path) noexcept
{
    try {
        const std::optional<sys::Found> found = sys::Look(path, false);
        return found ? found->entry : Entry::Missing;
    } catch (...) {
        return Entry::Missing;
    }
}

bool SameFile(const fs::path& a, const fs::path& b) noexcept
{
    const std::optional<FileIdentity> ia = IdentityOf(a);
    const std::optional<FileIdentity> ib = IdentityOf(b);
    return ia && ib && *ia == *ib;
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
        throw IoError(Translated(ZEFIR_MESSAGE(
                          "zefir::fileio", "already exists; it is not replaced unless asked to")),
                      files.front(), ErrorKind::Refused);
    constexpr std::size_t kListed = 10;
    std::string list;
    for (std::size_t i = 0; i < files.size() && i < kListed; ++i)
        list += (i ? ", " : "") + Utf8Of(files[i].lexically_relative(folder));
    if (files.size() > kListed)
        list += Fill(ZEFIR_MESSAGE("zefir::fileio", " and %1 more"), files.size() - kListed);
    throw IoError(FillCount(ZEFIR_PLURAL("zefir::fileio",
                                         "%n files already exist and are not replaced unless "
                                         "asked to: %1",
                                         "%n file already exists and is not replaced unless "
                                         "asked to: %1"),
                            files.size(), std::to_string(files.size()), list),
                  folder, ErrorKind::Refused);
}

void RemoveLiveTemporaries() noexcept
{
    for (TemporarySlot& slot : g_temporaries)
        if (slot.state.load() == kLive)
            sys::Remove(slot.path);
}

} // namespace zefir::fileio
