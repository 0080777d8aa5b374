#include "core/Message.h"

#include <atomic>

namespace zefir {

namespace {

// Read by every thread that makes a message, set once at the start.
std::atomic<Translator> g_translator{nullptr};

std::string PatternFor(const MessageText& message, std::optional<std::uint64_t> count)
{
    if (const Translator translate = g_translator.load(std::memory_order_acquire)) {
        std::string translated = translate(message, count);
        if (!translated.empty())
            return translated;
    }
    if (message.singular != nullptr && count == 1u)
        return message.singular;
    return message.text;
}

} // namespace

void SetTranslator(Translator translator)
{
    g_translator.store(translator, std::memory_order_release);
}

std::string Translated(const MessageText& message)
{
    return PatternFor(message, std::nullopt);
}

namespace detail {

std::string FillPattern(const MessageText& message, std::optional<std::uint64_t> count,
                        std::string_view countText, std::span<const std::string> args)
{
    const std::string pattern = PatternFor(message, count);
    std::string out;
    out.reserve(pattern.size() + 32);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
        if (pattern[i] == '%' && next >= '1' && next <= '9' &&
            static_cast<std::size_t>(next - '1') < args.size()) {
            out += args[static_cast<std::size_t>(next - '1')];
            ++i;
        } else if (pattern[i] == '%' && next == 'n' && count) {
            out += countText;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace detail

} // namespace zefir
