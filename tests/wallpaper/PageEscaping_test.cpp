#include "wallpaper/PageEscaping.h"

#include <gtest/gtest.h>

#include <string>

namespace orbiclock {
namespace {

struct EscapeCase {
    const char* name;
    std::string input;
    std::string expected;
};

TEST(HtmlEscaped, TurnsTheFiveMarkupCharactersIntoReferences)
{
    const EscapeCase cases[] = {
        {"plain", "New York", "New York"},
        {"ampersand", "A&B", "A&amp;B"},
        {"tag", "<b>x</b>", "&lt;b&gt;x&lt;/b&gt;"},
        {"quotes", "say \"hi\" 'now'", "say &quot;hi&quot; &#39;now&#39;"},
        {"entity_stays_visible", "&nbsp;", "&amp;nbsp;"},
        {"utf8_passes", "S\xC3\xA3o Paulo", "S\xC3\xA3o Paulo"},
    };
    for (const EscapeCase& c : cases)
        EXPECT_EQ(htmlEscaped(c.input), c.expected) << c.name;
}

TEST(PlaceNameHtml, EscapesThenKeepsTheNameOnOneLine)
{
    EXPECT_EQ(placeNameHtml("New York"), "New&nbsp;York");
    EXPECT_EQ(placeNameHtml("St. John's"), "St.&nbsp;John&#39;s");
    EXPECT_EQ(placeNameHtml("A & B"), "A&nbsp;&amp;&nbsp;B");
}

TEST(ScriptStringEscaped, LeavesNothingThatEndsTheStringOrTheScript)
{
    const EscapeCase cases[] = {
        {"plain", "Paris", "Paris"},
        {"apostrophe", "O'Hare", "O\\'Hare"},
        {"double_quote", "a\"b", "a\\\"b"},
        {"backslash", "C:\\x", "C:\\\\x"},
        {"end_of_script", "</script>", "\\x3C/script\\x3E"},
        {"comment_opener", "<!--", "\\x3C!--"},
        {"line_breaks", "a\r\nb\tc", "a\\r\\nb\\tc"},
        {"control_character", std::string("a\x01z"), "a\\x01z"},
        {"line_separator", "a\xE2\x80\xA8z", "a\\u2028z"},
        {"paragraph_separator", "a\xE2\x80\xA9z", "a\\u2029z"},
        {"other_three_byte_character_passes", "\xE2\x80\xA6", "\xE2\x80\xA6"},
        {"truncated_sequence_passes", "a\xE2\x80", "a\xE2\x80"},
    };
    for (const EscapeCase& c : cases)
        EXPECT_EQ(scriptStringEscaped(c.input), c.expected) << c.name;
}

TEST(ScriptCommentText, KeepsQuotesButNothingThatEndsTheLineOrTheScript)
{
    const EscapeCase cases[] = {
        {"apostrophe_kept", "St. John's", "St. John's"},
        {"double_quote_kept", "\"Q\"", "\"Q\""},
        {"line_feed", "x\ny", "x\\ny"},
        {"carriage_return", "x\ry", "x\\ry"},
        {"line_separator", "x\xE2\x80\xA8y", "x\\u2028y"},
        {"end_of_script", "</script><script>", "\\x3C/script\\x3E\\x3Cscript\\x3E"},
        {"backslash", "a\\nb", "a\\\\nb"},
    };
    for (const EscapeCase& c : cases)
        EXPECT_EQ(scriptCommentText(c.input), c.expected) << c.name;
}

} // namespace
} // namespace orbiclock
