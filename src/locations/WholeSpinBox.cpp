#include "locations/WholeSpinBox.h"

#include "locations/FixedPitchFont.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace orbiclock {

WholeSpinBox::WholeSpinBox(QWidget* parent) : QSpinBox(parent)
{
    setFont(fixedPitchFont());
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    setAlignment(Qt::AlignRight);
    // The spinner's own signal covers changes from code and the arrows (the editor is silenced while
    // the spinner rewrites it); the editor's covers typing, also into texts that are no number yet.
    connect(this, &QSpinBox::textChanged, this, &WholeSpinBox::checkShown);
    connect(lineEdit(), &QLineEdit::textChanged, this, &WholeSpinBox::checkShown);
}

int WholeSpinBox::shownValue() const
{
    bool ok = false;
    const int value = locale().toInt(cleanText(), &ok);
    if (!ok)
        return minimum();
    return std::clamp(value, minimum(), maximum());
}

void WholeSpinBox::checkShown()
{
    const int shown = shownValue();
    if (m_lastShown == shown)
        return;
    m_lastShown = shown;
    emit shownValueChanged();
}

void WholeSpinBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        stepBy(event->key() == Qt::Key_PageUp ? m_pageStep : -m_pageStep);
        event->accept();
        return;
    }
    QSpinBox::keyPressEvent(event);
}

} // namespace orbiclock
