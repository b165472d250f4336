#include "locations/FixedPitchFont.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace orbiclock {

bool isMonospaced(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(u'i');
    for (const QChar c : {QChar(u'W'), QChar(u'1'), QChar(u'.')})
        if (metrics.horizontalAdvance(c) != width)
            return false;
    return width > 0;
}

QFont fixedPitchFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (isMonospaced(font))
        return font;
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isFixedPitch(family))
            continue;
        QFont candidate = font;
        candidate.setFamily(family);
        if (isMonospaced(candidate))
            return candidate;
    }
    return font;
}

} // namespace orbiclock
