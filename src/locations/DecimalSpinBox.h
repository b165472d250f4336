#pragma once

#include <QDoubleSpinBox>

#include <optional>

namespace orbiclock {

/// A spinner of minutes that takes typed decimals (two at most) and shows a whole value without
/// them: 30 shows "30", 14.5 shows "14.5". Fixed-pitch text, typed values clamped at once, and the
/// value it shows read straight from its text.
class DecimalSpinBox final : public QDoubleSpinBox {
    Q_OBJECT

public:
    explicit DecimalSpinBox(QWidget* parent = nullptr);

    /// The number the field shows, also while it is being typed; an empty or unreadable text counts
    /// as the minimum.
    double shownValue() const;
    /// The text editor inside the spinner.
    QLineEdit* editor() const { return lineEdit(); }

    QString textFromValue(double value) const override;

signals:
    /// The shown value changed, by typing (an emptied field included), by the arrows or from code.
    void shownValueChanged();

private:
    void checkShown();

    std::optional<double> m_lastShown;
};

} // namespace orbiclock
