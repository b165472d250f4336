#pragma once

#include <cstdint>

namespace orbiclock {

/// The rules of the visible-count spinner: a value is clamped into [minimum, maximum] while the bounds
/// differ and taken unchanged when they are equal; a maximum below the minimum lowers the minimum;
/// changing a bound clamps the present value again (while the bounds differ).
/// Example: bounds 7..7 keep a value of 30, so a short list still shows all its rows.
class CountSpinnerModel {
public:
    static constexpr std::int32_t kDesignMinimum = 10;
    static constexpr std::int32_t kDesignMaximum = 55;
    static constexpr std::int32_t kDesignValue = 10;

    std::int32_t minimum() const noexcept { return m_min; }
    std::int32_t maximum() const noexcept { return m_max; }
    std::int32_t value() const noexcept { return m_value; }

    void setValue(std::int32_t v) noexcept { m_value = clamped(v); }
    void setMaximum(std::int32_t max) noexcept
    {
        m_max = max;
        if (m_max < m_min)
            m_min = m_max;
        m_value = clamped(m_value);
    }
    void setMinimum(std::int32_t min) noexcept
    {
        m_min = min;
        if (m_min > m_max)
            m_max = m_min;
        m_value = clamped(m_value);
    }

private:
    std::int32_t clamped(std::int32_t v) const noexcept
    {
        if (m_min == m_max)
            return v;
        return v < m_min ? m_min : (v > m_max ? m_max : v);
    }

    std::int32_t m_min = kDesignMinimum;
    std::int32_t m_max = kDesignMaximum;
    std::int32_t m_value = kDesignValue;
};

} // namespace orbiclock
