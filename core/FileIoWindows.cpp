// The file layer on Windows: the same promises as on other systems, through
// the Win32 calls that keep them. Files are opened with CreateFileW, sharing
// reads (and, for inputs, writes and deletes) with the user's other programs;
// every read and write is positioned; a replaced file is flushed
// (FlushFileBuffers) and moved over the target with MoveFileExW, write
// through. The CRT descriptors the interface keeps wrap the handles
// (_open_osfhandle), so that closing one closes the other.
#include "core/FileIo.h"
#include "core/FileIoFolders.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>
// The file layer has a CopyFile of its own.
#undef CopyFile

#include "core/Error.h"
#include "core/Text.h"

namespace zefir::fileio {

namespace {

constexpr std::size_t kOutputBufferSize = 64 * 1024;
// Win32 transfers are at most 4 GiB less one byte at a time.
constexpr std::size_t kMaxTransfer = 1u << 30;

std::atomic<long> g_writesBeforeFault{-1};
std::atomic<bool> g_failSyncs{false};
// Far past the end of any file Zefir reads: the lock that marks a file as
// being changed covers no byte that is read, since locks on Windows keep
// other programs from reading what they cover.
constexpr std::uint64_t kLockOffset = std::uint64_t{1} << 62;

// Win32 errors in the words the same failures have on other systems, so
// that a message reads the same everywhere; a file that another program
// holds is said so, since that is what the user can do something about.
std::string SystemReason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH:
        return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
        return std::strerror(EACCES);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return "it is open in another program";
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::strerror(EEXIST);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return std::strerror(ENOSPC);
    case ERROR_DIRECTORY:
        return std::strerror(ENOTDIR);
    case ERROR_FILENAME_EXCED_RANGE:
        return std::strerror(ENAMETOOLONG);
    case ERROR_WRITE_PROTECT:
        return std::strerror(EROFS);
    default:
        break;
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason;
    if (length > 0) {
        reason = Utf8Of(std::filesystem::path(std::wstring(text, length)));
        ::LocalFree(text);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                                   reason.back() == '.' || reason.back() == ' '))
            reason.pop_back();
    }
    return reason.empty() ? "system error " + std::to_string(error) : reason;
}

std::string LastReason()
{
    return SystemReason(::GetLastError());
}

HANDLE HandleOf(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// Wraps a handle in a descriptor; the handle is closed when that fails.
int DescriptorOf(HANDLE handle, int flags)
{
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0)
        ::CloseHandle(handle);
    return fd;
}

// Six characters that make a temporary file's name unlikely to be taken.
std::string TemporarySuffix()
{
    static std::atomic<std::uint64_t> counter{
        static_cast<std::uint64_t>(::GetCurrentProcessId()) << 32 ^ ::GetTickCount64()};
    std::uint64_t v = counter.fetch_add(0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
    constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i, v /= 36)
        suffix += kChars[v % 36];
    return suffix;
}

void InjectedFault(const fs::path& path)
{
    long left = g_writesBeforeFault.load();
    if (left < 0)
        return;
    if (left == 0)
        throw IoError("cannot write: " + SystemReason(ERROR_DISK_FULL), path,
                      ErrorKind::CannotWrite);
    g_writesBeforeFault.store(left - 1);
}

void SyncToDisk(HANDLE handle, const fs::path& path)
{
    if (g_failSyncs.load())
        throw IoError("cannot write: " + std::string(std::strerror(EIO)), path,
                      ErrorKind::CannotWrite);
    if (!::FlushFileBuffers(handle))
        throw IoError("cannot write: " + LastReason(), path, ErrorKind::CannotWrite);
}

OVERLAPPED At(std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

constexpr std::size_t kReadFailed = static_cast<std::size_t>(-1);

// Reads up to out.size() bytes at offset, fewer only at the end of the file;
// kReadFailed with the last error set when a read fails.
std::size_t PReadUpTo(HANDLE handle, std::span<std::byte> out, std::uint64_t offset)
{
    std::size_t done = 0;
    while (done < out.size()) {
        OVERLAPPED at = At(offset + done);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(out.size() - done, kMaxTransfer));
        if (!::ReadFile(handle, out.data() + done, chunk, &n, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF)
                break;
            return kReadFailed;
        }
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

void PWriteAll(HANDLE handle, std::span<const std::byte> bytes, std::uint64_t offset,
               const fs::path& path)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED at = At(offset + done);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kMaxTransfer));
        if (!::WriteFile(handle, bytes.data() + done, chunk, &n, &at) || n == 0)
            throw IoError("cannot write: " + (n == 0 && ::GetLastError() == ERROR_SUCCESS
                                                  ? SystemReason(ERROR_DISK_FULL)
                                                  : LastReason()),
                          path, ErrorKind::CannotWrite);
        done += n;
    }
}

// The temporary files that exist right now, for the console's control
// handler to remove. Fixed slots and lock-free flags, as on other systems,
// since the handler runs while the program goes on.
constexpr int kTemporarySlots = 16;
constexpr std::size_t kSlotChars = 4096;
enum SlotState : int { kFree, kFilling, kLive };
struct TemporarySlot {
    std::atomic<int> state{kFree};
    wchar_t path[kSlotChars];
};
TemporarySlot g_temporaries[kTemporarySlots];

int RegisterTemporary(const fs::path& path) noexcept
{
    const std::wstring& text = path.native();
    if (text.size() >= kSlotChars)
        return -1;
    for (int i = 0; i < kTemporarySlots; ++i) {
        int expected = kFree;
        if (g_temporaries[i].state.compare_exchange_strong(expected, kFilling)) {
            std::memcpy(g_temporaries[i].path, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
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

// Ctrl+C, Ctrl+Break, closing the console, logging off and shutting down end
// the program as they would have, after its temporary files are gone.
BOOL WINAPI RemoveTemporariesOnControl(DWORD)
{
    RemoveLiveTemporaries();
    return FALSE;
}

fs::path TemporaryStem(const fs::path& destination)
{
    constexpr std::size_t kMaxStem = 200;
    std::wstring name = destination.filename().native();
    if (name.size() > kMaxStem)
        name.resize(kMaxStem);
    return destination.parent_path() / (L"." + name + L".");
}

constexpr const char* kLinkRefused =
    "cannot replace the file: it is a symbolic link, and nothing is written through one here";

// What stands at a path, as GetFileAttributesW tells it: a reparse point
// (a symbolic link or a junction) is a link.
Entry EntryOfAttributes(DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return Entry::Missing;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return Entry::Link;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return Entry::Folder;
    if (attributes & FILE_ATTRIBUTE_DEVICE)
        return Entry::Other;
    return Entry::File;
}

// Opens a path for its identity and attributes only, through a last link
// or not.
HANDLE OpenForQuery(const fs::path& path, bool followLink)
{
    return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS |
                             (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                         nullptr);
}

std::uint64_t Ticks(const FILETIME& time)
{
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

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
    // Other programs may go on reading, writing, even renaming the file:
    // ChangedSinceOpened() tells when they did.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const bool folder = EntryOfAttributes(::GetFileAttributesW(path.c_str())) == Entry::Folder;
        throw IoError("cannot open: " + (folder ? std::strerror(EISDIR) : SystemReason(error)),
                      path, ErrorKind::CannotOpen);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)) {
        ::CloseHandle(handle);
        throw IoError("cannot open: not a plain file", path, ErrorKind::CannotOpen);
    }
    m_fd = DescriptorOf(handle, _O_RDONLY);
    if (m_fd < 0)
        throw IoError("cannot open: " + std::string(std::strerror(EMFILE)), path,
                      ErrorKind::CannotOpen);
    m_size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    m_device = info.dwVolumeSerialNumber;
    m_inode = static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    const std::uint64_t ticks = Ticks(info.ftLastWriteTime);
    m_modifiedSeconds = static_cast<std::int64_t>(ticks / 10'000'000);
    m_modifiedNanoseconds = static_cast<std::int64_t>(ticks % 10'000'000 * 100);
}

bool InputFile::ChangedSinceOpened() const
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(HandleOf(m_fd), &info))
        throw IoError("cannot read: " + LastReason(), m_path, ErrorKind::CannotRead);
    const std::uint64_t size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 |
                               info.nFileSizeLow;
    const std::uint64_t ticks = Ticks(info.ftLastWriteTime);
    return size != m_size || static_cast<std::int64_t>(ticks / 10'000'000) != m_modifiedSeconds ||
           static_cast<std::int64_t>(ticks % 10'000'000 * 100) != m_modifiedNanoseconds;
}

bool InputFile::PathNamesAnotherFile() const
{
    const auto identity = IdentityOf(m_path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!identity || !::GetFileAttributesExW(m_path.c_str(), GetFileExInfoStandard, &data))
        return true;
    const std::uint64_t size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 |
                               data.nFileSizeLow;
    const std::uint64_t ticks = Ticks(data.ftLastWriteTime);
    return identity->device != m_device || identity->file != m_inode || size != m_size ||
           static_cast<std::int64_t>(ticks / 10'000'000) != m_modifiedSeconds ||
           static_cast<std::int64_t>(ticks % 10'000'000 * 100) != m_modifiedNanoseconds;
}

void InputFile::LockForChange() const
{
    OVERLAPPED at = At(kLockOffset);
    if (::LockFileEx(HandleOf(m_fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                     &at))
        return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
        throw IoError("is being changed by another process", m_path, ErrorKind::Refused);
    // Some network shares keep no locks: the checks before saving still
    // find another program's save.
    if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
        return;
    throw IoError("cannot lock: " + SystemReason(error), m_path, ErrorKind::CannotOpen);
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::_close(m_fd);
}

std::size_t InputFile::ReadAt(std::uint64_t offset, std::span<std::byte> out) const
{
    const std::size_t done = PReadUpTo(HandleOf(m_fd), out, offset);
    if (done == kReadFailed)
        throw IoError("cannot read: " + LastReason(), m_path, ErrorKind::CannotRead);
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
    // The link itself is opened, not what it names, so that one put in the
    // file's place since the listing is seen for what it is.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw IoError("cannot open: " + LastReason(), path, ErrorKind::CannotOpen);
    struct Closer {
        HANDLE handle;
        ~Closer() { ::CloseHandle(handle); }
    } closer{handle};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info))
        throw IoError("cannot open: " + LastReason(), path, ErrorKind::CannotOpen);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        throw IoError("cannot open: it is a symbolic link now", path, ErrorKind::CannotOpen);
    if (::GetFileType(handle) != FILE_TYPE_DISK || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw IoError("cannot read: not a plain file", path, ErrorKind::CannotRead);
    // One byte more than expected tells a file that grew.
    buffer.resize(expected + 1);
    const std::size_t done = PReadUpTo(handle, buffer, 0);
    if (done == kReadFailed)
        throw IoError("cannot read: " + LastReason(), path, ErrorKind::CannotRead);
    buffer.resize(expected);
    if (done == expected)
        return std::nullopt;
    LARGE_INTEGER size{};
    if (::GetFileSizeEx(handle, &size))
        return static_cast<std::uint64_t>(size.QuadPart);
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
    // Never over an existing file. Others may read it while it grows;
    // deleting it must stay possible for the control handler.
    const fs::path stem = TemporaryStem(m_destination);
    for (int attempt = 0; m_fd < 0; ++attempt) {
        fs::path candidate = stem;
        candidate += PathFromUtf8(TemporarySuffix());
        HANDLE handle = ::CreateFileW(candidate.c_str(), GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_fd = DescriptorOf(handle, _O_WRONLY);
            if (m_fd < 0)
                throw IoError("cannot create: " + std::string(std::strerror(EMFILE)), m_target,
                              ErrorKind::CannotWrite);
            m_temporary = std::move(candidate);
            m_slot = RegisterTemporary(m_temporary);
            if (kept) {
                try {
                    Keep(*kept, kind);
                } catch (...) {
                    Discard();
                    throw;
                }
            }
        } else if (const DWORD error = ::GetLastError();
                   (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100) {
            throw IoError("cannot create: " + SystemReason(error), m_target,
                          ErrorKind::CannotWrite);
        }
    }
    m_buffer.reserve(kOutputBufferSize);
}

// A replaced file keeps its attributes (hidden, system, archive, not
// indexed), as an editor's save does; the owner and the permissions belong
// to the folder's inheritance on Windows.
void OutputFile::Keep(const Kept& kept, Target)
{
    constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO info{};
    // Zero would mean "unchanged"; NORMAL stands only alone.
    info.FileAttributes = kept.mode & kKeptAttributes;
    if (info.FileAttributes == 0)
        info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(HandleOf(m_fd), FileBasicInfo, &info, sizeof info))
        throw IoError("cannot keep the attributes: " + LastReason(), m_target,
                      ErrorKind::CannotWrite);
}

std::optional<OutputFile::Kept> OutputFile::CheckInTheWay(Target kind)
{
    const DWORD attributes = ::GetFileAttributesW(m_target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::nullopt;
        throw IoError("cannot create: " + SystemReason(error), m_target, ErrorKind::CannotWrite);
    }
    Entry entry = EntryOfAttributes(attributes);
    if (entry == Entry::Link) {
        if (kind != Target::Named)
            throw IoError(kLinkRefused, m_target, ErrorKind::Refused);
        HANDLE handle = OpenForQuery(m_target, true);
        if (handle == INVALID_HANDLE_VALUE)
            throw IoError("cannot follow the symbolic link: " + LastReason(), m_target,
                          ErrorKind::CannotWrite);
        std::wstring resolved(32768, L'\0');
        const DWORD length = ::GetFinalPathNameByHandleW(
            handle, resolved.data(), static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
        const DWORD error = ::GetLastError();
        ::CloseHandle(handle);
        if (length == 0 || length >= resolved.size())
            throw IoError("cannot follow the symbolic link: " + SystemReason(error), m_target,
                          ErrorKind::CannotWrite);
        resolved.resize(length);
        m_destination = resolved;
        entry = EntryOfAttributes(::GetFileAttributesW(m_destination.c_str()));
    }
    if (entry == Entry::Folder)
        throw IoError("cannot replace the file: it is a folder", m_target, ErrorKind::Refused);
    if (entry == Entry::Other)
        throw IoError("cannot replace the file: it is not a plain file (a device or a pipe)",
                      m_target, ErrorKind::Refused);
    if (entry == Entry::Missing)
        return std::nullopt;
    return Kept{static_cast<unsigned>(::GetFileAttributesW(m_destination.c_str())), 0, 0};
}

void OutputFile::Rename()
{
    if (m_lookAtCommit) {
        if (::MoveFileExW(m_temporary.c_str(), m_destination.c_str(), MOVEFILE_WRITE_THROUGH))
            return;
        const DWORD error = ::GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            throw IoError("cannot replace the file: " + SystemReason(error), m_target,
                          ErrorKind::CannotWrite);
        CheckInTheWay(Target::InFolder);
    }
    // The rename reaches the disk before Commit() returns, as the bytes did.
    if (!::MoveFileExW(m_temporary.c_str(), m_destination.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        // A read-only file is not replaced by a rename on Windows: it is
        // refused as the permission it is.
        throw IoError("cannot replace the file: " + SystemReason(error), m_target,
                      ErrorKind::CannotWrite);
    }
}

OutputFile::~OutputFile()
{
    if (!m_committed)
        Discard();
}

void OutputFile::Discard() noexcept
{
    if (m_fd >= 0)
        ::_close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::DeleteFileW(m_temporary.c_str());
    UnregisterTemporary(m_slot);
    m_slot = -1;
}

void OutputFile::Flush()
{
    if (m_buffer.empty())
        return;
    // Everything before the buffer is on the file already.
    PWriteAll(HandleOf(m_fd), m_buffer, m_position - m_buffer.size(), m_target);
    m_buffer.clear();
}

void OutputFile::Write(std::span<const std::byte> bytes)
{
    InjectedFault(m_target);
    if (m_buffer.size() + bytes.size() > kOutputBufferSize) {
        Flush();
        if (bytes.size() >= kOutputBufferSize) {
            PWriteAll(HandleOf(m_fd), bytes, m_position, m_target);
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
    // Windows has no call that copies a range between two open files: the
    // bytes pass through a buffer.
    std::vector<std::byte> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kOutputBufferSize)));
    std::uint64_t done = 0;
    while (done < length) {
        const auto chunk =
            static_cast<std::size_t>(std::min<std::uint64_t>(length - done, buffer.size()));
        source.ReadExactAt(offset + done, std::span(buffer).first(chunk), "data");
        PWriteAll(HandleOf(m_fd), std::span(buffer).first(chunk), m_position + done, m_target);
        done += chunk;
    }
    m_position += length;
}

void OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes)
{
    InjectedFault(m_target);
    Flush();
    PWriteAll(HandleOf(m_fd), bytes, offset, m_target);
}

void OutputFile::Commit()
{
    InjectedFault(m_target);
    Flush();
    if (m_sync)
        SyncToDisk(HandleOf(m_fd), m_target);
    int fd = m_fd;
    m_fd = -1;
    if (::_close(fd) != 0)
        throw IoError("cannot write: " + std::string(std::strerror(errno)), m_target,
                      ErrorKind::CannotWrite);
    Rename();
    UnregisterTemporary(m_slot);
    m_slot = -1;
    m_committed = true;
}

ScratchFile::ScratchFile()
{
    std::wstring folder(MAX_PATH + 1, L'\0');
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length > folder.size())
        throw IoError("cannot create a scratch file: no temporary folder", fs::path(),
                      ErrorKind::CannotWrite);
    folder.resize(length);
    m_folder = folder;
    // Deleted when closed, also when the process is killed: the system
    // closes its handles.
    for (int attempt = 0; m_fd < 0; ++attempt) {
        const fs::path name = m_folder / PathFromUtf8("zefir-" + TemporarySuffix());
        HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            m_fd = DescriptorOf(handle, _O_RDWR);
            if (m_fd < 0)
                throw IoError("cannot create a scratch file: " + std::string(std::strerror(EMFILE)),
                              m_folder, ErrorKind::CannotWrite);
        } else if (const DWORD error = ::GetLastError();
                   (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 100) {
            throw IoError("cannot create a scratch file: " + SystemReason(error), m_folder,
                          ErrorKind::CannotWrite);
        }
    }
}

ScratchFile::~ScratchFile()
{
    ::_close(m_fd);
}

std::uint64_t ScratchFile::Append(std::span<const std::byte> bytes)
{
    InjectedFault(m_folder);
    const std::uint64_t offset = m_size;
    PWriteAll(HandleOf(m_fd), bytes, offset, m_folder);
    m_size += bytes.size();
    return offset;
}

void ScratchFile::ReadAt(std::uint64_t offset, std::span<std::byte> out) const
{
    const std::size_t done = PReadUpTo(HandleOf(m_fd), out, offset);
    if (done != out.size())
        throw IoError("cannot read a scratch file: " +
                          (done == kReadFailed ? LastReason() : std::string(std::strerror(EIO))),
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
    if (::CreateDirectoryW(path.c_str(), nullptr))
        return true;
    const DWORD error = ::GetLastError();
    switch (EntryAt(path)) {
    case Entry::Folder:
        return false;
    case Entry::Link:
        if (kind != Target::Named)
            throw IoError("cannot use the folder: it is a symbolic link, and nothing is written "
                          "through one here",
                          path, ErrorKind::Refused);
        if (const DWORD attributes = ::GetFileAttributesW((path / L"").c_str());
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return false;
        break;
    default:
        break;
    }
    throw IoError("cannot create the folder: " +
                      (error == ERROR_ALREADY_EXISTS ? std::string(std::strerror(EEXIST))
                                                     : SystemReason(error)),
                  path, ErrorKind::CannotWrite);
}

void RemoveFile(const fs::path& path) noexcept
{
    ::DeleteFileW(path.c_str());
}

Entry EntryAt(const fs::path& path) noexcept
{
    return EntryOfAttributes(::GetFileAttributesW(path.c_str()));
}

std::optional<FileIdentity> IdentityOf(const fs::path& path) noexcept
{
    HANDLE handle = OpenForQuery(path, true);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!known)
        return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow};
}

bool SameFile(const fs::path& a, const fs::path& b) noexcept
{
    const auto ia = IdentityOf(a);
    const auto ib = IdentityOf(b);
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
            ::DeleteFileW(slot.path);
}

void RemoveTemporariesOnSignals() noexcept
{
    ::SetConsoleCtrlHandler(RemoveTemporariesOnControl, TRUE);
}

std::vector<FolderEntry> ListFolder(const fs::path& folder,
                                    const std::function<bool(const std::string&)>& detailed)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        throw IoError("cannot read the folder: " + LastReason(), folder, ErrorKind::CannotRead);
    struct Closer {
        HANDLE search;
        ~Closer() { ::FindClose(search); }
    } closer{search};
    std::vector<FolderEntry> entries;
    do {
        const std::wstring wide = found.cFileName;
        if (wide == L"." || wide == L"..")
            continue;
        FolderEntry entry;
        entry.name = Utf8Of(fs::path(wide));
        entry.kind = EntryOfAttributes(found.dwFileAttributes);
        entry.size = static_cast<std::uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
        // The listing has no file identity; only the entries that need one
        // are opened for it.
        if (entry.kind == Entry::File && detailed(entry.name)) {
            if (const auto identity = IdentityOf(folder / wide))
                entry.identity = *identity;
        }
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(search, &found));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES)
        throw IoError("cannot read the folder: " + SystemReason(error), folder,
                      ErrorKind::CannotRead);
    return entries;
}

std::vector<std::string> ArgumentsAsUtf8(int argc, char** argv)
{
    // The narrow arguments went through the ANSI code page, which may lack
    // characters of a file's name; the command line itself is UTF-16.
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide == nullptr || count != argc) {
        if (wide != nullptr)
            ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utf8Of(fs::path(wide[i])));
    ::LocalFree(wide);
    return arguments;
}

void PrepareStandardStreams() noexcept
{
    const int flags[] = {_O_RDONLY, _O_RDONLY, _O_WRONLY};
    for (int fd = 0; fd <= 2; ++fd)
        if (::_get_osfhandle(fd) == -1 && ::_open("NUL", flags[fd] | _O_BINARY) != fd)
            std::_Exit(1);
    ::SetConsoleOutputCP(CP_UTF8);
    ::_setmode(1, _O_BINARY);
    ::_setmode(2, _O_BINARY);
}

} // namespace zefir::fileio
