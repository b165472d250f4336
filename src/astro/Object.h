#pragma once

namespace orbiclock {

/// The root of the date classes and the place object: something `TProtoDate::Equals` can be asked
/// about. It has no state; the virtual destructor makes type checks with dynamic_cast possible.
class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;
};

} // namespace orbiclock
