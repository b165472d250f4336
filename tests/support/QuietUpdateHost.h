#pragma once

// An update host with nothing to show: for tests and benchmarks that run the real pipeline without a
// window (include "support/QuietUpdateHost.h").

#include "wallpaper/UpdatePipeline.h"

namespace orbiclock::testsupport {

class QuietUpdateHost final : public UpdateHost {
public:
    void setWindowEnabled(bool) override {}
    void setStatusText(const std::string&) override {}
    void setStatusVisible(bool) override {}
    void processMessages() override {}
    void setLocationsChanged(bool) override {}
};

} // namespace orbiclock::testsupport
