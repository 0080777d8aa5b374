#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Messages the core gives people are fixed English patterns with numbered
// places, "cannot read: %1", filled in by Fill. Nothing else is glued
// onto them, so that a program that speaks other languages can put each
// pattern into the user's language whole, words in their own order, and
// the core stays free of any toolkit: without a translator (the command
// line) a message is the English pattern as it stands.
//
// ZEFIR_MESSAGE and ZEFIR_PLURAL are the marks the translation tools read
// (Qt's lupdate, told to take them for QT_TRANSLATE_NOOP and
// QT_TRANSLATE_N_NOOP3). The context groups the patterns for translators;
// it follows the namespace of the code that speaks.
#define ZEFIR_MESSAGE(context, text) (::zefir::MessageText{context, text, nullptr})
// A pattern about a count, where the words change with the number: `text`
// is the English for most numbers, `singular` the English for one; "%n"
// stands for the number.
#define ZEFIR_PLURAL(context, text, singular) (::zefir::MessageText{context, text, singular})

namespace zefir {

struct MessageText {
    const char* context;
    const char* text;
    // Only for a count; the translation tools show it beside the pattern.
    const char* singular;
};

// Gives `message`'s pattern in the user's language, for `count` when the
// message is about one, with its places still in it; empty when it has no
// translation. It is called from any thread, so it must only read.
using Translator = std::string (*)(const MessageText& message, std::optional<std::uint64_t> count);

// Set once, before any work starts; nullptr goes back to English.
void SetTranslator(Translator translator);

// The pattern in the user's language, for a message without places, or for
// a word that goes into another message.
std::string Translated(const MessageText& message);

namespace detail {

inline std::string ArgText(std::string_view text)
{
    return std::string(text);
}
inline std::string ArgText(const std::string& text)
{
    return text;
}
inline std::string ArgText(const char* text)
{
    return text;
}
inline std::string ArgText(char c)
{
    return std::string(1, c);
}
template <std::integral T>
requires(!std::same_as<T, char> && !std::same_as<T, bool>) std::string ArgText(T value)
{
    return std::to_string(value);
}

std::string FillPattern(const MessageText& message, std::optional<std::uint64_t> count,
                        std::string_view countText, std::span<const std::string> args);

} // namespace detail

// The pattern, translated, with "%1" to "%9" replaced by the arguments in
// order: text as it is, integers in decimal. Each place is filled once, so
// an argument that itself holds "%2" (a file's name) stays as it is.
template <typename... Args> std::string Fill(const MessageText& message, const Args&... args)
{
    const std::string texts[] = {detail::ArgText(args)..., std::string()};
    return detail::FillPattern(message, std::nullopt, {}, std::span(texts, sizeof...(Args)));
}

// The same for a pattern about the count `n`: its form for that number,
// "%n" replaced by `countText` (the number as the message shows it, grouped
// or not).
template <typename... Args>
std::string FillCount(const MessageText& message, std::uint64_t n, std::string_view countText,
                      const Args&... args)
{
    const std::string texts[] = {detail::ArgText(args)..., std::string()};
    return detail::FillPattern(message, n, countText, std::span(texts, sizeof...(Args)));
}

} // namespace zefir
