// The file layer's system calls on Windows. Files are opened with
// CreateFileW, sharing reads (and, for inputs, writes and deletes) with the
// user's other programs; every read and write is positioned; a replaced file
// is flushed (FlushFileBuffers) and moved over the target with MoveFileExW,
// write through. The CRT descriptors the layer keeps wrap the handles
// (_open_osfhandle), so that closing one closes the other.
#include "core/FileIoPlatform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>
// The file layer has a CopyFile of its own.
#undef CopyFile

#include "core/Error.h"
#include "core/FileIoFolders.h"
#include "core/Message.h"
#include "core/Text.h"

namespace zefir::fileio {

namespace {

constexpr MessageText kCannotOpen = ZEFIR_MESSAGE("zefir::fileio", "cannot open: %1");
constexpr MessageText kCannotFollow =
    ZEFIR_MESSAGE("zefir::fileio", "cannot follow the symbolic link: %1");
constexpr MessageText kCannotReadFolder =
    ZEFIR_MESSAGE("zefir::fileio", "cannot read the folder: %1");
constexpr MessageText kNotPlainFile = ZEFIR_MESSAGE("zefir::fileio", "not a plain file");

// Win32 transfers are at most 4 GiB less one byte at a time.
constexpr std::size_t kMaxTransfer = 1u << 30;
// Far past the end of any file Zefir reads: the lock that marks a file as
// being changed covers no byte that is read, since locks on Windows keep
// other handles from reading what they cover.
constexpr std::uint64_t kLockOffset = 0x7FFFFFFF00000000ull;

// Win32 errors in the words the same failures have on other systems, so
// that a message reads the same everywhere; a file that another program
// holds is said so, since that is what the user can do something about.
std::string Reason(DWORD error)
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
        return Translated(ZEFIR_MESSAGE("zefir::fileio", "it is open in another program"));
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
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
        return std::strerror(EIO);
    default:
        break;
    }
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason;
    if (length > 0) {
        reason = Utf8Of(fs::path(std::wstring(text, length)));
        ::LocalFree(text);
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                                   reason.back() == '.' || reason.back() == ' '))
            reason.pop_back();
    }
    return reason.empty() ? Fill(ZEFIR_MESSAGE("zefir::fileio", "system error %1"), error) : reason;
}

HANDLE HandleOf(int fd)
{
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

// Wraps a handle in a descriptor; the handle is closed when that fails,
// which then reads as too many open files.
int DescriptorOf(HANDLE handle, int flags)
{
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), flags | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(handle);
        ::SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    }
    return fd;
}

OVERLAPPED At(std::uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

std::uint64_t Ticks(const FILETIME& time)
{
    return static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

sys::FileStatus StatusFrom(const BY_HANDLE_FILE_INFORMATION& info)
{
    const std::uint64_t ticks = Ticks(info.ftLastWriteTime);
    return {static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow,
            info.dwVolumeSerialNumber,
            static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
            static_cast<std::int64_t>(ticks / 10'000'000),
            static_cast<std::int64_t>(ticks % 10'000'000 * 100)};
}

// What stands at a path, as its attributes tell it: a reparse point (a
// symbolic link or a junction) is a link.
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

std::optional<BY_HANDLE_FILE_INFORMATION> InformationAt(const fs::path& path, bool followLink)
{
    HANDLE handle = OpenForQuery(path, followLink);
    if (handle == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(handle, &info);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    ::SetLastError(error);
    if (!known)
        return std::nullopt;
    return info;
}

// The attributes a replaced file keeps, as an editor's save does; the
// owner and the permissions follow the folder's inheritance on Windows.
DWORD KeptAttributes(const KeptOfReplaced& kept)
{
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    // NORMAL stands only alone.
    const DWORD attributes = kept.mode & kKept;
    return attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
}

// Temporary files being made right now: the control handler waits for
// them to be registered before it removes what is. Once it has begun, a
// thread about to make another one waits for the end instead.
std::atomic<int> g_creating{0};
std::atomic<bool> g_ending{false};

// Ctrl+C, Ctrl+Break, closing the console, logging off and shutting down
// end the program as they would have, after its temporary files are gone.
// The handler runs on a thread of its own while the program goes on.
BOOL WINAPI RemoveTemporariesOnControl(DWORD event)
{
    g_ending.store(true);
    for (int waited = 0; g_creating.load() > 0 && waited < 1000; ++waited)
        ::Sleep(1);
    RemoveLiveTemporaries();
    // Ended here with Ctrl+C's own status, as the default handler would;
    // Wine's ends the process with 0, which a script would take for success.
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
    return FALSE;
}

bool IsReservedDeviceName(std::string_view name)
{
    // The part before the first dot, less trailing spaces, is what Windows
    // takes for the device: "nul.txt" and "COM1 .k" are devices too.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    const std::string upper = AsciiUpper(base);
    if (upper == "CON" || upper == "PRN" || upper == "AUX" || upper == "NUL")
        return true;
    return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) &&
           upper[3] >= '1' && upper[3] <= '9';
}

} // namespace

namespace sys {

std::string LastReason()
{
    return Reason(::GetLastError());
}

bool LastWasExists()
{
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
}

int OpenForReading(const fs::path& path, FileStatus& status)
{
    // Other programs may go on reading, writing, even renaming the file:
    // ChangedSinceOpened() tells when they did.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        const bool folder = EntryOfAttributes(::GetFileAttributesW(path.c_str())) == Entry::Folder;
        throw IoError(Fill(kCannotOpen, folder ? std::strerror(EISDIR) : Reason(error)), path,
                      ErrorKind::CannotOpen);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(handle) != FILE_TYPE_DISK || !::GetFileInformationByHandle(handle, &info)) {
        ::CloseHandle(handle);
        throw IoError(Fill(kCannotOpen, Translated(kNotPlainFile)), path, ErrorKind::CannotOpen);
    }
    const int fd = DescriptorOf(handle, _O_RDONLY);
    if (fd < 0)
        throw IoError(Fill(kCannotOpen, LastReason()), path, ErrorKind::CannotOpen);
    status = StatusFrom(info);
    return fd;
}

int OpenNotFollowing(const fs::path& path)
{
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw IoError(Fill(kCannotOpen, LastReason()), path, ErrorKind::CannotOpen);
    BY_HANDLE_FILE_INFORMATION info{};
    std::string refused;
    if (!::GetFileInformationByHandle(handle, &info))
        refused = Fill(kCannotOpen, LastReason());
    else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        refused = Fill(kCannotOpen,
                       Translated(ZEFIR_MESSAGE("zefir::fileio", "it is a symbolic link now")));
    else if (::GetFileType(handle) != FILE_TYPE_DISK ||
             (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        refused =
            Fill(ZEFIR_MESSAGE("zefir::fileio", "cannot read: %1"), Translated(kNotPlainFile));
    if (!refused.empty()) {
        ::CloseHandle(handle);
        throw IoError(refused, path, ErrorKind::CannotOpen);
    }
    const int fd = DescriptorOf(handle, _O_RDONLY);
    if (fd < 0)
        throw IoError(Fill(kCannotOpen, LastReason()), path, ErrorKind::CannotOpen);
    return fd;
}

std::optional<FileStatus> StatusOf(int fd)
{
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(HandleOf(fd), &info))
        return std::nullopt;
    return StatusFrom(info);
}

std::optional<FileStatus> StatusAt(const fs::path& path) noexcept
{
    const auto info = InformationAt(path, true);
    if (!info)
        return std::nullopt;
    return StatusFrom(*info);
}

Lock LockForChange(int fd)
{
    OVERLAPPED at = At(kLockOffset);
    if (::LockFileEx(HandleOf(fd), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                     &at))
        return Lock::Taken;
    const DWORD error = ::GetLastError();
    if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
        return Lock::HeldElsewhere;
    if (error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION)
        return Lock::NotKept;
    return Lock::Failed;
}

bool Close(int fd) noexcept
{
    return ::_close(fd) == 0;
}

std::size_t ReadUpTo(int fd, std::span<std::byte> out, std::uint64_t offset)
{
    const HANDLE handle = HandleOf(fd);
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

bool WriteAllAt(int fd, std::span<const std::byte> bytes, std::uint64_t offset)
{
    const HANDLE handle = HandleOf(fd);
    std::size_t done = 0;
    while (done < bytes.size()) {
        OVERLAPPED at = At(offset + done);
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min(bytes.size() - done, kMaxTransfer));
        if (!::WriteFile(handle, bytes.data() + done, chunk, &n, &at))
            return false;
        if (n == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += n;
    }
    return true;
}

// Windows has no call that copies a range between two open files: the bytes
// pass through a buffer.
std::optional<std::uint64_t> CopyInside(int, std::uint64_t, int, std::uint64_t, std::uint64_t)
{
    return 0;
}

bool SyncToDisk(int fd)
{
    return ::FlushFileBuffers(HandleOf(fd));
}

std::optional<Found> Look(const fs::path& path, bool throughLink)
{
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    if (throughLink) {
        if (const auto info = InformationAt(path, true))
            attributes = info->dwFileAttributes;
    } else {
        attributes = ::GetFileAttributesW(path.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Found{};
        return std::nullopt;
    }
    return Found{EntryOfAttributes(attributes), KeptOfReplaced{attributes, 0, 0}};
}

fs::path ResolveLink(const fs::path& link)
{
    HANDLE handle = OpenForQuery(link, true);
    if (handle == INVALID_HANDLE_VALUE)
        throw IoError(Fill(kCannotFollow, LastReason()), link, ErrorKind::CannotWrite);
    std::wstring resolved(32768, L'\0');
    const DWORD length = ::GetFinalPathNameByHandleW(
        handle, resolved.data(), static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (length == 0 || length >= resolved.size())
        throw IoError(Fill(kCannotFollow, Reason(error)), link, ErrorKind::CannotWrite);
    resolved.resize(length);
    return resolved;
}

// Never over an existing file. Others may read it while it grows; deleting
// it must stay possible for the control handler.
int CreateNew(const fs::path& path)
{
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    return DescriptorOf(handle, _O_WRONLY);
}

// Every file has a name from its creation on.
int CreateUnnamed(const fs::path&)
{
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return -1;
}

Moved LinkNotReplacing(int, const fs::path&)
{
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return Moved::Failed;
}

int HoldFolder(const fs::path&)
{
    return -1;
}

void ReleaseFolder(int) {}

bool Keep(int fd, const KeptOfReplaced& kept, bool)
{
    FILE_BASIC_INFO info{};
    // Zero times mean "unchanged".
    info.FileAttributes = KeptAttributes(kept);
    return ::SetFileInformationByHandle(HandleOf(fd), FileBasicInfo, &info, sizeof info);
}

bool KeepAt(const fs::path& path, const KeptOfReplaced& kept)
{
    return ::SetFileAttributesW(path.c_str(), KeptAttributes(kept));
}

Moved RenameNotReplacing(const fs::path& from, const fs::path& to)
{
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return Moved::Done;
    const DWORD error = ::GetLastError();
    return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? Moved::Taken
                                                                        : Moved::Failed;
}

namespace {

// Windows 10 and later rename over a file that is open, as long as every
// handle on it lets others delete it (ours do), when asked for POSIX
// semantics; older systems, FAT and Wine refuse that class of the call.
bool RenameOverOpenFile(const fs::path& from, const fs::path& to)
{
    // FILE_RENAME_INFO with Flags in place of ReplaceIfExists, for the
    // FileRenameInfoEx class; not every SDK declares them.
    constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
    constexpr DWORD kReplaceIfExists = 0x1;
    constexpr DWORD kPosixSemantics = 0x2;
    struct RenameInfo {
        DWORD flags;
        HANDLE root;
        DWORD nameBytes;
        WCHAR name[1];
    };
    std::error_code failed;
    const fs::path absolute = fs::absolute(to, failed);
    if (failed)
        return false;
    const std::wstring& name = absolute.native();
    std::vector<std::byte> buffer(sizeof(RenameInfo) + name.size() * sizeof(WCHAR));
    auto* info = reinterpret_cast<RenameInfo*>(buffer.data());
    info->flags = kReplaceIfExists | kPosixSemantics;
    info->root = nullptr;
    info->nameBytes = static_cast<DWORD>(name.size() * sizeof(WCHAR));
    std::memcpy(info->name, name.data(), info->nameBytes);

    HANDLE handle = ::CreateFileW(from.c_str(), DELETE | GENERIC_WRITE | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool renamed = ::SetFileInformationByHandle(handle, kFileRenameInfoEx, info,
                                                      static_cast<DWORD>(buffer.size()));
    // What write-through gives MoveFileExW, the new name on the disk, as
    // far as it can be had: the rename is done either way.
    if (renamed)
        ::FlushFileBuffers(handle);
    ::CloseHandle(handle);
    return renamed;
}

} // namespace

// The rename reaches the disk before it returns, as the bytes did. A
// read-only target is not replaced: that is refused as the permission it
// is.
bool RenameReplacing(const fs::path& from, const fs::path& to)
{
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DWORD error = ::GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) {
        ::SetLastError(error);
        return false;
    }
    if (RenameOverOpenFile(from, to))
        return true;
    // A plain file that may be written, refused all the same: some program
    // has it open (Wine and older systems say "access denied" for that).
    const DWORD attributes = ::GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        error = ERROR_SHARING_VIOLATION;
    ::SetLastError(error);
    return false;
}

bool LastWasOpenFile()
{
    return ::GetLastError() == ERROR_SHARING_VIOLATION;
}

Existing OpenExistingForWriting(const fs::path& path, int& fd)
{
    // Whoever has the file open may go on reading it, and reads the new
    // bytes.
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return Existing::Missing;
        // A folder cannot be opened this way at all.
        if (EntryOfAttributes(::GetFileAttributesW(path.c_str())) == Entry::Folder)
            return Existing::NotPlainFile;
        ::SetLastError(error);
        return Existing::Failed;
    }
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return Existing::NotPlainFile;
    }
    const int opened = DescriptorOf(handle, _O_WRONLY);
    if (opened < 0)
        return Existing::Failed;
    fd = opened;
    return Existing::Opened;
}

bool SetSize(int fd, std::uint64_t size)
{
    // Writes go to their own offsets: moving the file pointer to the new
    // end disturbs none.
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    const HANDLE handle = HandleOf(fd);
    return ::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle);
}

bool MakeFolder(const fs::path& path)
{
    return ::CreateDirectoryW(path.c_str(), nullptr);
}

void Remove(const fs::path::value_type* path) noexcept
{
    ::DeleteFileW(path);
}

fs::path TemporaryFolder()
{
    std::wstring folder(MAX_PATH + 1, L'\0');
    const DWORD length = ::GetTempPathW(static_cast<DWORD>(folder.size()), folder.data());
    if (length == 0 || length > folder.size())
        throw IoError(Translated(ZEFIR_MESSAGE(
                          "zefir::fileio", "cannot create a scratch file: no temporary folder")),
                      fs::path(), ErrorKind::CannotWrite);
    folder.resize(length);
    return folder;
}

// Deleted when closed, also when the process is killed: the system closes
// its handles.
int CreateScratch(const fs::path& folder, const std::string& unique)
{
    const fs::path name = folder / PathFromUtf8("zefir-" + unique);
    HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                  nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return -1;
    return DescriptorOf(handle, _O_RDWR);
}

void HoldEndingEvents() noexcept
{
    g_creating.fetch_add(1);
    if (g_ending.load()) {
        g_creating.fetch_sub(1);
        for (;;)
            ::Sleep(INFINITE);
    }
}

void ReleaseEndingEvents() noexcept
{
    g_creating.fetch_sub(1);
}

std::uint64_t ProcessNumber() noexcept
{
    return ::GetCurrentProcessId();
}

} // namespace sys

std::optional<FileIdentity> IdentityOf(const fs::path& path) noexcept
{
    const auto info = InformationAt(path, true);
    if (!info)
        return std::nullopt;
    const sys::FileStatus status = StatusFrom(*info);
    return FileIdentity{status.device, status.file};
}

std::vector<FolderEntry> ListFolder(const fs::path& folder,
                                    const std::function<bool(const std::string&)>& detailed)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileExW((folder / L"*").c_str(), FindExInfoBasic, &found,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        throw IoError(Fill(kCannotReadFolder, sys::LastReason()), folder, ErrorKind::CannotRead);
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
        if (entry.kind == Entry::File && detailed(entry.name))
            entry.identity = IdentityOf(folder / wide);
        entries.push_back(std::move(entry));
    } while (::FindNextFileW(search, &found));
    if (const DWORD error = ::GetLastError(); error != ERROR_NO_MORE_FILES)
        throw IoError(Fill(kCannotReadFolder, Reason(error)), folder, ErrorKind::CannotRead);
    return entries;
}

void RemoveTemporariesOnSignals() noexcept
{
    ::SetConsoleCtrlHandler(RemoveTemporariesOnControl, TRUE);
}

std::optional<std::string> WhyNotFileNameHere(std::string_view utf8)
{
    if (IsReservedDeviceName(utf8))
        return Translated(
            ZEFIR_MESSAGE("zefir::fileio", "is a device's name on Windows, not a file's"));
    for (const char c : utf8) {
        if (static_cast<unsigned char>(c) < 0x20)
            return Translated(ZEFIR_MESSAGE(
                "zefir::fileio", "holds a control character, which Windows does not allow in a "
                                 "file's name"));
        if (std::string_view("<>:\"|?*\\/").find(c) != std::string_view::npos)
            return Fill(ZEFIR_MESSAGE("zefir::fileio",
                                      "holds \"%1\", which Windows does not allow in a "
                                      "file's name"),
                        c);
    }
    if (!utf8.empty() && (utf8.back() == '.' || utf8.back() == ' '))
        return Translated(ZEFIR_MESSAGE(
            "zefir::fileio", "ends in a dot or a space, which Windows drops from a file's name"));
    if (PathFromUtf8(utf8).native().size() > 255)
        return Translated(ZEFIR_MESSAGE(
            "zefir::fileio", "is longer than the 255 characters a file's name may have"));
    return std::nullopt;
}

std::string FileNameKey(std::string_view utf8)
{
    // Windows compares file names without case, as its own upper-casing
    // tells it.
    std::wstring wide = PathFromUtf8(utf8).native();
    if (!wide.empty())
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, wide.data(),
                        static_cast<int>(wide.size()), wide.data(), static_cast<int>(wide.size()),
                        nullptr, nullptr, 0);
    return Utf8Of(fs::path(wide));
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
