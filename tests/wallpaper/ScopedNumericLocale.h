#pragma once

#include <clocale>
#include <string>

namespace orbiclock {

/// Switches LC_NUMERIC (the decimal separator of printf and strtod) for the life of the object and
/// restores the previous setting afterwards. ok() is false when the locale is not installed
/// (de_DE.UTF-8 comes from scripts/install-deps).
class ScopedNumericLocale {
public:
    explicit ScopedNumericLocale(const char* name)
    {
        if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
            m_previous = current;
        m_ok = std::setlocale(LC_NUMERIC, name) != nullptr;
    }
    ScopedNumericLocale(const ScopedNumericLocale&) = delete;
    ScopedNumericLocale& operator=(const ScopedNumericLocale&) = delete;
    ~ScopedNumericLocale() { std::setlocale(LC_NUMERIC, m_previous.c_str()); }

    bool ok() const noexcept { return m_ok; }

private:
    std::string m_previous = "C";
    bool m_ok = false;
};

/// The locale with a decimal comma the tests use.
inline constexpr const char* kCommaLocale = "de_DE.UTF-8";

} // namespace orbiclock
