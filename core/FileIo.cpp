#include "core/FileIo.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Error.h"

namespace zefir::fileio {

namespace {

constexpr std::size_t kOutputBufferSize = 64 * 1024;

std::atomic<long> g_writesBeforeFault{-1};

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

} // namespace

void FailWritesAfter(long n) noexcept
{
    g_writesBeforeFault.store(n);
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
}

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t InputFile::ReadAt(std::uint64_t offset, std::span<std::byte> out) const
{
    std::size_t done = 0;
    while (done < out.size()) {
        ssize_t n =
            ::pread(m_fd, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw IoError("cannot read: " + SystemReason(errno), m_path, ErrorKind::CannotRead);
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
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

std::vector<std::byte> ReadPrefix(const fs::path& path, std::size_t n)
{
    InputFile file(path);
    std::vector<std::byte> bytes(n);
    bytes.resize(file.ReadAt(0, bytes));
    return bytes;
}

OutputFile::OutputFile(fs::path target, Creation creation) : m_target(std::move(target))
{
    if (creation == Creation::DirectWhenNew) {
        m_fd = ::open(m_target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0) {
            m_temporary = m_target;
            m_direct = true;
            m_buffer.reserve(kOutputBufferSize);
            return;
        }
        if (errno != EEXIST)
            throw IoError("cannot create: " + SystemReason(errno), m_target,
                          ErrorKind::CannotWrite);
    }
    // Hidden and beside the target, so that the rename stays on one file
    // system and a folder search passes over it.
    // Created with the usual permissions (0666 less the umask), as the
    // target itself would be, and never over an existing file.
    const fs::path stem = m_target.parent_path() / ("." + m_target.filename().string() + ".");
    for (int attempt = 0; m_fd < 0; ++attempt) {
        fs::path candidate = stem.string() + TemporarySuffix();
        m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            m_temporary = std::move(candidate);
        else if (errno != EEXIST || attempt == 100)
            throw IoError("cannot create: " + SystemReason(errno), m_target,
                          ErrorKind::CannotWrite);
    }
    m_buffer.reserve(kOutputBufferSize);
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

void OutputFile::WriteAt(std::uint64_t offset, std::span<const std::byte> bytes)
{
    InjectedFault(m_target);
    Flush();
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                             static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw IoError("cannot write: " + SystemReason(n < 0 ? errno : ENOSPC), m_target,
                          ErrorKind::CannotWrite);
        done += static_cast<std::size_t>(n);
    }
}

void OutputFile::Commit()
{
    InjectedFault(m_target);
    Flush();
    int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0)
        throw IoError("cannot write: " + SystemReason(errno), m_target, ErrorKind::CannotWrite);
    if (m_direct) {
        m_committed = true;
        return;
    }
    if (::rename(m_temporary.c_str(), m_target.c_str()) != 0)
        throw IoError("cannot replace the file: " + SystemReason(errno), m_target,
                      ErrorKind::CannotWrite);
    m_committed = true;
}

void WriteFile(const fs::path& path, std::span<const std::byte> bytes)
{
    OutputFile out(path, OutputFile::Creation::DirectWhenNew);
    out.Write(bytes);
    out.Commit();
}

void CopyFile(const fs::path& source, const fs::path& target, std::size_t maxSize)
{
    auto bytes = ReadFile(source, maxSize);
    WriteFile(target, bytes);
}

void CreateFolder(const fs::path& path)
{
    std::error_code error;
    fs::create_directory(path, error);
    if (fs::is_directory(path))
        return;
    throw IoError("cannot create the folder: " + (error ? error.message() : SystemReason(EEXIST)),
                  path, ErrorKind::CannotWrite);
}

void RemoveFile(const fs::path& path) noexcept
{
    std::error_code ignored;
    fs::remove(path, ignored);
}

} // namespace zefir::fileio
