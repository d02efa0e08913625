#!/usr/bin/env python3
"""Writes COUNT generated application bundles into HOME/Applications, each
with an icon of its own (a rounded square in two colours) of SIZE pixels, and
with --desktop-entries a matching .desktop entry in HOME/data/applications
naming the same icon, for launchers that read those.

usage: make_bundles.py COUNT HOME [--icon-size SIZE] [--desktop-entries]
"""
import argparse, colorsys, os, struct, zlib

parser = argparse.ArgumentParser()
parser.add_argument("count", type=int)
parser.add_argument("home")
parser.add_argument("--icon-size", type=int, default=512)
parser.add_argument("--desktop-entries", action="store_true")
options = parser.parse_args()
count, home, size = options.count, options.home, options.icon_size
adjectives = ["Swift", "Bright", "Quiet", "Rapid", "Clever", "Solar", "Lunar", "Amber", "Crystal", "Silver",
              "Golden", "Hidden", "Open", "Little", "Grand", "Smart", "Deep", "Simple", "Urban", "Wild"]
nouns = ["Studio", "Notes", "Mail", "Photos", "Music", "Terminal", "Editor", "Browser", "Maps", "Calendar",
         "Player", "Reader", "Monitor", "Viewer", "Console"]

def png(size, seed):
    # A rounded square in two colours of its own: every icon differs.
    r1, g1, b1 = (int(c * 255) for c in colorsys.hsv_to_rgb((seed * 37 % 360) / 360, 0.8, 0.95))
    r2, g2, b2 = (int(c * 255) for c in colorsys.hsv_to_rgb(((seed * 37 + 60) % 360) / 360, 1.0, 0.55))
    inset, radius = size * 3 // 64, size * 13 // 64
    rows = []
    for y in range(size):
        t = y / size
        colour = bytes((int(r1 + (r2 - r1) * t), int(g1 + (g2 - g1) * t), int(b1 + (b2 - b1) * t), 255))
        dy = max(inset + radius - y, y - (size - 1 - inset - radius), 0)
        if y < inset or y > size - 1 - inset:
            rows.append(b"\0" + bytes(4 * size))
            continue
        half = radius - int((radius * radius - min(dy, radius) ** 2) ** 0.5) if dy else 0
        left, right = inset + half, size - inset - half
        rows.append(b"\0" + bytes(4 * left) + colour * (right - left) + bytes(4 * (size - right)))
    raw = b"".join(rows)
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))

for i in range(count):
    name = "%s %s %d" % (adjectives[(i // len(nouns)) % len(adjectives)], nouns[i % len(nouns)], i)
    contents = os.path.join(home, "Applications", name + ".app", "Contents")
    os.makedirs(os.path.join(contents, "Resources"), exist_ok=True)
    os.makedirs(os.path.join(contents, "MacOS"), exist_ok=True)
    with open(os.path.join(contents, "Info.plist"), "w") as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>\n'
                "<key>CFBundleIdentifier</key><string>org.tessellon.peer.app%d</string>\n"
                "<key>CFBundleName</key><string>%s</string>\n"
                "<key>CFBundleExecutable</key><string>run</string>\n"
                "<key>CFBundleIconFile</key><string>AppIcon.png</string>\n"
                "<key>CFBundlePackageType</key><string>APPL</string>\n</dict></plist>\n" % (i, name))
    icon = os.path.join(contents, "Resources", "AppIcon.png")
    with open(icon, "wb") as f:
        f.write(png(size, i))
    if not options.desktop_entries:
        continue
    os.makedirs(os.path.join(home, "data", "applications"), exist_ok=True)
    with open(os.path.join(home, "data", "applications", "peer-app%d.desktop" % i), "w") as f:
        f.write("[Desktop Entry]\nType=Application\nName=%s\nExec=true\nIcon=%s\nCategories=Utility;\n" % (name, icon))
