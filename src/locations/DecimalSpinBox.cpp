#include "locations/DecimalSpinBox.h"

#include "locations/FixedPitchFont.h"

#include <QLineEdit>

#include <algorithm>

namespace orbiclock {

DecimalSpinBox::DecimalSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setFont(fixedPitchFont());
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setAlignment(Qt::AlignRight);
    setDecimals(2);
    setSingleStep(1.0);
    // As in WholeSpinBox: the spinner's signal for code and arrows, the editor's for typing.
    connect(this, &QDoubleSpinBox::textChanged, this, &DecimalSpinBox::checkShown);
    connect(lineEdit(), &QLineEdit::textChanged, this, &DecimalSpinBox::checkShown);
}

QString DecimalSpinBox::textFromValue(double value) const
{
    QString text = locale().toString(value, 'f', decimals());
    const QString point = locale().decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
}

double DecimalSpinBox::shownValue() const
{
    bool ok = false;
    const double value = locale().toDouble(cleanText(), &ok);
    if (!ok)
        return minimum();
    return std::clamp(value, minimum(), maximum());
}

void DecimalSpinBox::checkShown()
{
    const double shown = shownValue();
    if (m_lastShown == shown)
        return;
    m_lastShown = shown;
    emit shownValueChanged();
}

} // namespace orbiclock
