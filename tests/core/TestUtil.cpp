#include "TestUtil.h"

#include <cstring>
#ifdef _WIN32
#include <windows.h>
#endif
#include <fstream>
#include <iterator>

namespace zefir::test {

void WriteBytes(const fs::path& path, const std::vector<std::byte>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write test file " + path.string());
}

std::vector<std::byte> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read test file " + path.string());
    std::vector<char> chars((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::byte> out(chars.size());
    if (!chars.empty())
        std::memcpy(out.data(), chars.data(), chars.size());
    return out;
}

bool UnderWine()
{
#ifdef _WIN32
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
    return false;
#endif
}

bool MakeSymlink(const fs::path& target, const fs::path& link)
{
    std::error_code failed;
    if (fs::is_directory(link.parent_path() / target))
        fs::create_directory_symlink(target, link, failed);
    else
        fs::create_symlink(target, link, failed);
    return !failed;
}

} // namespace zefir::test
