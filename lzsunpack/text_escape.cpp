// Escaping file names for JSON and XML (see text_escape.h).
#include "lzsunpack/text_escape.h"

#include "toolrt/format.h"

namespace lzsunpack {
namespace {

constexpr char REPLACEMENT[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// The length of the valid UTF-8 sequence at text[at], or 0: the shortest
// form only, no surrogates, nothing above U+10FFFF.
std::size_t sequence_length(std::string_view text, std::size_t at)
{
    auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned lead = byte(at);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
    unsigned second = length > 1 ? byte(at + 1) : 0x80;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

// Calls escape(char) for each ASCII character and appends each valid
// sequence above it whole, U+FFFD for each byte that is not in one.
template <class Escape> std::string escaped(std::string_view text, Escape escape)
{
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = sequence_length(text, at);
        if (length == 1)
            out += escape(text[at]);
        else if (length > 1)
            out.append(text.substr(at, length));
        else
            out += REPLACEMENT;
        at += length == 0 ? 1 : length;
    }
    return out;
}

}  // namespace

std::string json_string(std::string_view text)
{
    return "\"" +
           escaped(text,
                   [](char c) -> std::string {
                       if (c == '"' || c == '\\')
                           return std::string("\\") + c;
                       if (static_cast<unsigned char>(c) < 0x20)
                           return toolrt::format_text("\\u%04x", static_cast<unsigned>(c));
                       return std::string(1, c);
                   }) +
           "\"";
}

std::string xml_text(std::string_view text)
{
    return escaped(text, [](char c) -> std::string {
        switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '\'':
            return "&apos;";
        default:
            // XML 1.0 allows no control characters but tab, newline and return.
            return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r'
                       ? REPLACEMENT
                       : std::string(1, c);
        }
    });
}

}  // namespace lzsunpack
