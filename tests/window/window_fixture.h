// A fresh game window on the headless platform, with scripted random numbers,
// and small helpers to send it keys and read its pixels.
#pragma once

#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QString>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "colour.h"
#include "form1.h"
#include "scripted_random.h"

namespace test {

// "rgb(r,g,b)": readable in a failure message, and alpha never matters.
inline std::string Rgb(QRgb rgb)
{
    return "rgb(" + std::to_string(qRed(rgb)) + "," + std::to_string(qGreen(rgb)) + "," +
           std::to_string(qBlue(rgb)) + ")";
}
// The same for a game colour, 0x00BBGGRR.
inline std::string RgbOf(game::Colour colour)
{
    return "rgb(" + std::to_string(game::RedOf(colour)) + "," + std::to_string(game::GreenOf(colour)) + "," +
           std::to_string(game::BlueOf(colour)) + ")";
}
inline std::string RgbAt(const QImage& image, int x, int y)
{
    return Rgb(image.pixel(x, y));
}

inline QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest()
    {
        auto random = std::make_unique<ScriptedRandom>();
        random_ = random.get();
        form_ = std::make_unique<ui::Form1>(std::move(random));
    }

    ui::Form1& form() { return *form_; }
    const game::GameState& state() { return form_->state(); }
    ScriptedRandom& random() { return *random_; }

    // Delivered the way the platform delivers keys: straight to the window.
    bool press(int key, bool autoRepeat = false, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        return send(QEvent::KeyPress, key, autoRepeat, modifiers);
    }
    bool release(int key, bool autoRepeat = false, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        return send(QEvent::KeyRelease, key, autoRepeat, modifiers);
    }
    // Whether the window took the event.
    bool send(QEvent::Type type, int key, bool autoRepeat, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
        QCoreApplication::sendEvent(form_.get(), &event);
        return event.isAccepted();
    }

    void startGame()
    {
        press(Qt::Key_Return);
        release(Qt::Key_Return);
        ASSERT_FALSE(state().halted);
    }

    void ticks(int count)
    {
        for (int i = 0; i < count; ++i) {
            form_->Timer1_Timer();
        }
    }

    QImage grab() { return form_->grab().toImage(); }

private:
    ScriptedRandom* random_ = nullptr;
    std::unique_ptr<ui::Form1> form_;
};

} // namespace test
