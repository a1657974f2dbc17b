#!/usr/bin/env python3
"""Writes the fuzzer's seed corpus: a few small game scripts (see script.h).

Each script starts the fuzzer near something rare: full pools, the field's
edges, extreme random numbers, keys the game does not use, lost focus. The
files are committed; run this again only after changing the script format.
"""
import pathlib

GAME_KEYS = [13, 16, 37, 38, 39, 40]
ENTER, SHIFT, LEFT, UP, RIGHT, DOWN = GAME_KEYS


def down(key):
    return bytes([(GAME_KEYS.index(key) << 4) | 0])


def up(key):
    return bytes([(GAME_KEYS.index(key) << 4) | 4])


def any_down(code):
    return bytes([7, (code >> 8) & 0xFF, code & 0xFF])


def any_up(code):
    return bytes([8, (code >> 8) & 0xFF, code & 0xFF])


def ticks(n):
    """n ticks, as few steps as it takes."""
    out = b""
    while n >= 16:
        chunk = min(n // 16, 16)
        out += bytes([((chunk - 1) << 4) | 13])
        n -= chunk * 16
    while n > 0:
        chunk = min(n, 16)
        out += bytes([((chunk - 1) << 4) | 9])
        n -= chunk
    return out


FOCUS_LOST = bytes([14])
ENTER_KEY = bytes([15])


def script(steps, draws=()):
    """The tape length in fours, the steps, then the random numbers in the
    order they are drawn, padded with 200 (no entry, no fire) to a four."""
    draws = list(draws)
    draws += [200] * (-len(draws) % 4)
    assert len(draws) <= 4 * 255
    return bytes([len(draws) // 4]) + steps + bytes(draws)


def column_byte(k):
    """The r1 byte that puts a top entry at x = 10 + 12 k."""
    b = -(-12 * k * 256 // 280)
    assert int(b / 256 * 280) == 12 * k and b < 254
    return b


def full_pools():
    # 21 top entries in columns 12 pixels apart falling straight (dx 0, dy 2),
    # none firing until the enemy pool is full; then a spawn into the full
    # pool, and every enemy firing straight down each tick until the shot
    # pool overflows. The column at x 154 later reaches the player.
    draws = []
    for t in range(1, 22):
        draws += [0, column_byte(t - 1), 128, 0]  # spawn: top, column, dx 0, dy 2
        draws += [128] * t  # no enemy fires
    for t in range(22, 32):
        draws += [0, 5, 128, 0] if t == 22 else [200]  # spawn into the full pool, then none
        draws += [0, 128, 0] * 21  # each fires: dx 0, dy 4
    return script(ENTER_KEY + ticks(256), draws)


def extremes():
    # Zero and the largest value below one in every role, in runs that shift
    # against the draws so that they meet every kind of entry and fire.
    draws = ([0] * 7 + [255] * 5 + [21, 255, 255, 255] + [16, 0, 0, 0] + [254, 0xFF, 0xFF, 0xFF]) * 20
    return script(ENTER_KEY + down(SHIFT) + ticks(300), draws)


def player_edges():
    # Into every corner with Shift held: left to 5, up to 104, right to 295,
    # down to 395, then both of a pair at once.
    steps = ENTER_KEY + down(SHIFT)
    steps += down(LEFT) + ticks(40) + up(LEFT)
    steps += down(UP) + ticks(100) + up(UP)
    steps += down(RIGHT) + ticks(64) + up(RIGHT)
    steps += down(DOWN) + ticks(100)
    steps += down(UP) + ticks(5) + up(DOWN) + up(UP)
    steps += down(LEFT) + down(RIGHT) + ticks(70)
    return script(steps)


def keys_and_focus():
    # Codes the game ignores, key-ups of keys never pressed, repeats, Enter
    # in a running game, focus lost with everything held, and Enter held.
    steps = b""
    for code in (0, 1, 12, 14, 17, 36, 41, 0x7FFF, 0x8000, 0xFFFF, 0xFFF3, 256 + 13, 65536 - 38):
        steps += any_down(code) + any_up(code)
    steps += any_up(ENTER) + up(SHIFT) + up(LEFT) + ticks(3)
    steps += ENTER_KEY + ticks(2) + ENTER_KEY + ENTER_KEY + ticks(20)
    steps += down(UP) + down(UP) + down(LEFT) + down(SHIFT) + ticks(30)
    steps += FOCUS_LOST + ticks(10) + down(SHIFT) + ENTER_KEY + ticks(10)
    steps += down(RIGHT) + ENTER_KEY + ticks(10) + up(RIGHT) + ticks(3)
    steps += any_down(SHIFT) + any_down(ENTER) + ticks(5) + any_up(SHIFT) + up(ENTER)
    for _ in range(8):
        steps += ENTER_KEY + ticks(1)  # Enter held: a fresh game every tick
    steps += ticks(400)
    return script(steps, [0, 3, 200, 0] * 30)


def long_game():
    # One game left to the game's own generator for as long as a script may
    # run; it ends when a shot finds the player, then the panel waits.
    return script(ENTER_KEY + down(SHIFT) + ticks(1024))


def halted_keys():
    # Everything but Enter while the start panel is up: nothing may move.
    steps = down(SHIFT) + down(LEFT) + down(UP) + ticks(20) + FOCUS_LOST + ticks(5)
    steps += up(LEFT) + down(RIGHT) + down(DOWN) + ticks(20) + ENTER_KEY + ticks(50)
    return script(steps)


def main():
    corpus = pathlib.Path(__file__).resolve().parent / "corpus"
    corpus.mkdir(exist_ok=True)
    for name, data in [
        ("full_pools", full_pools()),
        ("extremes", extremes()),
        ("player_edges", player_edges()),
        ("keys_and_focus", keys_and_focus()),
        ("long_game", long_game()),
        ("halted_keys", halted_keys()),
    ]:
        assert len(data) <= 1024, (name, len(data))
        (corpus / name).write_bytes(data)
        print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
