// A random source the test decides: the numbers queued, then a value that
// makes the rules do nothing (no enemy appears, no enemy fires).
#pragma once

#include <deque>
#include <initializer_list>

#include "random.h"

namespace test {

class ScriptedRandom final : public game::RandomSource {
public:
    // 0.99 rolls 49 of 50 for a spawn and 3 of 4 for a shot: both "no".
    static constexpr float Quiet = 0.99F;

    void reseed() override {}
    float next() override
    {
        if (queued_.empty()) {
            return Quiet;
        }
        const float value = queued_.front();
        queued_.pop_front();
        return value;
    }

    void queue(std::initializer_list<float> values) { queued_.insert(queued_.end(), values); }
    [[nodiscard]] bool drained() const { return queued_.empty(); }

private:
    std::deque<float> queued_;
};

} // namespace test
