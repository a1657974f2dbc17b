// The window's timer and keyboard under pressure: ticks that overrun their
// 50 ms must not be made up for afterwards by a burst of ticks, and keys that
// pile up between two ticks must all be handled, in order, before the next.
#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "window_fixture.h"

namespace test {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::duration<double, std::milli>;

// Times every running tick: reseed() is the first thing a tick asks of its
// random source. The next `slowTicks` ticks take 80 ms longer than they
// should, as if drawing had stalled. The numbers are always the quiet ones:
// no enemy ever appears, so the game never ends under the test.
class TimedRandom final : public game::RandomSource {
public:
    static constexpr auto SlowBy = std::chrono::milliseconds(80);

    struct Tick {
        Clock::time_point start;
        bool slow;
    };

    void reseed() override
    {
        const bool slow = slowTicks > 0;
        ticks.push_back({Clock::now(), slow});
        if (slow) {
            --slowTicks;
            std::this_thread::sleep_for(SlowBy);
        }
    }
    float next() override { return ScriptedRandom::Quiet; }

    int slowTicks = 0;
    std::vector<Tick> ticks;
};

TEST(TimerTest, OverrunTicksAreNotMadeUpWithABurst)
{
    auto owned = std::make_unique<TimedRandom>();
    TimedRandom& random = *owned;
    ui::Form1 form(std::move(owned));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(&form, &enter);
    ASSERT_FALSE(form.state().halted);

    // A few ordinary ticks, then eight slow ones, then ordinary ones again,
    // all in an event loop of the kind the program runs.
    constexpr std::size_t Ordinary = 5;
    constexpr int SlowCount = 8;
    constexpr std::size_t FastAfter = 20;
    std::size_t firstFast = 0; // the first tick after the last slow one
    QEventLoop loop;
    // The end of each tick: its frame is presented last of all.
    std::vector<Clock::time_point> ends;
    QObject::connect(&form.playField(), &ui::PlayField::presented, &loop, [&] {
        ends.push_back(Clock::now());
        const std::size_t done = random.ticks.size();
        if (done == Ordinary) {
            random.slowTicks = SlowCount;
        } else if (done > Ordinary && random.slowTicks == 0 && firstFast == 0) {
            firstFast = done; // this was the last slow tick
        } else if (firstFast != 0 && done >= firstFast + FastAfter) {
            loop.quit();
        }
    });
    QTimer::singleShot(10000, &loop, [&loop] { loop.exit(1); });
    ASSERT_EQ(loop.exec(), 0) << "not enough ticks within 10 s: " << random.ticks.size();
    ASSERT_EQ(ends.size(), random.ticks.size()) << "every tick presents a frame";
    ASSERT_EQ(std::count_if(random.ticks.begin(), random.ticks.end(), [](const auto& t) { return t.slow; }),
              SlowCount);
    ASSERT_TRUE(random.ticks[firstFast - 1].slow);
    ASSERT_FALSE(random.ticks[firstFast].slow);

    // The pause between each tick's end and the next one's start. Right after
    // an overrun the timer is already due, so one tick may follow at once;
    // a second and a third in a row would be the timer catching up on the
    // ticks it missed, a burst of frames drawn faster than the game's pace.
    constexpr double BackToBackMs = 3.0;
    std::ostringstream timeline;
    int longestRun = 0;
    int run = 0;
    for (std::size_t i = firstFast; i < random.ticks.size(); ++i) {
        const double pause = Ms(random.ticks[i].start - ends[i - 1]).count();
        const double interval = Ms(random.ticks[i].start - random.ticks[i - 1].start).count();
        timeline << "tick " << i - firstFast << ": " << interval << " ms after the last one started, "
                 << pause << " ms after it ended\n";
        run = pause < BackToBackMs ? run + 1 : 0;
        longestRun = std::max(longestRun, run);
    }
    EXPECT_LE(longestRun, 1) << "ticks back to back after the slow ones:\n" << timeline.str();

    // The same seen as a count: within 200 ms of the last slow tick's end,
    // at most the one tick due at once and four at the normal pace.
    const Clock::time_point slowEnd = ends[firstFast - 1];
    const auto soon =
        std::count_if(random.ticks.begin() + static_cast<std::ptrdiff_t>(firstFast), random.ticks.end(),
                      [&](const auto& t) { return t.start - slowEnd <= std::chrono::milliseconds(200); });
    EXPECT_LE(soon, 5) << timeline.str();
}

// A burst of key events: queued while no event is being handled, then all
// handled at once before the next tick.
class KeyBurstTest : public WindowTest {
protected:
    struct KeyEvent {
        int key;
        bool press;
        bool autoRepeat;
    };

    // The flags, in the order up, down, left, right, fire.
    using Flags = std::array<bool, 5>;

    static Flags FlagsOf(const game::GameState& s)
    {
        return {static_cast<bool>(s.upHeld), static_cast<bool>(s.downHeld), static_cast<bool>(s.leftHeld),
                static_cast<bool>(s.rightHeld), static_cast<bool>(s.fireHeld)};
    }

    static std::string Show(const Flags& flags)
    {
        std::string out;
        const char names[] = "UDLRF";
        for (std::size_t i = 0; i < flags.size(); ++i) {
            out += flags[i] ? names[i] : '-';
        }
        return out;
    }

    // Which flag a key holds, or -1.
    static int FlagIndex(int key)
    {
        switch (key) {
        case Qt::Key_Up:
            return 0;
        case Qt::Key_Down:
            return 1;
        case Qt::Key_Left:
            return 2;
        case Qt::Key_Right:
            return 3;
        case Qt::Key_Shift:
            return 4;
        default:
            return -1;
        }
    }

    // Queues the events for the window the way the platform does, with the
    // modifiers that the Shift presses so far imply.
    void post(const std::vector<KeyEvent>& events)
    {
        bool shift = static_cast<bool>(state().fireHeld);
        for (const KeyEvent& e : events) {
            if (e.key == Qt::Key_Shift) {
                shift = e.press;
            }
            Qt::KeyboardModifiers modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
            if (e.key == Qt::Key_Enter) {
                modifiers |= Qt::KeypadModifier;
            }
            QCoreApplication::postEvent(&form(),
                                        new QKeyEvent(e.press ? QEvent::KeyPress : QEvent::KeyRelease, e.key,
                                                      modifiers, QString(), e.autoRepeat));
        }
    }

    // The flags that the events leave, from `flags`: a press sets its key's
    // flag and a release clears it, except a release that is only part of
    // an auto-repeat; Enter lets go of the four arrows.
    static Flags Expected(Flags flags, const std::vector<KeyEvent>& events)
    {
        for (const KeyEvent& e : events) {
            if (const int index = FlagIndex(e.key); index >= 0) {
                if (e.press || !e.autoRepeat) {
                    flags[static_cast<std::size_t>(index)] = e.press;
                }
            } else if (e.press && (e.key == Qt::Key_Return || e.key == Qt::Key_Enter)) {
                flags[0] = flags[1] = flags[2] = flags[3] = false;
            }
        }
        return flags;
    }

    // One tick moves the player by what the flags say: left before right,
    // up before down, never past the limits.
    void expectOneTickMoves(const Flags& flags)
    {
        const int x = state().playerX.value();
        const int y = state().playerY.value();
        const int dx = flags[2] && x > 5 ? -5 : flags[3] && x < 295 ? 5 : 0;
        const int dy = flags[0] && y > 105 ? -3 : flags[1] && y < 395 ? 3 : 0;
        form().Timer1_Timer();
        EXPECT_EQ(state().playerX.value(), x + dx) << Show(flags);
        EXPECT_EQ(state().playerY.value(), y + dy) << Show(flags);
    }

    std::mt19937 rng_{20240611};

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
};

TEST_F(KeyBurstTest, EachFlagEndsAsTheLastEventOfItsKeySays)
{
    startGame();
    // The five game keys, and keys the game ignores mixed in.
    const int keys[] = {Qt::Key_Up,    Qt::Key_Down, Qt::Key_Left,    Qt::Key_Right,
                        Qt::Key_Shift, Qt::Key_A,    Qt::Key_Control, Qt::Key_Space};
    for (int round = 0; round < 60; ++round) {
        std::vector<KeyEvent> burst(static_cast<std::size_t>(10 + pick(190)));
        for (KeyEvent& e : burst) {
            e = {keys[pick(8)], pick(2) == 0, false};
        }
        const Flags before = FlagsOf(state());
        const Flags expected = Expected(before, burst);
        post(burst);
        ASSERT_EQ(Show(FlagsOf(state())), Show(before)) << "the burst must still be queued";
        QCoreApplication::processEvents();
        ASSERT_EQ(Show(FlagsOf(state())), Show(expected))
            << "round " << round << ", " << burst.size() << " events";
        expectOneTickMoves(expected);
        ASSERT_EQ(Show(FlagsOf(state())), Show(expected)) << "a tick reads the flags, never changes them";
        ASSERT_FALSE(state().halted);
    }
}

TEST_F(KeyBurstTest, AutoRepeatAndEnterInABurstCountInTheirOrder)
{
    startGame();
    const int keys[] = {Qt::Key_Up,    Qt::Key_Down, Qt::Key_Left,   Qt::Key_Right,  Qt::Key_Shift,
                        Qt::Key_Space, Qt::Key_F1,   Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter};
    // A pair cut in two by a tick: its press opens the next burst.
    std::vector<KeyEvent> carried;
    int cut = 0;
    for (int round = 0; round < 60; ++round) {
        std::vector<KeyEvent> burst = std::move(carried);
        carried.clear();
        const int count = 10 + pick(150);
        for (int i = 0; i < count; ++i) {
            const int key = keys[pick(10)];
            switch (pick(4)) {
            case 0: // an auto-repeat pair, as a held key sends it
                burst.push_back({key, false, true});
                burst.push_back({key, true, true});
                break;
            case 1:
                burst.push_back({key, false, false});
                break;
            default:
                burst.push_back({key, true, false});
                break;
            }
        }
        // Now and then the burst ends halfway through a held key's repeat:
        // the key is still down when the tick comes.
        if (pick(2) == 0) {
            const int key = keys[pick(5)];
            burst.push_back({key, true, false});
            burst.push_back({key, false, true});
            carried.push_back({key, true, true});
            ++cut;
        }
        const Flags before = FlagsOf(state());
        const Flags expected = Expected(before, burst);
        post(burst);
        ASSERT_EQ(Show(FlagsOf(state())), Show(before)) << "the burst must still be queued";
        QCoreApplication::processEvents();
        ASSERT_EQ(Show(FlagsOf(state())), Show(expected))
            << "round " << round << ", " << burst.size() << " events";
        expectOneTickMoves(expected);
        ASSERT_FALSE(state().halted);
    }
    EXPECT_GT(cut, 10) << "too few repeats cut by a tick to say anything";
}

// Bursts arriving while the window's own timer runs: whatever ticks happen in
// between, the flags always end as the last events said.
TEST_F(KeyBurstTest, BurstsBetweenRealTicksAreNeverLost)
{
    startGame();
    const int keys[] = {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right, Qt::Key_Shift, Qt::Key_Space};
    for (int round = 0; round < 20; ++round) {
        std::vector<KeyEvent> burst(static_cast<std::size_t>(5 + pick(60)));
        for (KeyEvent& e : burst) {
            e = {keys[pick(6)], pick(2) == 0, false};
        }
        const Flags expected = Expected(FlagsOf(state()), burst);
        post(burst);
        QTest::qWait(20 + pick(60)); // one tick or two on the way
        ASSERT_EQ(Show(FlagsOf(state())), Show(expected)) << "round " << round;
        ASSERT_FALSE(state().halted);
    }
}

} // namespace
} // namespace test
