#include "locations/ButtonEdit.h"

#include <QResizeEvent>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace orbiclock {

ButtonEdit::ButtonEdit(QWidget* parent) : QLineEdit(parent)
{
    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("button"));
    m_button->setText(QStringLiteral("..."));
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setAutoRaise(false);
    connect(m_button, &QToolButton::clicked, this, &ButtonEdit::buttonClicked);
    setButtonVisible(true);
}

void ButtonEdit::setButtonVisible(bool visible)
{
    m_button->setVisible(visible);
    placeButton();
}

void ButtonEdit::setHint(const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    const QString shortHint = bar < 0 ? hint : hint.left(bar);
    const QString longHint = bar < 0 ? hint : hint.mid(bar + 1);
    for (QWidget* w : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_button)}) {
        w->setToolTip(shortHint);
        w->setStatusTip(longHint);
    }
}

void ButtonEdit::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    placeButton();
}

void ButtonEdit::placeButton()
{
    // The button fills the field's inner height at its right edge, inside the frame.
    const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    const int side = height() - 2 * frame;
    const int width = std::max(side, m_button->fontMetrics().horizontalAdvance(m_button->text()) + 8);
    m_button->setGeometry(this->width() - frame - width, frame, width, side);
    setTextMargins(0, 0, m_button->isHidden() ? 0 : width, 0);
}

} // namespace orbiclock
