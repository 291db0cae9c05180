// Escaping file names for JSON and XML (see text_escape.h).
#include "lzsunpack/text_escape.h"

#include "toolrt/format.h"

namespace lzsunpack {
namespace {

constexpr char REPLACEMENT[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
constexpr unsigned FIRST_PRINTABLE = 0x20;      // below: the control characters

// The lead bytes of UTF-8 and the lengths of their sequences; the bytes
// that follow a lead are 0x80-0xBF, but for the leads whose second byte is
// narrower: no overlong form, no surrogate, nothing above U+10FFFF.
struct LeadRange {
    unsigned first, last;
    std::size_t length;
    unsigned second_low, second_high;
};
constexpr unsigned CONTINUATION_LOW = 0x80;
constexpr unsigned CONTINUATION_HIGH = 0xBF;
constexpr LeadRange UTF8_LEADS[] = {
    {0x00, 0x7F, 1, 0, 0},
    {0xC2, 0xDF, 2, CONTINUATION_LOW, CONTINUATION_HIGH},
    {0xE0, 0xE0, 3, 0xA0, CONTINUATION_HIGH},
    {0xE1, 0xEC, 3, CONTINUATION_LOW, CONTINUATION_HIGH},
    {0xED, 0xED, 3, CONTINUATION_LOW, 0x9F},
    {0xEE, 0xEF, 3, CONTINUATION_LOW, CONTINUATION_HIGH},
    {0xF0, 0xF0, 4, 0x90, CONTINUATION_HIGH},
    {0xF1, 0xF3, 4, CONTINUATION_LOW, CONTINUATION_HIGH},
    {0xF4, 0xF4, 4, CONTINUATION_LOW, 0x8F},
};

// The length of the valid UTF-8 sequence at text[at], or 0.
std::size_t sequence_length(std::string_view text, std::size_t at)
{
    auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (const LeadRange& lead : UTF8_LEADS) {
        if (byte(at) < lead.first || byte(at) > lead.last)
            continue;
        if (text.size() - at < lead.length)
            return 0;
        for (std::size_t i = 1; i < lead.length; ++i) {
            unsigned low = i == 1 ? lead.second_low : CONTINUATION_LOW;
            unsigned high = i == 1 ? lead.second_high : CONTINUATION_HIGH;
            if (byte(at + i) < low || byte(at + i) > high)
                return 0;
        }
        return lead.length;
    }
    return 0;
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
    // Appended, not joined with +: g++ 12 at -O3 sees a false overlap in
    // "\"" + a temporary (-Wrestrict).
    std::string quoted = "\"";
    quoted += escaped(text, [](char c) -> std::string {
        if (c == '"' || c == '\\')
            return std::string("\\") + c;
        if (static_cast<unsigned char>(c) < FIRST_PRINTABLE)
            return toolrt::format_text("\\u%04x", static_cast<unsigned>(c));
        return std::string(1, c);
    });
    quoted += '"';
    return quoted;
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
            return static_cast<unsigned char>(c) < FIRST_PRINTABLE && c != '\t' && c != '\n' && c != '\r'
                       ? REPLACEMENT
                       : std::string(1, c);
        }
    });
}

}  // namespace lzsunpack
