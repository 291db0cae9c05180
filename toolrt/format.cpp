#include "toolrt/format.h"

#include <cstdarg>
#include <cstdio>

namespace toolrt {

std::string format_text(const char* pattern, ...)
{
    std::va_list args;
    va_start(args, pattern);
    std::va_list measure;
    va_copy(measure, args);
    int length = std::vsnprintf(nullptr, 0, pattern, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        // vsnprintf writes the terminator too; the string's own covers it.
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, pattern, args);
    }
    va_end(args);
    return text;
}

std::string pad_to_characters(const std::string& text, std::size_t width)
{
    // Every byte but a continuation byte (10xxxxxx) starts a character.
    constexpr unsigned TOP_BITS = 0xC0;
    constexpr unsigned CONTINUATION = 0x80;
    std::size_t characters = 0;
    for (char byte : text)
        characters += (static_cast<unsigned char>(byte) & TOP_BITS) != CONTINUATION;
    return characters >= width ? text : std::string(width - characters, ' ') + text;
}

}  // namespace toolrt
