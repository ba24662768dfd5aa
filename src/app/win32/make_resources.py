#!/usr/bin/env python3
"""Generates the tray program's icon and its Greek string resource.

The string comes from the message catalogue (log/messages.h), so the catalogue stays its
single source; the icon is drawn here, pixel by pixel.

usage: make_resources.py MESSAGES_H OUTPUT_DIR
"""
import re
import struct
import sys
from pathlib import Path


def catalogue_text(header: str, name: str) -> str:
    match = re.search(name + r"\s*=\s*((?:\"(?:[^\"\\]|\\.)*\"\s*)+);", header)
    if not match:
        raise SystemExit(f"{name} not found in the catalogue")
    text = ""
    for literal in re.findall(r"\"((?:[^\"\\]|\\.)*)\"", match.group(1)):
        i = 0
        while i < len(literal):
            c = literal[i]
            if c != "\\":
                text += c
                i += 1
                continue
            kind = literal[i + 1]
            if kind == "u":
                text += chr(int(literal[i + 2:i + 6], 16))
                i += 6
            elif kind == "U":
                text += chr(int(literal[i + 2:i + 10], 16))
                i += 10
            else:
                text += {"n": "\n", "r": "\r", "t": "\t"}.get(kind, kind)
                i += 2
    # UTF-8 written directly in the literal arrives here as its characters already.
    return text


def rc_wide_literal(text: str) -> str:
    out = ""
    for c in text:
        code = ord(c)
        if c == '"':
            out += '""'
        elif 32 <= code < 127 and c != "\\":
            out += c
        else:
            out += "\\x%04x" % code
    return 'L"' + out + '"'


def draw_icon(size: int) -> bytes:
    """32-bit BGRA rows bottom-up: a blue tile with a white receipt and a green light."""
    pixels = []
    radius = max(2, size // 6)
    for row in range(size - 1, -1, -1):
        for col in range(size):
            x, y = col + 0.5, row + 0.5
            # Rounded corners.
            cx = min(max(x, radius), size - radius)
            cy = min(max(y, radius), size - radius)
            inside = (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
            if not inside:
                pixels.append((0, 0, 0, 0))
                continue
            shade = int(90 * y / size)
            colour = (170 - shade // 2, 90 - shade // 3, 20, 255)  # B, G, R, A
            rl, rr = size * 0.30, size * 0.70
            rt, rb = size * 0.16, size * 0.84
            if rl <= x <= rr and rt <= y <= rb:
                colour = (250, 250, 250, 255)
                line = (y - rt) / (size * 0.12)
                if y > rt + size * 0.10 and line - int(line) < 0.35 and x < rr - size * 0.06 \
                        and x > rl + size * 0.06:
                    colour = (120, 110, 100, 255)
            gx, gy = size * 0.78, size * 0.78
            if (x - gx) ** 2 + (y - gy) ** 2 <= (size * 0.12) ** 2:
                colour = (80, 210, 60, 255)
            pixels.append(colour)
    body = b"".join(struct.pack("BBBB", *p) for p in pixels)
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(body) + len(mask),
                         0, 0, 0, 0)
    return header + body + mask


def make_ico(sizes) -> bytes:
    images = [draw_icon(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def write_if_changed(path: Path, data: bytes) -> None:
    if path.exists() and path.read_bytes() == data:
        return
    path.write_bytes(data)


def main() -> None:
    header = Path(sys.argv[1]).read_text(encoding="utf-8")
    out_dir = Path(sys.argv[2])
    out_dir.mkdir(parents=True, exist_ok=True)
    text = catalogue_text(header, "sTransferAttempt")
    rid = re.search(r"kTransferAttemptResourceId\s*=\s*(\d+)", header).group(1)
    lang = int(re.search(r"kTransferAttemptLanguageId\s*=\s*(\d+)", header).group(1))
    rc = ("// Generated from log/messages.h by make_resources.py; do not edit.\n"
          f"LANGUAGE {lang & 0x3FF}, {lang >> 10}\n"
          "STRINGTABLE\nBEGIN\n"
          f"  {rid}, {rc_wide_literal(text)}\n"
          "END\n")
    write_if_changed(out_dir / "meridox_strings.rc", rc.encode("ascii"))
    write_if_changed(out_dir / "meridox.ico", make_ico([16, 32, 48]))


if __name__ == "__main__":
    main()
