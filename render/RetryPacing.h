// When to try again a creation whose GDI+ call failed: at the next chance
// first, so that one failed allocation costs one picture, then after twice as
// many chances each time, so that an allocation that keeps failing costs a
// few calls a minute rather than some in every frame.
#pragma once

#include <cstdint>

namespace render {

class RetryPacing {
public:
    static constexpr int32_t kLongestWait = 256;

    void succeeded() {
        wait_ = 0;
        countdown_ = 0;
    }
    void failed() {
        wait_ = wait_ == 0 ? 1 : (wait_ < kLongestWait ? wait_ * 2 : kLongestWait);
        countdown_ = wait_;
    }
    // Counts one chance; true when this one is to try again.
    bool due() { return countdown_ > 0 && --countdown_ == 0; }
    bool waiting() const { return wait_ != 0; }

private:
    int32_t wait_ = 0;
    int32_t countdown_ = 0;
};

}  // namespace render
