#pragma once

#include <QString>

namespace orbiclock {

/// The search key of a name or of typed text: apostrophe look-alikes (’ ‘ ʼ ʻ ` ´) become "'", the
/// text is decomposed (NFKD), its combining marks are dropped and it is case-folded ("ß" gives "ss"). So "São Paulo",
/// "SAO PAULO" and "sao paulo" all give "sao paulo", and "Xi’an" gives "xi'an".
/// The city database stores the keys of its names made the same way by tools/make_city_database.py.
QString foldForSearch(const QString& text);

} // namespace orbiclock
