#!/usr/bin/python3
"""Draws the scanner test's two DataMatrix codes with zint from the contents in
src/packcode/scanner_test_codes.h: a bitmap of each for the window, and one
PNG sheet of both with their text for printing. With --decode, instead reads
each picture back with libdmtx and prints what it holds, escaped.
With --print, prints one code's content with its control characters as \\xHH
(for a simulated scanner). Usage: make-scanner-test-codes.py OUTDIR |
--decode OUTDIR | --print gs1|ppn"""
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HEADER = os.path.join(ROOT, "src/packcode/scanner_test_codes.h")
FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"
NAMES = {"SCANNER_TEST_GS1_CODE": "gs1", "SCANNER_TEST_PPN_CODE": "ppn"}
CONTROL = {0x04: "<EOT>", 0x1D: "<GS>", 0x1E: "<RS>"}


def contents():
    """Each #define's string literals joined, \\x escapes decoded."""
    text = open(HEADER, encoding="ascii").read().replace("\\\n", " ")
    codes = {}
    for name, body in re.findall(r"#define (SCANNER_TEST_\w+_CODE)\s+(.*)", text):
        literals = re.findall(r'"((?:[^"\\]|\\.)*)"', body)
        codes[NAMES[name]] = "".join(re.sub(r"\\x([0-9A-Fa-f]{2})", lambda m: chr(int(m.group(1), 16)), s)
                                     for s in literals)
    return codes


def shown(code):
    return "".join(CONTROL.get(ord(c), c) for c in code)


def zint_gs1(code):
    """zint's GS1 form: [AI]data, the separator implied by variable-length AIs."""
    fixed = {"01": 14, "17": 6}
    parts, rest = [], code
    while rest:
        ai = rest[:2]
        if ai in fixed:
            value, rest = rest[2:2 + fixed[ai]], rest[2 + fixed[ai]:]
        else:
            value, _, rest = rest[2:].partition("\x1d")
        parts.append("[%s]%s" % (ai, value))
    return ["--gs1", "-d", "".join(parts)]


def zint_escaped(code):
    escapes = {0x04: "\\E", 0x1D: "\\G", 0x1E: "\\R", ord("\\"): "\\\\"}
    return ["--esc", "-d", "".join(escapes.get(ord(c), c) for c in code)]


def draw(out):
    os.makedirs(out, exist_ok=True)
    codes = contents()
    sheet = []
    for name, code in codes.items():
        png = os.path.join(out, "scanner-test-%s.png" % name)
        data = zint_gs1(code) if name == "gs1" else zint_escaped(code)
        subprocess.run(["zint", "-b", "71", "--quietzones", "--scale=3", "-o", png] + data, check=True, timeout=60)
        subprocess.run(["convert", png, "-background", "white", "-alpha", "remove", "-type", "TrueColor",
                        "BMP3:" + os.path.join(out, "scanner-test-%s.bmp" % name)], check=True, timeout=60)
        big = os.path.join(out, "print-%s.png" % name)
        subprocess.run(["zint", "-b", "71", "--quietzones", "--scale=6", "-o", big] + data, check=True, timeout=60)
        sheet += [big, "(", "-size", "780x", "-font", FONT, "-pointsize", "14", "caption:" + shown(code), ")"]
    subprocess.run(["convert", "-background", "white", "-gravity", "center"] + sheet +
                   ["-append", "-bordercolor", "white", "-border", "30", "-type", "Grayscale",
                    os.path.join(out, "scanner-test.png")], check=True, timeout=60)


def decode(out):
    from contextlib import contextmanager
    from PIL import Image
    import pylibdmtx.pylibdmtx as dmtx
    plain = dmtx._decoder

    @contextmanager
    def with_gs(image, shrink):  # libdmtx drops FNC1 unless told what to write for it
        with plain(image, shrink) as decoder:
            dmtx.dmtxDecodeSetProp(decoder, dmtx.DmtxProperty.DmtxPropFnc1, 0x1D)
            yield decoder
    dmtx._decoder = with_gs
    failed = False
    for name, code in contents().items():
        for picture in ("scanner-test-%s.bmp" % name, "scanner-test.png"):
            found = [d.data.decode("latin-1").lstrip("\x1d")
                     for d in dmtx.decode(Image.open(os.path.join(out, picture)).convert("RGB"), timeout=20000)]
            print("%s %s %s %s" % (name, picture, "ok" if code in found else "FAIL", [shown(f) for f in found]))
            failed = failed or code not in found
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1] == "--print":
        print("".join("\\x%02x" % ord(c) if ord(c) < 0x20 else c for c in contents()[sys.argv[2]]))
    elif sys.argv[1] == "--decode":
        sys.exit(decode(sys.argv[2]))
    else:
        draw(sys.argv[1])
