#pragma once

#include <string>
#include <string_view>

namespace orbiclock {

// Place and country names come from the user's table and may hold any character. Each function makes
// a name safe for one context of the page, so that it shows exactly as typed and can never end the
// markup, the script string or the script comment it stands in. Text is UTF-8; bytes that are not
// special in a context pass through unchanged.

/// HTML text or a double- or single-quoted attribute value: "&", "<", ">", """ and "'" as character
/// references. Example: "A&B <x>" gives "A&amp;B &lt;x&gt;".
std::string htmlEscaped(std::string_view text);

/// A name as the page shows it inside markup: HTML-escaped, then every space replaced by "&nbsp;" so
/// the label never wraps. Example: "New York" gives "New&nbsp;York".
std::string placeNameHtml(std::string_view name);

/// The inside of a script string literal delimited by ' or ": backslash and both quotes escaped,
/// line breaks, other control characters and the script line terminators U+2028 and U+2029 written as
/// escapes, and "<" and ">" as \x3C and \x3E so that no "</script" or "<!--" can appear in the script.
/// Example: "O'Hare\" gives "O\'Hare\\".
std::string scriptStringEscaped(std::string_view text);

/// A name inside a "//" comment of the script: nothing that could end the comment (line breaks and
/// the line terminators U+2028 and U+2029) or the script element ("<", ">") is left; they are written
/// as escapes, and a backslash as "\\" so the escapes stay unambiguous. Quotes and spaces are kept.
/// Example: "St. John's" stays "St. John's".
std::string scriptCommentText(std::string_view text);

} // namespace orbiclock
