#include "FuzzInput.h"

#include <fstream>
#include <unistd.h>

namespace zefir::fuzz {

const fs::path& ScratchFolder()
{
    static const fs::path folder = [] {
        fs::path p = fs::temp_directory_path() / ("zefir-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(p);
        return p;
    }();
    return folder;
}

void ClearScratch()
{
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(ScratchFolder(), ignored))
        fs::remove_all(entry.path(), ignored);
}

void WriteScratchFile(const fs::path& path, std::span<const std::byte> bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

NamedInput SplitNamedInput(std::span<const std::byte> input)
{
    if (input.empty())
        return {};
    const std::size_t n = std::min<std::size_t>(static_cast<std::uint8_t>(input[0]), input.size() - 1);
    std::string name(reinterpret_cast<const char*>(input.data() + 1), n);
    return {name, input.subspan(1 + n)};
}

std::string JoinNamedInput(const std::string& name, std::span<const std::byte> bytes)
{
    std::string out;
    out += static_cast<char>(name.size());
    out += name;
    out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return out;
}

} // namespace zefir::fuzz
