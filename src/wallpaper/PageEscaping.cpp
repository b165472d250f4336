#include "wallpaper/PageEscaping.h"

namespace orbiclock {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void appendHexEscape(std::string& out, unsigned char c)
{
    out += "\\x";
    out += kHex[c >> 4];
    out += kHex[c & 0x0F];
}

/// True when text[i] starts the UTF-8 form of U+2028 or U+2029; `which` gets the last byte.
bool isScriptLineTerminator(std::string_view text, std::size_t i, unsigned char& which)
{
    if (i + 2 >= text.size())
        return false;
    if (static_cast<unsigned char>(text[i]) != 0xE2 || static_cast<unsigned char>(text[i + 1]) != 0x80)
        return false;
    which = static_cast<unsigned char>(text[i + 2]);
    return which == 0xA8 || which == 0xA9;
}

/// The escapes common to strings and comments. Returns the number of bytes consumed at text[i], 0 when
/// text[i] needs no escape in either context.
std::size_t appendScriptEscape(std::string& out, std::string_view text, std::size_t i)
{
    const auto c = static_cast<unsigned char>(text[i]);
    unsigned char terminator = 0;
    if (isScriptLineTerminator(text, i, terminator)) {
        out += terminator == 0xA8 ? "\\u2028" : "\\u2029";
        return 3;
    }
    switch (c) {
    case '\\': out += "\\\\"; return 1;
    case '\n': out += "\\n"; return 1;
    case '\r': out += "\\r"; return 1;
    case '\t': out += "\\t"; return 1;
    case '<':
    case '>': appendHexEscape(out, c); return 1;
    default:
        if (c < 0x20 || c == 0x7F) {
            appendHexEscape(out, c);
            return 1;
        }
        return 0;
    }
}

} // namespace

std::string htmlEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += ch;
        }
    }
    return out;
}

std::string placeNameHtml(std::string_view name)
{
    const std::string escaped = htmlEscaped(name);
    std::string out;
    out.reserve(escaped.size());
    for (const char ch : escaped) {
        if (ch == ' ')
            out += "&nbsp;";
        else
            out += ch;
    }
    return out;
}

std::string scriptStringEscaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t used = appendScriptEscape(out, text, i)) {
            i += used;
            continue;
        }
        if (text[i] == '\'' || text[i] == '"')
            out += '\\';
        out += text[i];
        ++i;
    }
    return out;
}

std::string scriptCommentText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (const std::size_t used = appendScriptEscape(out, text, i)) {
            i += used;
            continue;
        }
        out += text[i];
        ++i;
    }
    return out;
}

} // namespace orbiclock
