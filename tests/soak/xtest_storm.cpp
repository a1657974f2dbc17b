// A storm of key presses and releases sent to the X server through XTEST, as
// if a keyboard were being hammered: the game's keys, both Enter keys (rarely,
// so that games get to run) and keys the game ignores, in a seeded random
// order at a steady rate. Every key it presses it releases again, at the
// latest when it stops (after the time given, or on SIGTERM / SIGINT).
//
//   xtest_storm [--seconds S] [--rate EVENTS-A-SECOND] [--seed N]
//               [--enter-per-second E] [--max-held K]
//
// Talks to $DISPLAY. At the end prints one line of counts, with how many of
// its keys the server still has down after the last release. Exit status 0
// when it ran its course, 1 when it could not start, 3 when the display went
// away, 4 when a key stayed down.
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int /*signal*/)
{
    stopRequested = 1;
}

struct Key {
    const char* name;
    xcb_keysym_t keysym;
    bool gameKey; // the program must hear it: missing from the keymap is an error
    bool enter;
    xcb_keycode_t keycode = 0;
    bool held = false;
};

std::vector<Key> StormKeys()
{
    return {
        {"Up", 0xff52, true, false},         {"Down", 0xff54, true, false},
        {"Left", 0xff51, true, false},       {"Right", 0xff53, true, false},
        {"Shift_L", 0xffe1, true, false},    {"Shift_R", 0xffe2, true, false},
        {"Return", 0xff0d, true, true},      {"KP_Enter", 0xff8d, true, true},
        {"space", 0x0020, false, false},     {"a", 0x0061, false, false},
        {"z", 0x007a, false, false},         {"Control_L", 0xffe3, false, false},
        {"Alt_L", 0xffe9, false, false},     {"F1", 0xffbe, false, false},
        {"Escape", 0xff1b, false, false},    {"Tab", 0xff09, false, false},
        {"BackSpace", 0xff08, false, false}, {"KP_5", 0xffb5, false, false},
    };
}

struct Options {
    double seconds = 10.0;
    double rate = 400.0;
    std::uint64_t seed = 1;
    double enterPerSecond = 0.5;
    std::size_t maxHeld = 5;
};

std::optional<Options> ParseOptions(std::span<char*> args)
{
    Options options;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string_view name = args[i];
        if (i + 1 >= args.size()) {
            return std::nullopt;
        }
        const char* value = args[++i];
        char* end = nullptr;
        errno = 0;
        if (name == "--seconds") {
            options.seconds = std::strtod(value, &end);
        } else if (name == "--rate") {
            options.rate = std::strtod(value, &end);
        } else if (name == "--seed") {
            options.seed = std::strtoull(value, &end, 0);
        } else if (name == "--enter-per-second") {
            options.enterPerSecond = std::strtod(value, &end);
        } else if (name == "--max-held") {
            options.maxHeld = std::strtoul(value, &end, 0);
        } else {
            return std::nullopt;
        }
        if (errno != 0 || end == value || *end != '\0') {
            return std::nullopt;
        }
    }
    if (!(options.seconds > 0) || !(options.rate > 0) || options.enterPerSecond < 0 || options.maxHeld == 0) {
        return std::nullopt;
    }
    return options;
}

// Fills in each key's keycode from the server's keymap; false if one of the
// game's keys has none.
bool FindKeycodes(xcb_connection_t* connection, std::vector<Key>& keys)
{
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto cookie = xcb_get_keyboard_mapping(connection, setup->min_keycode, count);
    xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(connection, cookie, nullptr);
    if (reply == nullptr) {
        std::fprintf(stderr, "xtest_storm: cannot read the keymap\n");
        return false;
    }
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply);
    const int perCode = reply->keysyms_per_keycode;
    const int length = xcb_get_keyboard_mapping_keysyms_length(reply);
    bool complete = true;
    for (Key& key : keys) {
        // The unshifted column first: that is the key a person would press.
        for (int column = 0; column < perCode && key.keycode == 0; ++column) {
            for (int index = column; index < length; index += perCode) {
                if (syms[index] == key.keysym) {
                    key.keycode = static_cast<xcb_keycode_t>(setup->min_keycode + index / perCode);
                    break;
                }
            }
        }
        if (key.keycode == 0) {
            std::fprintf(stderr, "xtest_storm: no key for %s in the keymap%s\n", key.name,
                         key.gameKey ? "" : " (left out)");
            complete = complete && !key.gameKey;
        }
    }
    std::free(reply); // NOLINT(cppcoreguidelines-no-malloc): xcb replies come from malloc
    std::erase_if(keys, [](const Key& key) { return key.keycode == 0; });
    return complete;
}

// A round trip: everything sent so far has been handled by the server.
bool Sync(xcb_connection_t* connection)
{
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    const bool ok = reply != nullptr;
    std::free(reply); // NOLINT(cppcoreguidelines-no-malloc)
    return ok && xcb_connection_has_error(connection) == 0;
}

struct Counts {
    std::uint64_t presses = 0;
    std::uint64_t releases = 0;
    std::uint64_t enters = 0;
};

void Send(xcb_connection_t* connection, Key& key, bool press, Counts& counts)
{
    xcb_test_fake_input(connection, press ? XCB_KEY_PRESS : XCB_KEY_RELEASE, key.keycode, XCB_CURRENT_TIME,
                        XCB_NONE, 0, 0, 0);
    key.held = press;
    if (press) {
        ++counts.presses;
        counts.enters += key.enter ? 1 : 0;
    } else {
        ++counts.releases;
    }
}

std::uint64_t Now()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000U + static_cast<std::uint64_t>(now.tv_nsec);
}

void SleepUntil(std::uint64_t deadline)
{
    const timespec until{static_cast<time_t>(deadline / 1'000'000'000U),
                         static_cast<long>(deadline % 1'000'000'000U)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR && stopRequested == 0) {
    }
}

// How many of the keys the server itself still has down.
std::uint64_t KeysDown(xcb_connection_t* connection, const std::vector<Key>& keys)
{
    xcb_query_keymap_reply_t* reply =
        xcb_query_keymap_reply(connection, xcb_query_keymap(connection), nullptr);
    if (reply == nullptr) {
        return keys.size();
    }
    std::uint64_t down = 0;
    for (const Key& key : keys) {
        down += (reply->keys[key.keycode / 8] >> (key.keycode % 8)) & 1U;
    }
    std::free(reply); // NOLINT(cppcoreguidelines-no-malloc)
    return down;
}

// One step of the storm: let go of a held key, or press one that is up.
void Step(xcb_connection_t* connection, std::vector<Key>& keys, const Options& options, std::mt19937_64& rng,
          Counts& counts)
{
    std::vector<Key*> held;
    std::vector<Key*> upEnter;
    std::vector<Key*> upOther;
    for (Key& key : keys) {
        (key.held ? held : key.enter ? upEnter : upOther).push_back(&key);
    }
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const bool release = !held.empty() && (held.size() >= options.maxHeld || unit(rng) < 0.5 ||
                                           (upEnter.empty() && upOther.empty()));
    if (release) {
        Send(connection, *held[std::uniform_int_distribution<std::size_t>(0, held.size() - 1)(rng)], false,
             counts);
        return;
    }
    // About half the events are presses, so this makes Enter come at the
    // rate asked for on average.
    const double enterChance = options.enterPerSecond / (options.rate / 2);
    std::vector<Key*>& pool =
        (!upEnter.empty() && (unit(rng) < enterChance || upOther.empty())) ? upEnter : upOther;
    Send(connection, *pool[std::uniform_int_distribution<std::size_t>(0, pool.size() - 1)(rng)], true,
         counts);
}

} // namespace

int main(int argc, char** argv)
{
    const std::optional<Options> options = ParseOptions(std::span(argv, static_cast<std::size_t>(argc)));
    if (!options) {
        std::fprintf(stderr, "usage: xtest_storm [--seconds S] [--rate EVENTS-A-SECOND] [--seed N]\n"
                             "                   [--enter-per-second E] [--max-held K]\n");
        return 1;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection) != 0) {
        std::fprintf(stderr, "xtest_storm: cannot open the display\n");
        xcb_disconnect(connection);
        return 1;
    }
    const xcb_query_extension_reply_t* xtest = xcb_get_extension_data(connection, &xcb_test_id);
    std::vector<Key> keys = StormKeys();
    if (xtest == nullptr || xtest->present == 0) {
        std::fprintf(stderr, "xtest_storm: the server has no XTEST extension\n");
        xcb_disconnect(connection);
        return 1;
    }
    if (!FindKeycodes(connection, keys)) {
        xcb_disconnect(connection);
        return 1;
    }

    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    std::mt19937_64 rng(options->seed);
    Counts counts;
    const auto interval = static_cast<std::uint64_t>(1e9 / options->rate);
    const std::uint64_t start = Now();
    const auto end = start + static_cast<std::uint64_t>(options->seconds * 1e9);
    bool lost = false;
    for (std::uint64_t step = 0; stopRequested == 0; ++step) {
        const std::uint64_t due = start + step * interval;
        if (due >= end) {
            break;
        }
        SleepUntil(due);
        Step(connection, keys, *options, rng, counts);
        xcb_flush(connection);
        // Now and then wait for the server to catch up, so that a slow server
        // gets a storm at its own pace rather than an ever longer queue.
        if (step % 64 == 63 && !Sync(connection)) {
            lost = true;
            break;
        }
    }
    std::uint64_t heldAtEnd = 0;
    if (!lost) {
        for (Key& key : keys) {
            if (key.held) {
                Send(connection, key, false, counts);
            }
        }
        lost = !Sync(connection);
        if (!lost) {
            heldAtEnd = KeysDown(connection, keys);
        }
    }
    const double elapsed = static_cast<double>(Now() - start) / 1e9;
    std::printf("storm: %.1f s, %llu events (%llu presses, %llu releases, %llu of them Enter), "
                "%.0f events/s, keys held at the end: %llu\n",
                elapsed, static_cast<unsigned long long>(counts.presses + counts.releases),
                static_cast<unsigned long long>(counts.presses),
                static_cast<unsigned long long>(counts.releases),
                static_cast<unsigned long long>(counts.enters),
                static_cast<double>(counts.presses + counts.releases) / elapsed,
                static_cast<unsigned long long>(heldAtEnd));
    xcb_disconnect(connection);
    if (lost) {
        std::fprintf(stderr, "xtest_storm: the display went away\n");
        return 3;
    }
    if (heldAtEnd != 0) {
        std::fprintf(stderr, "xtest_storm: the server still has %llu of the keys down\n",
                     static_cast<unsigned long long>(heldAtEnd));
        return 4;
    }
    return 0;
}
