#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

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
    void ReadExactAt(std::uint64_t offset, std::span<std::byte> out, std::string_view what) const;

private:
    fs::path m_path;
    int m_fd = -1;
    std::uint64_t m_size = 0;
};

// Reads a whole file, refusing one larger than maxSize ("file" in messages is
// `what`).
std::vector<std::byte> ReadFile(const fs::path& path, std::size_t maxSize);
// Reads at most n bytes from the start of a file.
std::vector<std::byte> ReadPrefix(const fs::path& path, std::size_t n);

// Output that never damages what is already at the target: bytes go to a
// hidden temporary file beside it, which Commit() renames over the target.
// Without Commit() the destructor removes the temporary file.
//
// DirectWhenNew writes straight into the target when no file is there yet
// (created exclusively, so nothing can be lost), which saves the rename for
// the thousands of small files an extraction writes; a failure removes it.
// An archive always goes through a temporary file, so that it appears whole.
class OutputFile {
public:
    enum class Creation { ViaTemporary, DirectWhenNew };

    explicit OutputFile(fs::path target, Creation creation = Creation::ViaTemporary);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(std::span<const std::byte> bytes);
    void Write(std::string_view text) { Write(std::as_bytes(std::span(text))); }
    // Overwrites bytes already written (after flushing what is buffered).
    void WriteAt(std::uint64_t offset, std::span<const std::byte> bytes);
    std::uint64_t Position() const noexcept { return m_position; }
    void Commit();

    const fs::path& target() const noexcept { return m_target; }
    const fs::path& temporary() const noexcept { return m_temporary; }

private:
    void Flush();
    void Discard() noexcept;

    fs::path m_target;
    fs::path m_temporary;
    int m_fd = -1;
    std::uint64_t m_position = 0;
    std::vector<std::byte> m_buffer;
    bool m_direct = false;
    bool m_committed = false;
};

// Writes a whole file through OutputFile, directly when it is new.
void WriteFile(const fs::path& path, std::span<const std::byte> bytes);
// Copies a file byte for byte through OutputFile; the source is opened
// read-only.
void CopyFile(const fs::path& source, const fs::path& target, std::size_t maxSize);
// Creates a folder; an existing folder is fine, anything else in the way is an
// error.
void CreateFolder(const fs::path& path);
// Removes a file; a missing file is not an error.
void RemoveFile(const fs::path& path) noexcept;

// Fault injection for tests: after `n` more successful write or commit steps
// of any OutputFile, the next one fails as a full disk would. A negative n
// switches injection off.
void FailWritesAfter(long n) noexcept;

} // namespace zefir::fileio
