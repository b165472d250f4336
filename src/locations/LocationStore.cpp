#include "locations/LocationStore.h"

#include "astro/OrbiclockError.h"

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>

namespace orbiclock {
namespace {

constexpr const char* kClosedDataset = "Cannot perform this operation on a closed dataset";

// Another program (the settings window, a second -autoupdate) may hold the write lock for a moment.
constexpr int kBusyTimeoutMs = 5000;

constexpr const char* kSelectAll =
    "SELECT IDX, id_City, id_Timezone, id_Country, name_City, name_Country, name_Timezone, GMT, UsesSummerTime, "
    "N_summer, J_summer, M_summer, H_summer, N_winter, J_winter, M_winter, H_winter, Latitude, Longitude, "
    "PosX, PosY FROM UserLocations";

constexpr const char* kUpdateRow =
    "UPDATE UserLocations SET id_City = ?, id_Timezone = ?, id_Country = ?, name_City = ?, name_Country = ?, "
    "name_Timezone = ?, GMT = ?, UsesSummerTime = ?, N_summer = ?, J_summer = ?, M_summer = ?, H_summer = ?, "
    "N_winter = ?, J_winter = ?, M_winter = ?, H_winter = ?, Latitude = ?, Longitude = ?, PosX = ?, PosY = ? "
    "WHERE IDX = ?";

struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

[[noreturn]] void throwEngineError(const std::string& what, sqlite3* db)
{
    throw OrbiclockError(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

/// Opens an existing database for reading and writing; SQLite is never allowed to create the file.
Database openDatabase(const std::filesystem::path& file)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Database db(raw);
    if (rc != SQLITE_OK)
        throwEngineError("The location table cannot be opened: " + file.string(), db.get());
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    return db;
}

/// Prepares `sql`; a missing table or a file that is no database fails here.
Statement prepare(sqlite3* db, const char* sql, const std::string& what)
{
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    Statement statement(raw);
    if (rc != SQLITE_OK || !statement)
        throwEngineError(what, db);
    return statement;
}

// ---- Reading fields --------------------------------------------------------------------------------
// The table has always been read through Qt's SQLite driver and QVariant conversions, and files written
// by other programs may hold any storage class in any column. The rules below keep what those conversions
// gave, so a file reads the same as before: an integer field takes an integer, a real rounded half away
// from zero or a decimal text; a real field takes any number or a decimal text (anything else is 0); a
// boolean is false for 0, "", "0" and "false"; NULL reads as 0, false or "".

enum class Kind { Null, Integer, Real, Text, Blob };

struct Field {
    Kind kind = Kind::Null;
    std::int64_t integer = 0;
    double real = 0.0;
    std::string bytes; ///< text as UTF-8, or the blob's bytes
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr char32_t kReplacement = 0xFFFD;

/// UTF-16 (as SQLite hands it out) to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* s, std::size_t n)
{
    std::string out;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t u = s[i];
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            appendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (char32_t{s[i + 1]} - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u < 0xE000) {
            appendUtf8(out, kReplacement);
        } else {
            appendUtf8(out, u);
        }
    }
    return out;
}

constexpr bool isContinuation(unsigned char b) noexcept { return (b & 0xC0) == 0x80; }

/// Bytes read as UTF-8 the way the blob of a text field always was: a leading byte-order mark is dropped
/// and each byte that does not start a well-formed sequence (overlong, surrogate, beyond U+10FFFF, cut
/// short) becomes one U+FFFD.
std::string decodeUtf8Lenient(std::string_view in)
{
    std::string out;
    out.reserve(in.size());
    std::size_t i = in.starts_with("\xEF\xBB\xBF") ? 3 : 0; // a byte-order mark is dropped
    while (i < in.size()) {
        const auto b = static_cast<unsigned char>(in[i++]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        std::size_t needed = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (b < 0xC2) {
            appendUtf8(out, kReplacement);
            continue;
        }
        if (b < 0xE0) {
            needed = 1, c = b & 0x1Fu, minimum = 0x80;
        } else if (b < 0xF0) {
            needed = 2, c = b & 0x0Fu, minimum = 0x800;
        } else if (b < 0xF5) {
            needed = 3, c = b & 0x07u, minimum = 0x10000;
        } else {
            appendUtf8(out, kReplacement);
            continue;
        }
        bool ok = i + needed <= in.size();
        for (std::size_t k = 0; ok && k < needed; ++k) {
            const auto next = static_cast<unsigned char>(in[i + k]);
            ok = isContinuation(next);
            c = (c << 6) | (next & 0x3Fu);
        }
        if (!ok || c < minimum || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) {
            appendUtf8(out, kReplacement);
            continue;
        }
        appendUtf8(out, c);
        i += needed;
    }
    return out;
}

Field readField(sqlite3_stmt* statement, int column)
{
    Field f;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        f.kind = Kind::Integer;
        f.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        f.kind = Kind::Real;
        f.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_BLOB: {
        f.kind = Kind::Blob;
        const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
        if (data != nullptr)
            f.bytes.assign(data, size);
        break;
    }
    case SQLITE_NULL:
        break;
    default: {
        // Through UTF-16, as before, so that text that is not valid UTF-8 reads the same.
        f.kind = Kind::Text;
        const auto* data = static_cast<const char16_t*>(sqlite3_column_text16(statement, column));
        const auto size = static_cast<std::size_t>(sqlite3_column_bytes16(statement, column)) / sizeof(char16_t);
        if (data != nullptr)
            f.bytes = utf16ToUtf8(data, size);
        break;
    }
    }
    return f;
}

/// Length in bytes of the white-space character at the start of `s`, 0 when there is none. Text counts
/// the Unicode spaces, a blob only the ASCII ones.
std::size_t spaceAt(std::string_view s, bool unicode)
{
    if (s.empty())
        return 0;
    const auto b = static_cast<unsigned char>(s[0]);
    if (b == ' ' || (b >= '\t' && b <= '\r'))
        return 1;
    if (!unicode || b < 0x80)
        return 0;
    static constexpr std::array<std::string_view, 18> kSpaces = {
        "\u0085", "\u00A0", "\u1680", "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005",
        "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F"};
    for (std::string_view space : kSpaces)
        if (s.starts_with(space))
            return space.size();
    if (s.starts_with("\u3000"))
        return 3;
    return 0;
}

std::size_t spaceBefore(std::string_view s, bool unicode)
{
    if (s.empty())
        return 0;
    if (spaceAt(s.substr(s.size() - 1), unicode) == 1)
        return 1;
    for (std::size_t n = 2; n <= 3 && n <= s.size(); ++n)
        if (spaceAt(s.substr(s.size() - n), unicode) == n)
            return n;
    return 0;
}

std::string_view trimmed(std::string_view s, bool unicode)
{
    for (std::size_t n; (n = spaceAt(s, unicode)) != 0;)
        s.remove_prefix(n);
    for (std::size_t n; (n = spaceBefore(s, unicode)) != 0;)
        s.remove_suffix(n);
    return s;
}

/// A decimal integer with an optional sign and ASCII white space around it, up to a NUL if there is
/// one; nothing when it is not one or does not fit 64 bits.
std::optional<std::int64_t> parseInteger(std::string_view s)
{
    s = trimmed(s.substr(0, s.find('\0')), false); // the number has always ended at a NUL
    std::string digits;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        if (s[0] == '-')
            digits += '-';
        s.remove_prefix(1);
    }
    if (s.empty() || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    digits += s;
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return value;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

/// Where the first significant digit of an unsigned decimal real lies: 1 for "1.5", 3 for "123", 0 for
/// "0.5", -2 for "0.005e0", 311 for "1e310". Only its sign is used, to tell overflow from underflow.
long long decimalMagnitude(std::string_view body)
{
    const std::size_t e = body.find_first_of("eE");
    const std::string_view mantissa = body.substr(0, e);
    long long exponent = 0;
    if (e != std::string_view::npos) {
        std::string_view digits = body.substr(e + 1);
        const bool negative = !digits.empty() && digits[0] == '-';
        if (!digits.empty() && (digits[0] == '-' || digits[0] == '+'))
            digits.remove_prefix(1);
        for (char c : digits) // saturates: only the sign of the result matters
            exponent = std::min<long long>(exponent * 10 + (c - '0'), 1'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return std::numeric_limits<long long>::min();
    const long long position = first < point ? static_cast<long long>(point - first)
                                             : -static_cast<long long>(first - point - 1);
    return position + exponent;
}

/// A decimal real ("12", "-3.5", ".5", "5.", "1e3", "inf", "nan") with white space around it; 0 when it
/// is not one. Text also takes U+2212 as minus, "INF" in any case, and is infinite beyond the range of a
/// double; a blob takes only "inf" and "nan" as written and is 0 beyond that range. Both are 0 below it.
double parseReal(std::string_view raw, bool text)
{
    std::string normalised(trimmed(raw, text));
    if (text) {
        constexpr std::string_view kMinus = "\u2212";
        for (std::size_t at; (at = normalised.find(kMinus)) != std::string::npos;)
            normalised.replace(at, kMinus.size(), "-");
    }
    const std::string_view s = normalised;
    bool negative = false;
    std::string_view body = s;
    if (!body.empty() && (body[0] == '+' || body[0] == '-')) {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    const auto is = [text](std::string_view a, std::string_view b) { return text ? equalsIgnoringCase(a, b) : a == b; };
    if (is(s, "nan"))
        return std::numeric_limits<double>::quiet_NaN();
    if (is(body, "inf"))
        return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();

    // [digits][.digits][e[sign]digits] with at least one mantissa digit
    std::size_t i = 0;
    const auto digitsFrom = [&](std::size_t from) {
        std::size_t to = from;
        while (to < body.size() && body[to] >= '0' && body[to] <= '9')
            ++to;
        return to;
    };
    std::size_t mantissaDigits = digitsFrom(i) - i;
    i += mantissaDigits;
    if (i < body.size() && body[i] == '.') {
        const std::size_t fraction = digitsFrom(i + 1) - (i + 1);
        mantissaDigits += fraction;
        i += 1 + fraction;
    }
    if (mantissaDigits == 0)
        return 0.0;
    if (i < body.size() && (body[i] == 'e' || body[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < body.size() && (body[j] == '+' || body[j] == '-'))
            ++j;
        const std::size_t exponentDigits = digitsFrom(j) - j;
        if (exponentDigits == 0)
            return 0.0;
        i = j + exponentDigits;
    }
    if (i != body.size())
        return 0.0;

    double value = 0.0;
    const auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        if (text && decimalMagnitude(body) > 0)
            return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
        return 0.0;
    }
    if (ec != std::errc() || end != body.data() + body.size())
        return 0.0;
    return negative ? -value : value;
}

/// The nearest integer, halves away from zero, as a real; the sum is taken in double as before.
double roundHalfAway(double x) noexcept
{
    return std::trunc(x + std::copysign(0.5, x));
}

std::int32_t int32Field(sqlite3_stmt* statement, int column)
{
    const Field f = readField(statement, column);
    const std::string name = sqlite3_column_name(statement, column);
    const auto outOfRange = [&] { return RangeError("UserLocations: field " + name + " is out of range"); };
    std::int64_t value = 0;
    switch (f.kind) {
    case Kind::Null:
        return 0;
    case Kind::Integer:
        value = f.integer;
        break;
    case Kind::Real: {
        const double r = roundHalfAway(f.real);
        if (!(r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max()))
            throw outOfRange();
        return static_cast<std::int32_t>(r);
    }
    case Kind::Text:
    case Kind::Blob: {
        const std::optional<std::int64_t> parsed = parseInteger(f.bytes);
        if (!parsed)
            throw OrbiclockError("UserLocations: field " + name + " is not an integer");
        value = *parsed;
        break;
    }
    }
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        throw outOfRange();
    return static_cast<std::int32_t>(value);
}

double realField(sqlite3_stmt* statement, int column)
{
    const Field f = readField(statement, column);
    switch (f.kind) {
    case Kind::Integer:
        return static_cast<double>(f.integer);
    case Kind::Real:
        return f.real;
    case Kind::Text:
    case Kind::Blob:
        return parseReal(f.bytes, f.kind == Kind::Text);
    case Kind::Null:
        break;
    }
    return 0.0;
}

bool boolField(sqlite3_stmt* statement, int column)
{
    const Field f = readField(statement, column);
    switch (f.kind) {
    case Kind::Integer:
        return f.integer != 0;
    case Kind::Real:
        return std::fabs(f.real) + 0.5 >= 1.0; // a real is true when it rounds to a non-zero integer
    case Kind::Text:
    case Kind::Blob:
        return !(f.bytes.empty() || f.bytes == "0" || equalsIgnoringCase(f.bytes, "false"));
    case Kind::Null:
        break;
    }
    return false;
}

/// The shortest digits that read back as `x`, in plain or exponent notation whichever is shorter:
/// "12.5", "100", "10000", "1e+10", "1e-04", "inf".
std::string realText(double x)
{
    if (std::isnan(x))
        return "nan";
    if (std::isinf(x))
        return x < 0 ? "-inf" : "inf";
    if (x == 0.0)
        return "0";
    std::array<char, 32> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), x, std::chars_format::scientific);
    const std::string_view sci(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    // sci: [-]d[.ddd]e±xx
    const bool negative = sci[0] == '-';
    const std::size_t ePos = sci.find('e');
    std::string digits;
    for (char c : sci.substr(negative ? 1 : 0, ePos - (negative ? 1 : 0)))
        if (c != '.')
            digits += c;
    int exponent = 0;
    std::from_chars(sci.data() + ePos + 1 + (sci[ePos + 1] == '+' ? 1 : 0), sci.data() + sci.size(), exponent);
    const int decimalPoint = exponent + 1; // digits before the point
    const auto length = static_cast<int>(digits.size());

    std::string plain;
    if (decimalPoint <= 0) {
        plain = "0.";
        plain.append(static_cast<std::size_t>(-decimalPoint), '0');
        plain += digits;
    } else if (decimalPoint >= length) {
        plain = digits;
        plain.append(static_cast<std::size_t>(decimalPoint - length), '0');
    } else {
        plain = digits.substr(0, static_cast<std::size_t>(decimalPoint)) + '.' +
                digits.substr(static_cast<std::size_t>(decimalPoint));
    }
    std::string scientific(1, digits[0]);
    if (length > 1)
        scientific += '.' + digits.substr(1);
    scientific += exponent < 0 ? "e-" : "e+";
    const int magnitude = exponent < 0 ? -exponent : exponent;
    if (magnitude < 10)
        scientific += '0';
    scientific += std::to_string(magnitude);
    // The shorter of the two, plain notation when they are as long.
    return (negative ? "-" : "") + (plain.size() <= scientific.size() ? plain : scientific);
}

std::string textField(sqlite3_stmt* statement, int column)
{
    Field f = readField(statement, column);
    switch (f.kind) {
    case Kind::Integer:
        return std::to_string(f.integer);
    case Kind::Real:
        return realText(f.real);
    case Kind::Text:
        return std::move(f.bytes);
    case Kind::Blob:
        return decodeUtf8Lenient(f.bytes);
    case Kind::Null:
        break;
    }
    return {};
}

LocationRow rowFromStatement(sqlite3_stmt* statement)
{
    LocationRow r;
    int c = 0;
    r.IDX = int32Field(statement, c++);
    r.id_City = int32Field(statement, c++);
    r.id_Timezone = int32Field(statement, c++);
    r.id_Country = int32Field(statement, c++);
    r.name_City = textField(statement, c++);
    r.name_Country = textField(statement, c++);
    r.name_Timezone = textField(statement, c++);
    r.GMT = realField(statement, c++);
    r.UsesSummerTime = boolField(statement, c++);
    r.N_summer = int32Field(statement, c++);
    r.J_summer = int32Field(statement, c++);
    r.M_summer = int32Field(statement, c++);
    r.H_summer = int32Field(statement, c++);
    r.N_winter = int32Field(statement, c++);
    r.J_winter = int32Field(statement, c++);
    r.M_winter = int32Field(statement, c++);
    r.H_winter = int32Field(statement, c++);
    r.Latitude = realField(statement, c++);
    r.Longitude = realField(statement, c++);
    r.PosX = int32Field(statement, c++);
    r.PosY = int32Field(statement, c++);
    return r;
}

// ---- Writing ---------------------------------------------------------------------------------------

/// Rolls the transaction back unless it was committed, so every failing path leaves the file as it was.
class Transaction {
public:
    explicit Transaction(sqlite3* db) : m_db(db)
    {
        if (sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
            throwEngineError("The place cannot be saved", m_db);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction()
    {
        if (!m_done)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    void commit()
    {
        if (sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            throwEngineError("The place cannot be saved", m_db);
        m_done = true;
    }

private:
    sqlite3* m_db;
    bool m_done = false;
};

class Binder {
public:
    Binder(sqlite3* db, sqlite3_stmt* statement) : m_db(db), m_statement(statement) {}
    Binder& operator<<(std::int32_t value)
    {
        check(sqlite3_bind_int(m_statement, ++m_index, value));
        return *this;
    }
    Binder& operator<<(double value)
    {
        check(sqlite3_bind_double(m_statement, ++m_index, value));
        return *this;
    }
    Binder& operator<<(const std::string& value)
    {
        if (value.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
            throw RangeError("The place cannot be saved: a name is too long");
        check(sqlite3_bind_text(m_statement, ++m_index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
        return *this;
    }

private:
    void check(int rc) const
    {
        if (rc != SQLITE_OK)
            throwEngineError("The place cannot be saved", m_db);
    }
    sqlite3* m_db;
    sqlite3_stmt* m_statement;
    int m_index = 0;
};

} // namespace

std::string cutCityName(const std::string& name)
{
    // Characters as the edit fields count them: UTF-16 units, so a character beyond U+FFFF counts twice.
    // A name within the limit is kept byte for byte.
    const std::string decoded = decodeUtf8Lenient(name);
    const auto unitsOf = [](unsigned char lead) -> std::size_t { return lead >= 0xF0 ? 2 : 1; };
    const auto bytesOf = [](unsigned char lead) -> std::size_t {
        return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    };
    std::size_t units = 0;
    for (std::size_t i = 0; i < decoded.size(); i += bytesOf(static_cast<unsigned char>(decoded[i])))
        units += unitsOf(static_cast<unsigned char>(decoded[i]));
    if (units <= kMaxCityNameLength)
        return name;

    std::string cut;
    units = 0;
    for (std::size_t i = 0; i < decoded.size();) {
        const auto lead = static_cast<unsigned char>(decoded[i]);
        if (units + unitsOf(lead) > kMaxCityNameLength) {
            if (units < kMaxCityNameLength)
                cut += "?"; // the first half of a pair that does not fit
            break;
        }
        cut.append(decoded, i, bytesOf(lead));
        units += unitsOf(lead);
        i += bytesOf(lead);
    }
    return cut;
}

LocationStore::LocationStore() = default;

LocationStore::~LocationStore()
{
    close();
}

void LocationStore::setDirectory(std::filesystem::path dataDir)
{
    m_dataDir = std::move(dataDir);
}

std::string LocationStore::filterText() const
{
    return "IDX <= " + std::to_string(m_filterMaxIdx);
}

void LocationStore::open()
{
    close();
    const std::filesystem::path file = m_dataDir / kFileName;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw OrbiclockError("The location table cannot be opened: " + file.string() + " does not exist");

    const std::string cannotRead = "The location table cannot be read: " + file.string();
    const Database db = openDatabase(file);
    std::string sql = kSelectAll;
    if (m_filtered)
        sql += " WHERE IDX <= ?1";
    sql += " ORDER BY IDX";
    const Statement statement = prepare(db.get(), sql.c_str(), cannotRead);
    if (m_filtered && sqlite3_bind_int(statement.get(), 1, m_filterMaxIdx) != SQLITE_OK)
        throwEngineError(cannotRead, db.get());

    std::vector<LocationRow> rows;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
        rows.push_back(rowFromStatement(statement.get()));
    if (rc != SQLITE_DONE)
        throwEngineError(cannotRead, db.get());

    m_rows = std::move(rows);
    m_current = 0;
    m_open = true;
}

void LocationStore::close() noexcept
{
    m_open = false;
    m_rows.clear();
    m_current = 0;
}

void LocationStore::requireOpen() const
{
    if (!m_open)
        throw OrbiclockError(kClosedDataset);
}

std::int32_t LocationStore::recordCount() const
{
    requireOpen();
    return static_cast<std::int32_t>(m_rows.size());
}

std::int32_t LocationStore::recordNumber() const
{
    requireOpen();
    return static_cast<std::int32_t>(m_current);
}

void LocationStore::moveTo(std::int32_t index)
{
    requireOpen();
    if (m_rows.empty() || index < 0)
        m_current = 0;
    else
        m_current = std::min<std::size_t>(static_cast<std::size_t>(index), m_rows.size() - 1);
}

void LocationStore::first()
{
    requireOpen();
    m_current = 0;
}

void LocationStore::next()
{
    requireOpen();
    if (m_current < m_rows.size())
        ++m_current;
}

bool LocationStore::eof() const
{
    requireOpen();
    return m_current >= m_rows.size();
}

const LocationRow& LocationStore::current() const
{
    requireOpen();
    if (m_current >= m_rows.size())
        throw OrbiclockError("The location table has no current row");
    return m_rows[m_current];
}

const std::vector<LocationRow>& LocationStore::rows() const
{
    requireOpen();
    return m_rows;
}

void LocationStore::overwriteCurrent(const LocationRow& row)
{
    const LocationRow& stored = current();
    LocationRow updated = row;
    updated.IDX = stored.IDX;
    updated.name_City = cutCityName(row.name_City);

    const std::filesystem::path file = m_dataDir / kFileName;
    const Database db = openDatabase(file);
    {
        Transaction transaction(db.get());
        const Statement statement = prepare(db.get(), kUpdateRow, "The place cannot be saved");
        Binder(db.get(), statement.get())
            << updated.id_City << updated.id_Timezone << updated.id_Country << updated.name_City
            << updated.name_Country << updated.name_Timezone << updated.GMT
            << std::int32_t{updated.UsesSummerTime ? 1 : 0} << updated.N_summer << updated.J_summer
            << updated.M_summer << updated.H_summer << updated.N_winter << updated.J_winter << updated.M_winter
            << updated.H_winter << updated.Latitude << updated.Longitude << updated.PosX << updated.PosY
            << updated.IDX;
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            throwEngineError("The place cannot be saved", db.get());
        if (sqlite3_changes(db.get()) != 1)
            throw OrbiclockError("The place cannot be saved: row " + std::to_string(updated.IDX) + " is gone");
        transaction.commit();
    }
    m_rows[m_current] = updated;
}

} // namespace orbiclock
