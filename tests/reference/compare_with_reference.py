#!/usr/bin/env python3
"""Converts maps with the korvale tool and with the exact reference, and fails on any byte
that differs.

    python3 tests/reference/compare_with_reference.py path/to/korvale [--maps DIR] [--jobs N]

Maps compared:
- real maps, when a folder of them sits beside the project (../shared/maps: hl/*.map with
  to-q3, q3/*.map with to-hl); skipped with a message otherwise;
- every map under tests/reference/cases/, in both directions, and a few built here (lines
  of more than 300 KB);
- deterministic random maps of both dialects, in both directions, two of them with faces
  made only of singles, halfway points between singles and decimal texts ending in 5.
"""

import argparse
import bisect
import os
import random
import subprocess
import sys
import tempfile
from concurrent.futures import ProcessPoolExecutor
from fractions import Fraction

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, HERE)
import reference_convert as ref  # noqa: E402

DIRECTIONS = ("to-q3", "to-hl")

# ---------------------------------------------------------------------------------------
# Maps built here

def long_lines_map():
    """Lines of more than 300 KB: a texture name, spaces, a digit string, a copied line."""
    big = 300 * 1024
    return b"".join([
        b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) " + b"T" * big + b" [ 1 0 0 11 ] [ 0 1 0 12 ] 13 14 15\n",
        b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) " + b"t" * big + b" 0 0 0 21 22 23 24 25\n",
        b" " * big + b"( 9 9 9 ) ( 4 5 6 ) ( 7 8 9 ) T [ 1 0 0 31 ] [ 0 1 0 32 ] 33 34 35\n",
        b"(" + b" \t" * (big // 2) + b"1 2 3 ) ( 4 5 6 )\n",
        b"( 1" + b"0" * big + b" 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t 0 0 0 1 2 3 4 5\n",
        b"( 0." + b"0" * big + b"1e" + str(big + 1).encode() + b" 2 3 ) ( 4 5 6 ) ( 7 8 9 )\n",
        b"( 1e" + b"0" * big + b"5 2 3 ) ( 4 5 6 ) ( 7 8 9 )\n",
        b"( 1.5" + b"0" * big + b"1 2 3 )\n",
        b'"_light" "' + b"0" * big + b'17 2 3 4"\n',
        b'"light" "0x' + b"0" * big + b'1F"\n',
        b'"_light" "1' + b"9" * big + b' 2 3 4"\n',
        b'"light" "-' + b"7" * big + b'"\n',
        b"// " + b"copied \x80\xff" * (big // 8) + b"\r\n",
        b"{\n",
    ])


class RandomMap:
    """Deterministic random map text that leans on the places where conversions go wrong."""

    def __init__(self, seed):
        self.r = random.Random(seed)

    def digits(self, low, high):
        r = self.r
        return "".join(r.choice("0123456789") for _ in range(r.randint(low, high)))

    def single_text(self):
        """The exact decimal text of a random single, of the halfway point to its neighbour,
        or of a value a hair to either side of that halfway point."""
        r = self.r
        exponent = r.choice([r.randint(-149, 104), r.randint(-30, 20), r.randint(-10, 2)])
        mantissa = r.randint(1 << 23, (1 << 24) - 1) if exponent > -149 else r.randint(1, (1 << 23) - 1)
        value = Fraction(mantissa) * Fraction(2) ** exponent
        kind = r.randint(0, 3)
        if kind >= 1:
            value += Fraction(2) ** exponent / 2
        if kind == 2:
            value += value / 10 ** 30
        elif kind == 3:
            value -= value / 10 ** 30
        return exact_decimal(value, r.randint(0, 3))

    def number_text(self):
        r = self.r
        sign = r.choice(["", "", "-", "+"])
        form = r.randint(0, 11)
        if form == 0:
            body = self.digits(1, 3)
        elif form == 1:
            body = self.digits(1, 5) + "." + self.digits(1, 7)
        elif form == 2:
            body = self.digits(0, 3) + "." + self.digits(0, 4) + "5"   # ends in 5: halves at each count
        elif form == 3:
            body = r.choice(["", "0"]) + "." + self.digits(1, 6)
        elif form == 4:
            body = self.digits(1, 4) + "."
        elif form == 5:
            body = self.digits(1, 6) + r.choice("eE") + r.choice(["", "+", "-"]) + self.digits(0, 2)
        elif form == 6:
            body = str(r.choice([1 << 24, 1 << 25, 1 << 26, 1 << 30, 10 ** 9]) + r.randint(-9, 9))
        elif form == 7:
            body = self.single_text()
        elif form == 8:
            body = self.digits(17, 60) + "." + self.digits(0, 60)
        elif form == 9:
            body = str(r.randint(0, 9999)) + "." + str(r.randint(0, 9)) + "5" + "0" * r.randint(0, 3)
        elif form == 10:
            body = r.choice(["1e39", "3.4028235e38", "3.40282357e38", "1e-45", "7e-46", "1e-50",
                             "1.17549435e-38", "0x10", "1,5", "inf", ".", "0", "0.0", "1e", "1e+"])
        else:
            body = self.digits(1, 2) + "." + self.digits(0, 2) + r.choice(["e-", "e", "E+"]) + self.digits(1, 2)
        return sign + body

    def integer_text(self):
        r = self.r
        sign = r.choice(["", "", "-", "+"])
        form = r.randint(0, 5)
        if form == 0:
            body = str(r.randint(0, 300))
        elif form == 1:
            body = r.choice(["0x", "0X"]) + "".join(r.choice("0123456789abcdefABCDEF") for _ in range(r.randint(0, 10)))
        elif form == 2:
            body = "0" + "".join(r.choice("012345678") for _ in range(r.randint(0, 12)))
        elif form == 3:
            body = str(r.randint(0, 1 << 40))
        elif form == 4:
            body = str(r.choice([1 << 31, (1 << 31) - 1, 1 << 32, (1 << 32) - 1, (1 << 32) + 1]))
        else:
            body = self.digits(1, 25) + r.choice(["", ".5", "x", ""])
        return sign + body

    def gap(self):
        r = self.r
        return r.choice([" ", " ", " ", "", "  ", "\t", " \t ", "\v", "\f"])

    def join(self, parts):
        return "".join(p + self.gap() for p in parts).rstrip(" ")

    def texture(self):
        r = self.r
        name = r.choice(["CRETE4_WALL01", "base_wall/concrete", "{BLUE", "!water", "+0lab", "-0tex", "~light",
                         "a" * 40, "TEX[", "T\xa0X", "common/caulk"])
        return name

    def hl_face(self):
        n = self.number_text
        parts = (["("] + [n(), n(), n()] + [")", "("] + [n(), n(), n()] + [")", "("] + [n(), n(), n()] + [")"]
                 + [self.texture(), "[", n(), n(), n(), n(), "]", "[", n(), n(), n(), n(), "]", n(), n(), n()])
        return self.join(parts)

    def q3_face(self):
        n = self.number_text
        parts = (["("] + [n(), n(), n()] + [")", "("] + [n(), n(), n()] + [")", "("] + [n(), n(), n()] + [")"]
                 + [self.texture()] + [n() for _ in range(8)])
        return self.join(parts)

    def key_line(self):
        r = self.r
        key = r.choice(["wad", "wadinclude", "mapversion", "MaxRange", "skyname", "_light", "_lighting", "light",
                        "lightJunior", "_color", "_colour", "radius", "radi", "classname", "origin", "Light",
                        "maxrange", "sk", "_l", "_co"])
        if key.startswith("_light"):
            value = " ".join(self.integer_text() for _ in range(r.randint(0, 5)))
        elif key.startswith("light"):
            value = self.integer_text() if r.random() < 0.9 else ""
        else:
            value = r.choice(["light", "0 0 0", "1 0.5 0", "220", "desert"])
        quote = '"' if r.random() < 0.95 else "'"
        return quote + key + quote + r.choice([" ", "\t", "", "  "]) + quote + value + quote

    def line(self, dialect):
        r = self.r
        roll = r.random()
        if roll < 0.55:
            text = self.hl_face() if dialect == "hl" else self.q3_face()
            if r.random() < 0.1:
                text = text[:r.randint(0, len(text))]
        elif roll < 0.75:
            text = self.key_line()
        elif roll < 0.8:
            text = self.q3_face() if dialect == "hl" else self.hl_face()
        else:
            text = r.choice(["{", "}", "", "// brush 3", "patchDef2", "brushDef", "(", ")", "( 3 3 0 0 0 )",
                             "( ( 1 2 3 0 0 ) ( 4 5 6 0.5 0 ) )", "x\x00y", "\x80\xff", "\r"])
        indent = r.choice(["", "", "", " ", "    ", "\t", "  \t"])
        end = r.choice(["\n"] * 8 + ["\r\n", "\r\r\n"])
        return (indent + text + end).encode("latin-1")

    def map(self, dialect, lines):
        return b"".join(self.line(dialect) for _ in range(lines))

    def halfway_map(self, dialect, lines):
        """Faces whose every number is a single, a halfway point between two singles or a hair
        beside one, or a decimal text that ends in 5."""
        self.number_text = lambda: self.r.choice(["", "-"]) + (
            self.single_text() if self.r.random() < 0.7 else self.digits(1, 4) + "." + self.digits(0, 3) + "5")
        self.gap = lambda: self.r.choice([" ", "\t"])
        face = self.hl_face if dialect == "hl" else self.q3_face
        return b"".join(face().encode("latin-1") + b"\n" for _ in range(lines))


def exact_decimal(value, extra_zeros):
    """The exact decimal text of a dyadic rational, sometimes in exponent form."""
    whole, rest = divmod(value, 1)
    decimals = ""
    while rest:
        rest *= 10
        digit, rest = divmod(rest, 1)
        decimals += str(digit)
    text = str(whole) + ("." + decimals if decimals else "") + "0" * (extra_zeros if decimals else 0)
    if extra_zeros == 3 and whole == 0 and decimals:
        stripped = decimals.lstrip("0")
        return "0." + stripped + "e-" + str(len(decimals) - len(stripped))
    return text

# ---------------------------------------------------------------------------------------
# Running both and comparing

def reference_output(direction, path):
    """The reference's output and, for each input line, where its output starts."""
    with open(path, "rb") as f:
        data = f.read()
    rules = ref.DIRECTIONS[direction]()
    lines = ref.read_map_lines(data)
    chunks = [ref.to_file_bytes(rules.step(ref.strip_leading_spaces(line))) for line in lines]
    starts = []
    at = 0
    for chunk in chunks:
        starts.append(at)
        at += len(chunk)
    return b"".join(chunks), starts, lines


def line_around(data, at):
    start = data.rfind(b"\n", 0, at) + 1
    end = data.find(b"\n", at)
    return data[start:len(data) if end < 0 else end + 1], data.count(b"\n", 0, at) + 1


def shorten(text, limit=300):
    return repr(text if len(text) <= limit else text[:limit] + b"...")


def compare(job):
    name, direction, path, korvale, workdir = job
    out_path = os.path.join(workdir, "%s.%s.out" % (os.path.basename(name), direction))
    run = subprocess.run([korvale, direction, path, out_path], stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE)
    if run.returncode != 0:
        return False, "%s %s: korvale exit %d: %s" % (name, direction, run.returncode,
                                                         run.stderr.decode("latin-1").strip())
    with open(out_path, "rb") as f:
        got = f.read()
    os.remove(out_path)
    try:
        expected, starts, lines = reference_output(direction, path)
    except Exception as e:
        return False, "%s %s: the reference failed: %r" % (name, direction, e)
    if got == expected:
        return True, None
    at = next((i for i, (a, b) in enumerate(zip(expected, got)) if a != b), min(len(expected), len(got)))
    expected_line, number = line_around(expected, at)
    got_line, _ = line_around(got, at)
    source = max(0, bisect.bisect_right(starts, at) - 1)
    report = ["%s %s: first difference at output byte %d, output line %d (input line %d)"
              % (name, direction, at, number, source + 1),
              "  input:    " + shorten(lines[source] if lines else b""),
              "  expected: " + shorten(expected_line),
              "  got:      " + shorten(got_line)]
    return False, "\n".join(report)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("korvale", help="the built korvale tool")
    parser.add_argument("--maps", default=os.path.join(ROOT, "..", "shared", "maps"),
                        help="folder with hl/*.map and q3/*.map (default: ../shared/maps beside the project)")
    parser.add_argument("--jobs", type=int, default=2)
    args = parser.parse_args()
    korvale = os.path.abspath(args.korvale)
    if not os.access(korvale, os.X_OK):
        print("no korvale tool at %s" % korvale)
        return 2

    with tempfile.TemporaryDirectory(prefix="korvale-reference-") as workdir:
        jobs = []
        maps = os.path.normpath(args.maps)
        real = [(os.path.join(maps, folder), direction) for folder, direction in (("hl", "to-q3"), ("q3", "to-hl"))]
        if any(os.path.isdir(folder) for folder, _ in real):
            for folder, direction in real:
                for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
                    if name.endswith(".map"):
                        jobs.append((os.path.basename(folder) + "/" + name, direction, os.path.join(folder, name)))
        else:
            print("real maps skipped: no %s/hl or %s/q3" % (maps, maps))

        cases = os.path.join(HERE, "cases")
        built = [("long_lines.map", long_lines_map())]
        for seed in (1, 2, 3):
            built.append(("random_hl_%d.map" % seed, RandomMap(seed).map("hl", 1500)))
            built.append(("random_q3_%d.map" % seed, RandomMap(100 + seed).map("q3", 1500)))
        built.append(("halfway_hl.map", RandomMap(7).halfway_map("hl", 1000)))
        built.append(("halfway_q3.map", RandomMap(8).halfway_map("q3", 1000)))
        for name, data in built:
            with open(os.path.join(workdir, name), "wb") as f:
                f.write(data)
        inputs = [("cases/" + n, os.path.join(cases, n)) for n in sorted(os.listdir(cases)) if n.endswith(".map")]
        inputs += [("built/" + n, os.path.join(workdir, n)) for n, _ in built]
        for name, path in inputs:
            for direction in DIRECTIONS:
                jobs.append((name, direction, path))

        # Biggest first, so that the two workers finish together.
        jobs.sort(key=lambda job: -os.path.getsize(job[2]))
        passed = failed = 0
        print("comparing %d real maps, %d fixture and built maps in both directions"
              % (len(jobs) - 2 * len(inputs), len(inputs)))
        work = [job + (korvale, workdir) for job in jobs]
        if args.jobs > 1:
            with ProcessPoolExecutor(max_workers=args.jobs) as pool:
                results = list(pool.map(compare, work))
        else:
            results = [compare(job) for job in work]
        for ok, report in sorted(results, key=lambda r: r[0]):
            if ok:
                passed += 1
            else:
                failed += 1
                print(report)
        print("%d passed, %d failed" % (passed, failed))
        return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
