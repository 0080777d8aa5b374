#include <string>

#include <gtest/gtest.h>

#include "core/Text.h"

namespace zefir {
namespace {

TEST(Cp1251, EveryByteSurvivesTheRoundTripThroughUtf8)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    auto back = Utf8ToCp1251(Cp1251ToUtf8(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(Cp1251, KnownCharacters)
{
    struct Case {
        std::string cp1251;
        std::string utf8;
    } cases[] = {
        {"icon.k", "icon.k"},
        {"\xC8\xEA\xEE\xED\xEA\xE0", "Иконка"},
        {"\xA8\xB8", "Ёё"},
        {"\xB9\x88", "№€"},
        {"\xBE\xBD", "ѕЅ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Cp1251ToUtf8(c.cp1251), c.utf8);
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251);
    }
}

TEST(Cp1251, RefusesTextItCannotHold)
{
    for (std::string text : {"日本.k", "é.k", "\xFF.k", "\xD0", "😀"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(Utf8ToCp1251(text).has_value());
    }
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
