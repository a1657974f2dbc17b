// SPDX-License-Identifier: MIT
// The score line and the start / game-over panel: their texts and the panel's
// visibility, changed by the rules and shown by the window.
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

#include "status.h"

namespace ui {

class StatusDisplay final : public QObject, public game::Status {
    Q_OBJECT

public:
    explicit StatusDisplay(QObject* parent = nullptr);

    void showScore(std::int32_t score) override;
    void showGameOver(std::int32_t score) override;
    void hidePanel() override;

    [[nodiscard]] const QString& scoreLine() const;  // "0p" at first
    [[nodiscard]] const QString& titleLine() const;  // "ケルバド" at first
    [[nodiscard]] const QString& resultLine() const; // empty at first
    [[nodiscard]] const QString& promptLine() const; // never changes
    [[nodiscard]] bool panelVisible() const;         // shown at first

signals:
    void scoreLineChanged(const QString& text);
    void titleLineChanged(const QString& text);
    void resultLineChanged(const QString& text);
    void panelVisibleChanged(bool visible);

private:
    // The score the score line shows, so that the showScore of every tick
    // costs a comparison, not a conversion and an allocation, while the score
    // stands still.
    std::int32_t shownScore_ = 0;
    QString scoreLine_;
    QString titleLine_;
    QString resultLine_;
    QString promptLine_;
    bool panelVisible_ = true;
};

} // namespace ui
