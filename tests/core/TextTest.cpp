#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "core/Error.h"
#include "core/Text.h"

namespace zefir {
namespace {

TEST(Cp1251, EveryByteSurvivesTheRoundTripThroughUtf8)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, KnownCharactersAndTextItCannotHold)
{
    struct Case {
        std::optional<std::string> cp1251; // none: not representable
        std::string utf8;
    } cases[] = {
        {"icon.k", "icon.k"},
        {"\xC8\xEA\xEE\xED\xEA\xE0", "Иконка"},
        {"\xA8\xB8", "Ёё"},
        {"\xB9\x88", "№€"},
        {"\xBE\xBD", "ѕЅ"},
        {std::nullopt, "日本.k"},
        {std::nullopt, "é.k"},
        {std::nullopt, "\xFF.k"},
        {std::nullopt, "\xD0"},
        {std::nullopt, "😀"},
        // Overlong forms of "/", "A" and "Ж", and a surrogate.
        {std::nullopt, "x\xC0\xAFy.k"},
        {std::nullopt, "\xE0\x80\xAF"},
        {std::nullopt, "\xC1\x81"},
        {std::nullopt, "\xE0\x84\x96"},
        {std::nullopt, "\xED\xA0\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        if (c.cp1251) {
            EXPECT_EQ(Cp1251ToUtf8(*c.cp1251), c.utf8);
        }
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251);
    }
}

TEST(Utf8, TheFirstInvalidByteIsFound)
{
    constexpr auto kValid = std::string::npos;
    struct Case {
        std::string text;
        std::size_t at;
    } cases[] = {
        {"", kValid},
        {"Иконка.k", kValid},
        {"\xF0\x9F\x98\x80", kValid}, // four bytes, valid though no member name can hold it
        {"ab\xD0", 2},                // cut short
        {"a\x80", 1},                 // a continuation byte without a lead
        {"x\xC0\xAFy", 1},            // overlong "/"
        {"\xF0\x82\x82\xAC", 0},      // overlong four-byte form
        {"\xF4\x90\x80\x80", 0},      // past U+10FFFF
        {"ok\xED\xA0\x80", 2},        // a surrogate
        {"\xF8\x88\x80\x80\x80", 0},  // five-byte forms are not UTF-8
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(FirstInvalidUtf8(c.text), c.at);
    }
}

// Escaped so that a listing line stays one line and reads back to the name.
TEST(Utf8, PrintableNamesEscapeControlBytesAndReadBack)
{
    const std::pair<std::string, std::string> cases[] = {
        {"a\tb\nc\rd.k", "a\\tb\\nc\\rd.k"},
        {"a\x7F\x01\x1B[0m.k", "a\\x7F\\x01\\x1B[0m.k"},
        {std::string("\0\\.k", 4), "\\x00\\\\.k"},
        {"\xC8\xEA.k", "Ик.k"},
        {"\\x41", "\\\\x41"}, // a backslash before text that looks like an escape
    };
    for (const auto& [name, shown] : cases) {
        SCOPED_TRACE(shown);
        EXPECT_EQ(PrintableName(name), shown);
        EXPECT_EQ(NameFromPrintable(shown), name);
    }
    // Typed by hand: the byte HH in either case, a raw control character as
    // it is; other escapes and cut ones name nothing.
    EXPECT_EQ(NameFromPrintable("\\xc8\\x09a\tb"), std::string("\xC8\ta\tb"));
    for (const char* bad : {"a\\q", "a\\", "a\\x4", "a\\xG1", "\xE4\xB8\xAD"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(NameFromPrintable(bad), std::nullopt);
    }
}

TEST(Sizes, AreDecimalWithGroupedThousands)
{
    const std::pair<std::uint64_t, std::string> cases[] = {
        {0, "0 bytes"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1,000 bytes"},
        {1228816, "1,228,816 bytes"},
        {~std::uint64_t{0}, "18,446,744,073,709,551,615 bytes"},
    };
    for (const auto& [size, text] : cases)
        EXPECT_EQ(ByteCount(size), text);
}

TEST(Paths, ExtensionsAreTakenAfterTheLastSeparator)
{
    struct Case {
        std::string path;
        std::string extension;
        std::string replaced; // with ".bmp"
    } cases[] = {
        {"a.k", ".k", "a.bmp"},
        {"dir/icon.raw.bak", ".bak", "dir/icon.raw.bmp"},
        {"dir.d/name", "", "dir.d/name.bmp"},
        {"noext", "", "noext.bmp"},
        {".k", ".k", ".bmp"},
        {"a.", ".", "a.bmp"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ExtensionOf(c.path), c.extension);
        EXPECT_EQ(ReplaceExtension(c.path, ".bmp"), c.replaced);
    }
    EXPECT_EQ(AsciiUpper("icon.Raw\xE0"), "ICON.RAW\xE0");
}

} // namespace
} // namespace zefir
