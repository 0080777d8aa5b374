#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Message.h"

namespace zefir::fileio {
class InputFile;
} // namespace zefir::fileio

namespace zefir::archive {

namespace fs = std::filesystem;

// Capacities both reader and writer depend on.
inline constexpr std::size_t kMaxEntries = 65536;          // EntryTable
inline constexpr std::size_t kMaxMemberSize = 1024 * 1024; // MemberBuffer
inline constexpr std::size_t kNameReadSize = 100;          // a name and its 0x0A
inline constexpr std::size_t kMaxNameLength = kNameReadSize - 1;

inline constexpr std::uint32_t kDirectoryMarker = 0xABCDDCBA;
inline constexpr std::uint32_t kMemberMarker = 0xDCBAABCD;
inline constexpr std::size_t kHeaderSize = 55;
inline constexpr std::size_t kOffsetFieldPosition = 16;
inline constexpr std::size_t kDirectorySize = 20;
inline constexpr std::size_t kEntrySize = 12;

// A member's bytes, as messages about reading them name them.
inline constexpr MessageText kMemberDataField = ZEFIR_MESSAGE("zefir::archive", "member data");
// An entry of the archive that cannot be taken, and why.
inline constexpr MessageText kEntryFault = ZEFIR_MESSAGE("zefir::archive", "entry %1: %2");
inline constexpr std::size_t kMemberHeaderSize = 8;

std::uint32_t NameHash(std::string_view name);

// The header's offset field: eight hexadecimal digits, lower case when
// written, either case when read.
std::array<char, 8> EncodeOffsetField(std::uint32_t offset);
// Throws IoError naming `path` when a character is not a hexadecimal digit.
std::uint32_t DecodeOffsetField(std::span<const std::byte, 8> field, const fs::path& path);

struct Directory {
    std::uint32_t namesBase = 0;
    std::uint32_t entryCount = 0;
    std::uint32_t tableOffset = 0;
    std::uint32_t dataBase = 0;
};

struct Entry {
    std::uint32_t hash = 0;
    std::uint32_t nameOffset = 0;
    std::uint32_t dataOffset = 0;
};

// Reads an archive one record at a time with positioned reads, so memory does
// not grow with the archive. Every offset is checked against the file size
// before it is used; a bad archive throws IoError naming the file, the entry
// and the fault.
class ArchiveReader {
public:
    explicit ArchiveReader(const fs::path& path);
    ~ArchiveReader();

    const fs::path& path() const noexcept;
    const Directory& directory() const noexcept { return m_directory; }
    std::uint32_t directoryOffset() const noexcept { return m_directoryOffset; }
    // EntryTable: the first EntryCount entries.
    std::span<const Entry> entries() const noexcept { return m_entries; }

    // The entry's name: the bytes before the first 0x0A of the 100 bytes at
    // NamesBase + NameOffset. Empty for entries that extraction skips.
    std::string ReadName(std::size_t index) const;
    // Every entry's name, as ReadName gives it, with one read when the names
    // lie close together (as the writer puts them) instead of one per entry.
    std::vector<std::string> ReadNames() const;
    // Exactly out.size() bytes at `offset`, for copying member blocks in
    // runs; throws IoError naming `what` when the file ends sooner.
    void ReadRange(std::uint64_t offset, std::span<std::byte> out, const MessageText& what) const;
    // The entry's data size, read from its member block.
    std::uint32_t ReadMemberSize(std::size_t index) const;
    // The same, with whether the block's marker is the one the writer
    // writes (the reader does not require it).
    struct MemberHeader {
        std::uint32_t size = 0;
        bool markerRight = false;
    };
    MemberHeader ReadMemberHeader(std::size_t index) const;
    // Member headers asked for in entry order, as opening an archive reads
    // them: headers that lie close together, as the writer puts them, come
    // in one read of a bounded window instead of one read each. Each is
    // checked as ReadMemberHeader checks it, with the same messages.
    class HeaderScan {
    public:
        explicit HeaderScan(const ArchiveReader& reader) : m_reader(reader) {}
        MemberHeader Read(std::size_t index);

    private:
        void Fill(std::size_t index, std::uint64_t at);

        const ArchiveReader& m_reader;
        std::vector<std::byte> m_window;
        std::uint64_t m_windowAt = 0;
    };
    // Member data asked for in entry order, as extraction reads it: blocks
    // that follow one another, as the writer lays them out, come in one
    // read of a bounded window instead of one read each. Anything else is
    // read as ReadMemberData reads it, with the same checks and messages.
    class DataScan {
    public:
        explicit DataScan(const ArchiveReader& reader) : m_reader(reader) {}
        // As ReadMemberData: the data, which `buffer` holds after its header.
        std::span<const std::byte> Read(std::size_t index, std::vector<std::byte>& buffer);

    private:
        bool Fill(std::size_t index, std::uint64_t at, std::uint64_t end);

        const ArchiveReader& m_reader;
        std::vector<std::byte> m_window;
        std::uint64_t m_windowAt = 0;
    };
    // The opened file, for copying runs of it unread.
    const fileio::InputFile& file() const noexcept { return *m_file; }
    fileio::InputFile& file() noexcept { return *m_file; }
    // The entry's data into `memberBuffer`, resized to fit.
    void ReadMember(std::size_t index, std::vector<std::byte>& memberBuffer) const;
    // The entry's data, which `buffer` holds after its block header: one
    // read for blocks laid out as the writer lays them out, two otherwise.
    // `buffer` never grows beyond the header and the limit of a member.
    std::span<const std::byte> ReadMemberData(std::size_t index,
                                              std::vector<std::byte>& buffer) const;

private:
    // Where the entry's member block starts; throws when its header does
    // not lie within the file.
    std::uint64_t MemberHeaderAt(std::size_t index) const;
    // The header's 8 bytes, checked against the limit and the file size.
    // The data size the block at `at` has if the writer laid it out (it
    // ends where the next block starts, or at the end of the file); 0 when
    // that cannot be told.
    std::uint64_t ExpectedMemberSize(std::size_t index, std::uint64_t at) const;
    MemberHeader DecodeMemberHeader(std::size_t index, std::uint64_t at,
                                    std::span<const std::byte, kMemberHeaderSize> bytes) const;

    std::unique_ptr<fileio::InputFile> m_file;
    std::uint32_t m_directoryOffset = 0;
    Directory m_directory;
    std::vector<Entry> m_entries;
};

// The layout a writer produces for a list of members, every offset computed
// before anything is written.
struct ArchiveLayout {
    std::uint32_t directoryOffset = 0; // P
    std::uint32_t entryCount = 0;
    std::uint64_t fileSize = 0;
    std::vector<Entry> entries;
};

// `names` and `sizes` are in member order. Throws IoError naming `archive`
// when a limit is broken (too many members, a name too long or holding 0x0A,
// a member above 1 MiB).
ArchiveLayout PlanArchive(std::span<const std::string> names, std::span<const std::uint32_t> sizes,
                          const fs::path& archive);

// The bytes before the first member block: header (with the final offset
// field), names and padding, directory and entry table.
std::vector<std::byte> EncodeArchiveHead(const ArchiveLayout& layout,
                                         std::span<const std::string> names);
// The first 8 bytes of a member block: marker and size; the data follows.
std::array<std::byte, kMemberHeaderSize> EncodeMemberHeader(std::uint32_t size);

// A whole archive in memory, for small archives and tests.
struct Member {
    std::string name;
    std::vector<std::byte> data;
};
std::vector<std::byte> BuildArchive(std::span<const Member> members, const fs::path& archive);
// Writes it to `archive` (through a temporary file).
void WriteArchive(std::span<const Member> members, const fs::path& archive);

} // namespace zefir::archive
