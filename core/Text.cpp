#include "core/Text.h"

#include <array>
#include <cstdint>

namespace zefir {

namespace {

// Unicode code points of Windows-1251 bytes 0x80 to 0xBF; 0xC0 to 0xFF are
// U+0410 to U+044F in order. Byte 0x98 is unassigned.
constexpr std::array<char16_t, 64> kHighTable = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F, // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, // B8
};

char32_t CodePointOf(unsigned char byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return 0x0410 + (byte - 0xC0);
    // The unassigned byte 0x98 maps to U+0098 so that it still survives a
    // round trip.
    char16_t cp = kHighTable[byte - 0x80];
    return cp == 0 ? char32_t{byte} : char32_t{cp};
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::optional<unsigned char> ByteOf(char32_t cp)
{
    if (cp < 0x80)
        return static_cast<unsigned char>(cp);
    for (unsigned b = 0x80; b <= 0xFF; ++b)
        if (CodePointOf(static_cast<unsigned char>(b)) == cp)
            return static_cast<unsigned char>(b);
    return std::nullopt;
}

} // namespace

std::string Cp1251ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (char c : bytes)
        AppendUtf8(out, CodePointOf(static_cast<unsigned char>(c)));
    return out;
}

namespace {

// One character of strict UTF-8 at the start of `text`: its code point and
// length, or nothing for a byte that starts no valid character. Overlong
// forms ("\xC0\xAF" for "/"), surrogates and code points past U+10FFFF
// are refused: read leniently they would smuggle a separator into a name,
// or let two spellings name one member.
struct Utf8Char {
    char32_t cp = 0;
    std::size_t length = 0;
};
std::optional<Utf8Char> DecodeUtf8Char(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text.front());
    Utf8Char c;
    char32_t least = 0;
    if (lead < 0x80) {
        return Utf8Char{lead, 1};
    } else if ((lead & 0xE0) == 0xC0) {
        c = {char32_t{lead} & 0x1F, 2};
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        c = {char32_t{lead} & 0x0F, 3};
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        c = {char32_t{lead} & 0x07, 4};
        least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (c.length > text.size())
        return std::nullopt;
    for (std::size_t k = 1; k < c.length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        c.cp = (c.cp << 6) | (next & 0x3F);
    }
    if (c.cp < least || c.cp > 0x10FFFF || (c.cp >= 0xD800 && c.cp <= 0xDFFF))
        return std::nullopt;
    return c;
}

} // namespace

std::size_t FirstInvalidUtf8(std::string_view utf8)
{
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = DecodeUtf8Char(utf8.substr(i));
        if (!c)
            return i;
        i += c->length;
    }
    return std::string_view::npos;
}

std::optional<std::string> Utf8ToCp1251(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = DecodeUtf8Char(utf8.substr(i));
        if (!c)
            return std::nullopt;
        const auto byte = ByteOf(c->cp);
        if (!byte)
            return std::nullopt;
        out += static_cast<char>(*byte);
        i += c->length;
    }
    return out;
}

namespace {

std::string Escaped(std::string_view utf8, bool keepBackslash)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\\' && !keepBackslash) {
            out += "\\\\";
        } else if (u < 0x20 || u == 0x7F) {
            out += "\\x";
            out += kDigits[u >> 4];
            out += kDigits[u & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string Printable(std::string_view utf8)
{
    return Escaped(utf8, false);
}

std::string PrintablePath(std::string_view utf8)
{
#ifdef _WIN32
    return Escaped(utf8, true);
#else
    return Escaped(utf8, false);
#endif
}

std::string PrintableName(std::string_view name)
{
    return Printable(Cp1251ToUtf8(name));
}

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::optional<std::string> NameFromPrintable(std::string_view text)
{
    std::string out;
    while (!text.empty()) {
        const std::size_t slash = text.find('\\');
        const auto plain = Utf8ToCp1251(text.substr(0, slash));
        if (!plain)
            return std::nullopt;
        out += *plain;
        if (slash == std::string_view::npos)
            break;
        text.remove_prefix(slash);
        if (text.size() < 2)
            return std::nullopt;
        std::size_t used = 2;
        switch (text[1]) {
        case 't':
            out += '\t';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x': {
            const int high = text.size() > 2 ? HexDigit(text[2]) : -1;
            const int low = text.size() > 3 ? HexDigit(text[3]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            out += static_cast<char>(high * 16 + low);
            used = 4;
            break;
        }
        default:
            return std::nullopt;
        }
        text.remove_prefix(used);
    }
    return out;
}

std::string AsciiUpper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string_view ExtensionOf(std::string_view path)
{
    auto dot = path.rfind('.');
    if (dot == std::string_view::npos)
        return {};
    auto slash = path.find('/', dot);
    if (slash != std::string_view::npos)
        return {};
    return path.substr(dot);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension)
{
    auto current = ExtensionOf(path);
    std::string out(path.substr(0, path.size() - current.size()));
    out += extension;
    return out;
}

std::filesystem::path PathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace zefir
