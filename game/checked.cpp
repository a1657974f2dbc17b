// SPDX-License-Identifier: MIT
#include "checked.h"

#include <cmath>

namespace game {

Integer Int(double v)
{
    const double floored = std::floor(v);
    if (!(floored >= std::numeric_limits<std::int16_t>::min() &&
          floored <= std::numeric_limits<std::int16_t>::max())) {
        RaiseFault("arithmetic overflow: value out of range");
    }
    return Integer(static_cast<std::int16_t>(floored));
}

} // namespace game
