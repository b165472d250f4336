#pragma once

#include <QLineEdit>

#include <cstdint>

class QToolButton;

namespace orbiclock {

/// A text field with one button inside its right edge, and an integer tag that travels with the text
/// (the identifier the text was taken from).
class ButtonEdit final : public QLineEdit {
    Q_OBJECT

public:
    explicit ButtonEdit(QWidget* parent = nullptr);

    /// The attached button; hide it for a plain text field.
    QToolButton* button() const noexcept { return m_button; }
    /// Shows or hides the attached button; the text makes room for it only while it is shown.
    void setButtonVisible(bool visible);

    std::int32_t tag() const noexcept { return m_tag; }
    void setTag(std::int32_t tag) noexcept { m_tag = tag; }

    /// Splits a hint "short|long" into the tooltip (the short hint) and the status tip (the long
    /// one) of the field and of its button. A hint without a bar is both.
    void setHint(const QString& hint);

signals:
    /// The attached button was clicked.
    void buttonClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeButton();

    QToolButton* m_button = nullptr;
    std::int32_t m_tag = 0;
};

} // namespace orbiclock
