#pragma once

#include "astro/ProtoDate.h"

#include <memory>

namespace orbiclock {

/// A date of some calendar. Adds nothing to TProtoDate; its abstract operations still raise AbstractError.
class TDate : public TProtoDate {
public:
    TDate() = default;

    /// Slot 1: a new TDate.
    std::unique_ptr<TProtoDate> Create() const override { return std::make_unique<TDate>(); }
};

} // namespace orbiclock
