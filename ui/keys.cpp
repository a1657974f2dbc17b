// SPDX-License-Identifier: MIT
#include "keys.h"

#include <Qt>

namespace ui {

std::optional<game::KeyCode> GameKey(int qtKey)
{
    using game::KeyCode;
    switch (qtKey) {
    case Qt::Key_Up:
        return KeyCode::Up;
    case Qt::Key_Down:
        return KeyCode::Down;
    case Qt::Key_Left:
        return KeyCode::Left;
    case Qt::Key_Right:
        return KeyCode::Right;
    case Qt::Key_Shift:
        return KeyCode::Shift;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return KeyCode::Enter;
    default:
        return std::nullopt;
    }
}

} // namespace ui
