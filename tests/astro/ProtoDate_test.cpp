#include "astro/AstroErrors.h"
#include "astro/Date.h"
#include "astro/Gregorian.h"
#include "astro/Location.h"
#include "astro/ProtoDate.h"
#include "astro/StandardDate.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <typeinfo>
#include <vector>

namespace orbiclock {
namespace {

using P = TProtoDate;

/// |actual − expected| ≤ tolerance in extended precision, showing both values and the error.
testing::AssertionResult isNear(long double actual, long double expected, long double tolerance)
{
    if (std::fabs(actual - expected) <= tolerance)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "expected " << static_cast<double>(expected) << ", got "
                                       << static_cast<double>(actual) << ", error "
                                       << static_cast<double>(actual - expected);
}

TEST(ProtoDateArithmetic, FloorCutsDownward)
{
    struct Row {
        const char* name;
        long double x;
        std::int64_t expected;
    };
    const Row rows[] = {
        {"negative half", -0.5L, -1},
        {"negative whole", -3.0L, -3},
        {"just below zero", -1e-12L, -1},
        {"zero", 0.0L, 0},
        {"positive fraction", 2.75L, 2},
        {"moment", 738000.25L, 738000},
        {"beyond 32 bits", 5e9L + 0.5L, 5000000000LL},
        {"negative beyond 32 bits", -5e9L - 0.5L, -5000000001LL},
    };
    for (const Row& row : rows)
        EXPECT_EQ(P::Floor(row.x), row.expected) << row.name;
}

TEST(ProtoDateArithmetic, FloorRaisesInsteadOfWrapping)
{
    EXPECT_THROW(P::Floor(std::numeric_limits<long double>::quiet_NaN()), RangeError);
    EXPECT_THROW(P::Floor(std::numeric_limits<long double>::infinity()), RangeError);
    EXPECT_THROW(P::Floor(1e19L), RangeError);
    EXPECT_THROW(P::Floor(-9223372036854775810.0L), RangeError);
    EXPECT_EQ(P::Floor(-9223372036854775808.0L), std::numeric_limits<std::int64_t>::min());
}

TEST(ProtoDateArithmetic, ModuloTakesTheSignOfTheDivisor)
{
    struct Row {
        const char* name;
        long double x, y, expected;
    };
    const Row rows[] = {
        {"negative angle", -1, 360, 359},
        {"fraction below one", 0.75L, 1, 0.75L},
        {"full turn", 360, 360, 0},
        {"several turns", 1085, 360, 5},
        {"negative fraction", -0.25L, 1, 0.75L},
        {"negative divisor", 5, -3, -1},
        {"negative both", -5, -3, -2},
    };
    for (const Row& row : rows)
        EXPECT_EQ(P::Modulo(row.x, row.y), row.expected) << row.name;
    EXPECT_EQ(P::Normalize360(-90), 270);
    EXPECT_EQ(P::Normalize360(720.5L), 0.5L);
}

TEST(ProtoDateArithmetic, IntegerModuloAndQuotient)
{
    struct Row {
        const char* name;
        std::int32_t x, y, modulo, adjusted;
    };
    // adjusted = AdjustedModulo(x, y): 1..y instead of 0..y-1.
    const Row rows[] = {
        {"multiple", 7, 7, 0, 7},
        {"one past", 8, 7, 1, 1},
        {"zero", 0, 7, 0, 7},
        {"negative", -1, 7, 6, 6},
        {"negative multiple", -14, 7, 0, 7},
        {"months", 13, 12, 1, 1},
        {"largest", std::numeric_limits<std::int32_t>::max(), 7, 1, 1},
        {"smallest", std::numeric_limits<std::int32_t>::min(), 7, 5, 5},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(P::IntModulo(row.x, row.y), row.modulo) << row.name;
        EXPECT_EQ(P::AdjustedModulo(row.x, row.y), row.adjusted) << row.name;
    }
    EXPECT_EQ(P::IntModulo(5, -3), -1);
    EXPECT_THROW(P::IntModulo(5, 0), RangeError);
    EXPECT_THROW(P::AdjustedModulo(1, std::numeric_limits<std::int32_t>::min()), RangeError);

    EXPECT_EQ(P::Quotient(7.5, 2), 3);
    EXPECT_EQ(P::Quotient(-7.5, 2), -4);
    EXPECT_EQ(P::Quotient(-6, 3), -2);
    EXPECT_THROW(P::Quotient(1e10, 1), RangeError);
}

TEST(ProtoDateArithmetic, SmallHelpers)
{
    EXPECT_EQ(P::Signum(-0.001), -1);
    EXPECT_EQ(P::Signum(0.0), 0);
    EXPECT_EQ(P::Signum(-0.0), 0);
    EXPECT_EQ(P::Signum(3.0), 1);
    EXPECT_EQ(P::DayDifference(730120, 730485), 365);
    EXPECT_EQ(P::DayDifference(730485, 730120), -365);
    EXPECT_THROW(P::DayDifference(-2, std::numeric_limits<std::int32_t>::max()), RangeError);
    EXPECT_EQ(P::HoursToDays(12), 0.5L);
    EXPECT_EQ(P::HoursToDays(-6), -0.25L);
    EXPECT_EQ(P::Angle(6, 0, 0), 6.0);
    EXPECT_DOUBLE_EQ(P::Angle(0, 50, 0), 50.0 / 60.0);
    EXPECT_DOUBLE_EQ(P::Angle(23, 26, 21.448), 23.0 + 26.0 / 60 + 21.448 / 3600);
    EXPECT_DOUBLE_EQ(P::Angle(0, 0, -46.815), -46.815 / 3600);
    EXPECT_EQ(P::J2000, static_cast<double>(TGregorian::FixedFromGregorian(2000, 1, 1) + P::HoursToDays(12)));
}

TEST(ProtoDateArithmetic, DegreeTrigonometry)
{
    constexpr long double kTol = 1e-15L;
    EXPECT_TRUE(isNear(P::SinDeg(30), 0.5L, kTol));
    EXPECT_TRUE(isNear(P::SinDeg(-390), -0.5L, kTol));
    EXPECT_TRUE(isNear(P::CosDeg(60), 0.5L, kTol));
    EXPECT_TRUE(isNear(P::CosDeg(180), -1.0L, kTol));
    EXPECT_TRUE(isNear(P::TanDeg(45), 1.0L, kTol));
    EXPECT_TRUE(isNear(P::TanDeg(-45), -1.0L, kTol));

    // The atan2 forms stay finite and exact at ±1, where a plain asin/acos of a value a hair above 1 would not.
    EXPECT_EQ(P::ArcSinDeg(1), 90.0L);
    EXPECT_EQ(P::ArcSinDeg(-1), -90.0L);
    EXPECT_EQ(P::ArcSinDeg(0), 0.0L);
    EXPECT_TRUE(isNear(P::ArcSinDeg(0.5L), 30.0L, 1e-14L));
    EXPECT_EQ(P::ArcCosDeg(1), 0.0L);
    EXPECT_EQ(P::ArcCosDeg(-1), 180.0L);
    EXPECT_TRUE(isNear(P::ArcCosDeg(0.5L), 60.0L, 1e-14L));
    EXPECT_TRUE(isNear(P::ArcCosDeg(-0.5L), 120.0L, 1e-14L));
}

TEST(ProtoDateArithmetic, ArcTangentByQuadrant)
{
    struct Row {
        const char* name;
        long double y;
        int quadrant;
        long double expected;
    };
    const Row rows[] = {
        {"first", 1, 1, 45},   {"second", -1, 2, 135}, {"third", 1, 3, 225},
        {"fourth", -1, 4, 315}, {"zero, first", 0, 1, 0}, {"zero, third", 0, 3, 180},
    };
    for (const Row& row : rows)
        EXPECT_TRUE(isNear(P::ArcTanDeg(row.y, row.quadrant), row.expected, 1e-13L)) << row.name;
}

TEST(ProtoDateSlots, AbstractOperationsRaiseOnTheBaseClasses)
{
    const TProtoDate proto;
    const TDate date;
    const std::vector<std::int32_t> fields = {2000, 1, 1};
    for (const TProtoDate* object : {&proto, static_cast<const TProtoDate*>(&date)}) {
        SCOPED_TRACE(typeid(*object).name());
        std::unique_ptr<TProtoDate> fresh = object->Create();
        EXPECT_THROW(object->IsEqual(proto), AbstractError);
        EXPECT_THROW(fresh->SetFixed(730120), AbstractError);
        EXPECT_THROW(fresh->SetFields(fields), AbstractError);
        EXPECT_THROW(object->GetFixed(), AbstractError);
        EXPECT_THROW(object->ToString(), AbstractError);
        EXPECT_THROW(object->ToLongString(), AbstractError);
        // Equals reaches the abstract IsEqual only for dates.
        EXPECT_THROW(object->Equals(date), AbstractError);
        EXPECT_FALSE(object->Equals(TLocation("GMT", 0, 0, 0, 0)));
    }
    try {
        proto.GetFixed();
        FAIL() << "GetFixed did not raise";
    } catch (const AbstractError& error) {
        EXPECT_STREQ(error.what(), "Abstract Error");
    }
}

TEST(ProtoDateSlots, CreateMakesAnEmptyObjectOfTheSameClass)
{
    const TProtoDate proto;
    const TDate date;
    const TStandardDate standard(2000, 1, 1);
    const TGregorian gregorian(2000, 1, 1);
    EXPECT_EQ(typeid(*proto.Create()), typeid(TProtoDate));
    EXPECT_EQ(typeid(*date.Create()), typeid(TDate));
    const std::unique_ptr<TProtoDate> standardCopy = standard.Create();
    const std::unique_ptr<TProtoDate> gregorianCopy = gregorian.Create();
    ASSERT_EQ(typeid(*standardCopy), typeid(TStandardDate));
    ASSERT_EQ(typeid(*gregorianCopy), typeid(TGregorian));
    const auto& g = dynamic_cast<const TGregorian&>(*gregorianCopy);
    EXPECT_EQ(g.Year, 0);
    EXPECT_EQ(g.Month, 0);
    EXPECT_EQ(g.Day, 0);
}

TEST(ProtoDateSlots, EqualsChecksTypesAsymmetrically)
{
    const TStandardDate standard(2000, 1, 1);
    const TGregorian gregorian(2000, 1, 1);
    const TGregorian otherDay(2000, 1, 2);
    const TProtoDate proto;
    const TLocation place("GMT", 0, 0, 0, 0);
    struct Row {
        const char* name;
        const TProtoDate& self;
        const TObject& other;
        bool expected;
    };
    const Row rows[] = {
        {"standard with gregorian of the same day", standard, gregorian, true},
        {"gregorian with standard of the same day", gregorian, standard, false},
        {"gregorian with itself", gregorian, gregorian, true},
        {"gregorian with another gregorian day", gregorian, otherDay, false},
        {"standard with a copy", standard, TStandardDate(2000, 1, 1), true},
        {"standard with a proto date", standard, proto, false},
        {"standard with a place", standard, place, false},
        {"gregorian with a place", gregorian, place, false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.self.Equals(row.other), row.expected) << row.name;
}

TEST(ProtoDateSlots, CrescentVisibilityIsNotSupported)
{
    const TGregorian date(2000, 1, 1);
    const TLocation place("Mecca", 21.42, 39.83, 300, 3);
    EXPECT_THROW(date.IsCrescentVisible(730120, place), NotSupportedError);
}

} // namespace
} // namespace orbiclock
