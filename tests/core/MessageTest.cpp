#include <cstdint>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "core/Error.h"
#include "core/Message.h"

namespace zefir {
namespace {

TEST(Message, PlacesAreFilledOnceInOrder)
{
    struct Case {
        const char* name;
        const char* pattern;
        std::string expected;
    } cases[] = {
        {"in order", "%1 at %2", "a at b"},
        {"out of order", "%2 before %1", "b before a"},
        {"an argument that looks like a place stays", "%1: %2", "a: b"},
        {"a place past the arguments stays", "%1 and %3", "a and %3"},
        {"a lone percent sign stays", "100% of %1", "100% of a"},
        {"at the very end", "ends with %", "ends with %"},
        {"no count outside a count", "%n of %1", "%n of a"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Fill(MessageText{"test", c.pattern, nullptr}, "a", "b"), c.expected);
    }
    // A file name holding "%2" must not take the next argument's place.
    EXPECT_EQ(Fill(ZEFIR_MESSAGE("test", "%1 is %2"), "a%2.k", 7), "a%2.k is 7");
}

TEST(Message, CountsTakeTheirEnglishFormWithoutATranslator)
{
    const MessageText bytes = ZEFIR_PLURAL("test", "%n bytes in %1", "%n byte in %1");
    EXPECT_EQ(FillCount(bytes, 1, "1", "a.k"), "1 byte in a.k");
    EXPECT_EQ(FillCount(bytes, 0, "0", "a.k"), "0 bytes in a.k");
    EXPECT_EQ(FillCount(bytes, 1234, "1,234", "a.k"), "1,234 bytes in a.k");
    EXPECT_EQ(ByteCount(1), "1 byte");
    EXPECT_EQ(ByteCount(1228816), "1,228,816 bytes");
    EXPECT_EQ(ByteCount(UINT64_MAX), "18,446,744,073,709,551,615 bytes");
}

// Stands in for a program's translation: patterns in brackets, the count's
// form chosen by the last digit, as some languages do.
std::string Bracketed(const MessageText& message, std::optional<std::uint64_t> count)
{
    if (std::string(message.context) != "test")
        return {};
    if (count)
        return *count % 10 == 1 ? "[one %n]" : "[many %n, %1]";
    return std::string("[") + message.text + "]";
}

TEST(Message, ATranslatorGivesThePatternAndTheCountForm)
{
    SetTranslator(Bracketed);
    EXPECT_EQ(Fill(ZEFIR_MESSAGE("test", "%1 is %2"), "a", "b"), "[a is b]");
    EXPECT_EQ(Translated(ZEFIR_MESSAGE("test", "word")), "[word]");
    const MessageText files = ZEFIR_PLURAL("test", "%n files, %1", "%n file, %1");
    EXPECT_EQ(FillCount(files, 21, "21", "x"), "[one 21]");
    EXPECT_EQ(FillCount(files, 5, "5", "x"), "[many 5, x]");
    // What the translation lacks stays English.
    EXPECT_EQ(ByteCount(1), "1 byte");
    SetTranslator(nullptr);
    EXPECT_EQ(Fill(ZEFIR_MESSAGE("test", "%1 is %2"), "a", "b"), "a is b");
}

} // namespace
} // namespace zefir
