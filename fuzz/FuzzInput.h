#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace zefir::fuzz {

namespace fs = std::filesystem;

inline std::span<const std::byte> AsBytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const std::byte*>(data), size};
}

// A folder of this process's own under the temporary folder, emptied for
// each input by the targets that write files.
const fs::path& ScratchFolder();
void ClearScratch();
void WriteScratchFile(const fs::path& path, std::span<const std::byte> bytes);

// Inputs that carry a file name: a first byte n, then n bytes of name, then
// the file's bytes.
struct NamedInput {
    std::string name;
    std::span<const std::byte> bytes;
};
NamedInput SplitNamedInput(std::span<const std::byte> input);
std::string JoinNamedInput(const std::string& name, std::span<const std::byte> bytes);

} // namespace zefir::fuzz
