#include "locations/SearchFold.h"

namespace orbiclock {

namespace {

QChar plainApostrophe(QChar c) noexcept
{
    switch (c.unicode()) {
    case 0x2019: case 0x2018: case 0x02BC: case 0x02BB: case 0x0060: case 0x00B4:
        return QChar(u'\'');
    default:
        return c;
    }
}

} // namespace

QString foldForSearch(const QString& text)
{
    QString plain = text;
    for (QChar& c : plain)
        c = plainApostrophe(c);
    const QString decomposed = plain.normalized(QString::NormalizationForm_KD);
    QString bare;
    bare.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        if (c.category() != QChar::Mark_NonSpacing)
            bare.append(c);
    }
    // Qt folds case character by character; the full folding the database keys use also turns "ß"
    // into "ss", the one multi-character folding among the names.
    QString folded = bare.toCaseFolded();
    folded.replace(QChar(0x00DF), QStringLiteral("ss"));
    return folded.normalized(QString::NormalizationForm_C);
}

} // namespace orbiclock
