#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "core/Error.h"
#include "core/Text.h"

namespace zefir::test {

namespace fs = std::filesystem;

// Checks that `statement` throws zefir::IoError whose what() is exactly
// `message`.
#define EXPECT_THROW_MSG(statement, message)                                                       \
    do {                                                                                           \
        try {                                                                                      \
            statement;                                                                             \
            ADD_FAILURE() << "expected IoError \"" << (message) << "\", nothing thrown";           \
        } catch (const ::zefir::IoError& e) {                                                      \
            EXPECT_EQ(std::string(e.what()), std::string(message));                                \
        }                                                                                          \
    } while (false)

// A fresh folder under the system's temporary folder, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        static std::mt19937_64 random{std::random_device{}()};
        m_path = fs::temp_directory_path() / ("zefir-test-" + std::to_string(random()));
        fs::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }

private:
    fs::path m_path;
};

inline std::vector<std::byte> Bytes(std::initializer_list<unsigned> values)
{
    std::vector<std::byte> out;
    for (unsigned v : values)
        out.push_back(static_cast<std::byte>(v));
    return out;
}

inline std::vector<std::byte> Bytes(std::string_view text)
{
    auto b = std::as_bytes(std::span(text));
    return {b.begin(), b.end()};
}

inline void Append(std::vector<std::byte>& out, const std::vector<std::byte>& more)
{
    out.insert(out.end(), more.begin(), more.end());
}

inline void AppendU32(std::vector<std::byte>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::byte>(v >> (8 * i)));
}

void WriteBytes(const fs::path& path, const std::vector<std::byte>& bytes);
std::vector<std::byte> ReadBytes(const fs::path& path);

// A symbolic link at `link` to `target` (a folder's link when `target` is a
// folder); false where this system makes none: Wine makes none, Windows
// only with a privilege.
bool MakeSymlink(const fs::path& target, const fs::path& link);

// Whether this is a Windows program running under Wine.
bool UnderWine();

// A path written with "/", with this system's separator.
inline std::string NativeSeparators(std::string path)
{
    std::replace(path.begin(), path.end(), '/', static_cast<char>(fs::path::preferred_separator));
    return path;
}

// The names of a folder's entries, sorted.
inline std::vector<std::string> FolderNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(Utf8Of(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace zefir::test

// For a test that is about a symbolic link.
#define SYMLINK_OR_SKIP(target, link)                                                         \
    if (!::zefir::test::MakeSymlink(target, link))                                           \
    GTEST_SKIP() << "this system makes no symbolic links"

