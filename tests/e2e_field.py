# SPDX-License-Identifier: MIT
# The pale cyan field in a screenshot: its size, how many of its pixels break whole N x N blocks, and how
# many colours in it are not the game's own. Usage: e2e_field.py PNG N
import re
import subprocess
import sys

png, n = sys.argv[1], int(sys.argv[2])
width = int(subprocess.run(["/usr/bin/convert", png, "-format", "%w", "info:"], capture_output=True).stdout)
raw = subprocess.run(["/usr/bin/convert", png, "-depth", "8", "rgb:-"], capture_output=True).stdout
rows = [raw[i:i + 3 * width] for i in range(0, len(raw), 3 * width)]
cyan = b"\xa0\xff\xff"
found = [(y, [m.start() // 3 for m in re.finditer(b"(?=\xa0\xff\xff)", row) if m.start() % 3 == 0])
         for y, row in enumerate(rows)]
found = [(y, xs) for y, xs in found if xs]
y0, y1 = found[0][0], found[-1][0]
x0, x1 = min(xs[0] for _, xs in found), max(xs[-1] for _, xs in found)
pixel = lambda x, y: rows[y][3 * x:3 * x + 3]
box = [(x, y) for y in range(y0, y1 + 1) for x in range(x0, x1 + 1)]
broken = sum(pixel(x, y) != pixel(x - (x - x0) % n, y - (y - y0) % n) for x, y in box)
foreign = {pixel(x, y) for x, y in box} - {cyan, b"\xff\x00\x00", b"\x00\x00\x00"}
print(f"{x1 - x0 + 1}x{y1 - y0 + 1} {broken} {len(foreign)}")
