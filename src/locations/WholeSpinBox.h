#pragma once

#include <QSpinBox>

#include <optional>

namespace orbiclock {

/// An integer spinner of the properties dialog: fixed-pitch text, typed values clamped at once, an
/// adjustable page step, and the value it shows read straight from its text.
class WholeSpinBox final : public QSpinBox {
    Q_OBJECT

public:
    explicit WholeSpinBox(QWidget* parent = nullptr);

    /// Steps of Page Up and Page Down (10 single steps unless set).
    void setPageStep(int steps) noexcept { m_pageStep = steps; }
    int pageStep() const noexcept { return m_pageStep; }

    /// The number the field shows, also while it is being typed; an empty or unreadable text counts
    /// as the minimum.
    int shownValue() const;
    /// The text editor inside the spinner.
    QLineEdit* editor() const { return lineEdit(); }

signals:
    /// The shown value changed, by typing (an emptied field included), by the arrows or from code.
    void shownValueChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void checkShown();

    int m_pageStep = 10;
    std::optional<int> m_lastShown;
};

} // namespace orbiclock
