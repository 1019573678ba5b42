#!/usr/bin/env python3
"""Slow, exact reference of Korvale's map conversion, for comparing the tool's output against.

    python3 reference_convert.py to-q3|to-hl INPUT OUTPUT

Written apart from the engine and sharing no code with it. Numbers go through exact
rational arithmetic (fractions.Fraction): a number text is rounded to the nearest single
by hand, and a value is rendered from its exact decimal expansion. Python's own float
parsing and formatting are never used for the conversion rules; struct only turns a bit
pattern into a value.

The conversion, as this reference implements it:
- Input: a 0x1A byte ends the input; CR LF reads as LF, a CR not followed by LF stays;
  lines end after LF and are read whole, whatever their length; NUL is an ordinary byte.
- Each line loses its leading 0x20 spaces, then the direction's rules classify it by fixed
  byte tests at positions 0.. and rewrite, drop or copy it.
- Output: every LF is written as CR LF, every other byte unchanged.
"""

import re
import struct
import sys
from fractions import Fraction
from functools import lru_cache

# ---------------------------------------------------------------------------------------
# Line reading and writing

def read_map_lines(data):
    """Cuts the bytes of a map file into lines; each keeps its LF line end, if it has one."""
    end = data.find(b"\x1a")
    if end >= 0:
        data = data[:end]
    # Non-overlapping, left to right: CR CR LF becomes CR LF, a lone CR stays.
    data = data.replace(b"\r\n", b"\n")
    lines = data.split(b"\n")
    last = lines.pop()
    result = [line + b"\n" for line in lines]
    if last:
        result.append(last)
    return result


def strip_leading_spaces(line):
    return line.lstrip(b" ")


def to_file_bytes(text):
    return text.replace(b"\n", b"\r\n")

# ---------------------------------------------------------------------------------------
# Exact binary rounding

def round_to_binary(q, mantissa_bits, min_normal_exponent):
    """The nearest value m * 2^e to q >= 0 with m below 2^mantissa_bits and e no smaller than
    min_normal_exponent - (mantissa_bits - 1); halves go to the even m. No overflow check."""
    if q == 0:
        return Fraction(0)
    n, d = q.numerator, q.denominator
    exponent = n.bit_length() - d.bit_length()   # floor(log2 q) is this or one less
    if (n << max(0, -exponent)) < (d << max(0, exponent)):
        exponent -= 1
    quantum = max(exponent, min_normal_exponent) - (mantissa_bits - 1)
    scaled = q / Fraction(2) ** quantum
    m = scaled.numerator // scaled.denominator
    rest = scaled - m
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and m % 2 == 1):
        m += 1
    return m * Fraction(2) ** quantum


SINGLE_MAX = Fraction((1 << 24) - 1) * Fraction(2) ** 104


def single_from_bits(bits):
    return struct.unpack("<f", struct.pack("<I", bits))[0]


def to_single(sign_negative, magnitude):
    """The single nearest a number text's exact value; beyond the largest single it is the largest."""
    rounded = round_to_binary(magnitude, 24, -126)
    if rounded > SINGLE_MAX:
        rounded = SINGLE_MAX
    value = float(rounded)   # exact: every single is a double
    return -value if sign_negative else value


def to_double(q):
    negative = q < 0
    value = float(round_to_binary(abs(q), 53, -1022))
    return -value if negative else value

# ---------------------------------------------------------------------------------------
# Number and integer texts

WHITE_SPACE = frozenset(b"\t\n\v\f\r ")
DIGITS = frozenset(b"0123456789")
OCTAL_DIGITS = frozenset(b"01234567")
HEX_DIGITS = frozenset(b"0123456789abcdefABCDEF")

# Singles and their halfway points have far fewer significant decimal digits than this, so
# cutting a longer digit string here, with a sticky 1 standing for any nonzero rest, changes
# no rounding decision.
KEPT_DIGITS = 800


def take_number_text(line, at):
    """Returns the end of the number text starting at `at`, or None when there is none."""
    i = at
    n = len(line)
    if i < n and line[i] in b"+-":
        i += 1
    start_digits = i
    while i < n and line[i] in DIGITS:
        i += 1
    digits = i - start_digits
    if i < n and line[i] == ord("."):
        j = i + 1
        while j < n and line[j] in DIGITS:
            j += 1
        fraction_digits = j - i - 1
        if digits or fraction_digits:
            i = j
            digits += fraction_digits
    if digits == 0:
        return None
    if i < n and line[i] in b"eE":
        i += 1
        if i < n and line[i] in b"+-":
            i += 1
        while i < n and line[i] in DIGITS:
            i += 1
    return i


@lru_cache(maxsize=None)
def number_text_value(text):
    """The single-precision value of a number text that take_number_text accepted."""
    negative = text[:1] == b"-"
    body = text.lstrip(b"+-")
    exponent = 0
    for mark in (b"e", b"E"):
        if mark in body:
            body, exponent_text = body.split(mark, 1)
            exponent_negative = exponent_text[:1] == b"-"
            exponent_digits = exponent_text.lstrip(b"+-").lstrip(b"0")
            if len(exponent_digits) > 12:
                exponent = 10 ** 15   # far beyond either end of the range
            else:
                exponent = int(exponent_digits or b"0")
            if exponent_negative:
                exponent = -exponent
            break
    whole, _, fraction = body.partition(b".")
    digits = (whole + fraction).lstrip(b"0")
    exponent -= len(fraction)
    if not digits:
        return -0.0 if negative else 0.0
    kept, rest = digits[:KEPT_DIGITS], digits[KEPT_DIGITS:]
    mantissa = int(kept)
    exponent += len(rest)
    if rest.strip(b"0"):
        mantissa = mantissa * 10 + 1
        exponent -= 1
    magnitude_order = len(str(mantissa)) + exponent   # value < 10^magnitude_order
    if magnitude_order > 41:
        return to_single(negative, SINGLE_MAX * 2)
    if magnitude_order < -47:
        return -0.0 if negative else 0.0
    return to_single(negative, mantissa * Fraction(10) ** exponent)


def take_integer_text(line, at):
    """Returns (end, value) of the integer text starting at `at`, or None when there is none."""
    i = at
    n = len(line)
    negative = False
    if i < n and line[i] in b"+-":
        negative = line[i] == ord("-")
        i += 1
    if i + 1 < n and line[i] == ord("0") and line[i + 1] in b"xX":
        base, allowed = 16, HEX_DIGITS
        i += 2
    elif i < n and line[i] == ord("0"):
        base, allowed = 8, OCTAL_DIGITS
    else:
        base, allowed = 10, DIGITS
    start = i
    while i < n and line[i] in allowed:
        i += 1
    if i == start:
        return None
    value = 0
    for chunk in range(start, i, 1000):   # int() refuses very long decimal texts whole
        digits = line[chunk:min(i, chunk + 1000)]
        value = (value * base ** len(digits) + int(digits, base)) % (1 << 32)
    if negative:
        value = (-value) % (1 << 32)
    if value >= 1 << 31:
        value -= 1 << 32
    return i, value

# ---------------------------------------------------------------------------------------
# Scanning a line against a read template

@lru_cache(maxsize=None)
def read_steps(template):
    """A read template as steps: ("space",), ("char", byte) or ("item", "f" | "i" | "s")."""
    steps = []
    t = 0
    while t < len(template):
        c = template[t]
        if c in WHITE_SPACE:
            while t < len(template) and template[t] in WHITE_SPACE:
                t += 1
            steps.append(("space", None))
        elif c == ord("%"):
            kind = chr(template[t + 1])
            if kind not in "fis":
                raise ValueError("unknown item in read template")
            steps.append(("item", kind))
            t += 2
        else:
            steps.append(("char", c))
            t += 1
    return tuple(steps)


def scan(line, template, fields):
    """Fills fields (a list) in template order from the line, for the "%f" and "%i" items,
    until the line stops fitting the template; fields not reached keep their values."""
    i = 0
    field = 0
    n = len(line)
    for step, what in read_steps(template):
        if step == "char":
            if i >= n or line[i] != what:
                return
            i += 1
            continue
        while i < n and line[i] in WHITE_SPACE:
            i += 1
        if step == "space":
            continue
        if what == "f":
            end = take_number_text(line, i)
            if end is None:
                return
            fields[field] = number_text_value(line[i:end])
            field += 1
            i = end
        elif what == "i":
            taken = take_integer_text(line, i)
            if taken is None:
                return
            i, fields[field] = taken
            field += 1
        else:
            start = i
            while i < n and line[i] not in WHITE_SPACE:
                i += 1
            if i == start:
                return

# ---------------------------------------------------------------------------------------
# Rendering values into a write template

@lru_cache(maxsize=None)
def render_fixed(value, decimals):
    """A double with `decimals` decimals: its exact decimal expansion is first cut to 17
    significant digits, then to the decimals, both times rounding halves up."""
    if value == 0:
        return "0" + ("." + "0" * decimals if decimals else "")
    magnitude = abs(Fraction(value))
    # order: 10^order <= magnitude < 10^(order + 1)
    order = len(str(magnitude.numerator)) - len(str(magnitude.denominator))
    while Fraction(10) ** order > magnitude:
        order -= 1
    while Fraction(10) ** (order + 1) <= magnitude:
        order += 1
    eighteen = magnitude * Fraction(10) ** (17 - order)
    eighteen = eighteen.numerator // eighteen.denominator       # first 18 significant digits
    seventeen = eighteen // 10 + (1 if eighteen % 10 >= 5 else 0)
    cut = seventeen * Fraction(10) ** (order - 16)
    scaled = cut * 10 ** decimals
    rounded = scaled.numerator // scaled.denominator
    if scaled - rounded >= Fraction(1, 2):
        rounded += 1
    whole, fraction = divmod(rounded, 10 ** decimals)
    text = str(whole)
    if decimals:
        text += "." + str(fraction).rjust(decimals, "0")
    return ("-" if value < 0 else "") + text


WRITE_ITEMS = {b"%i": "i", b"%s": "s", b"%f": 6, b"%.0f": 0, b"%.1f": 1, b"%.3f": 3}


@lru_cache(maxsize=None)
def write_pieces(template):
    """A write template as pieces: literal bytes, "i", "s", or a number of decimals."""
    pieces = []
    for piece in re.split(rb"(%\.[013]f|%[fis])", template):
        if piece in WRITE_ITEMS:
            pieces.append(WRITE_ITEMS[piece])
        elif b"%" in piece:
            raise ValueError("unknown item in write template")
        elif piece:
            pieces.append(piece)
    return tuple(pieces)


def render(template, values):
    """Writes a template: %.1f %.0f %.3f %f take doubles, %i an int, %s bytes."""
    out = []
    v = iter(values)
    for piece in write_pieces(template):
        if isinstance(piece, bytes):
            out.append(piece)
        elif piece == "i":
            out.append(str(next(v)).encode())
        elif piece == "s":
            out.append(next(v))
        else:
            out.append(render_fixed(next(v), piece).encode())
    return b"".join(out)

# ---------------------------------------------------------------------------------------
# Templates

HL_FACE_IN = b"( %f %f %f ) ( %f %f %f ) ( %f %f %f ) %s [ %f %f %f %f ] [ %f %f %f %f ] %f %f %f"
Q3_FACE_OUT = (b"( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) base_wall/concrete 0 0 0"
               b" %.0f %.0f %.0f %.0f %.0f\n")
Q3_FACE_IN = b"( %f %f %f ) ( %f %f %f ) ( %f %f %f ) %s %f %f %f %f %f %f %f %f"
HL_FACE_OUT = (b"( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) ( %.1f %.1f %.1f ) CRETE4_WALL01"
               b" [ 0 0 0 %.3f ] [ 0 0 0 %.3f ] %.0f %.0f %.0f\n")
HL_LIGHT_IN = b'"_light" "%i %i %i %i"'
Q3_LIGHT_OUT = b'"light" "%i"\n'
Q3_COLOR_OUT = b'"_color" "%f %f %f"\n'
Q3_RADIUS_OUT = b'"radius" "%i"\n'
HL_LIGHT_OUT = b'"_light" "255 255 255 %i"\n'
COPY_LINE = b"%s"

COLOR_FACTOR = single_from_bits(0x3B808081)   # the single nearest 1/255


def starts_at(line, position, letters):
    """True when the line holds `letters` from `position` on, compared byte for byte."""
    return line[position:position + len(letters)] == letters

# ---------------------------------------------------------------------------------------
# Half-Life to Quake 3

class HlToQ3:
    def __init__(self):
        # 9 point coordinates, U axis x y z, U offset, V axis x y z, V offset, rotation,
        # U scale, V scale; the texture name is consumed and never kept.
        self.face = [0.0] * 20
        self.light = [0, 0, 0, 0]   # red, green, blue, brightness

    def step(self, line):
        if starts_at(line, 0, b"("):
            scan(line, HL_FACE_IN, self.face)
            f = self.face
            # The five texture values go to numbers 4 to 8 of the Quake 3 face.
            return render(Q3_FACE_OUT, f[0:9] + [f[12], f[16], f[17], f[18], f[19]])
        # Keys are matched from position 1 by their first letters only: the opening quote is
        # never compared, and longer keys ("wadinclude", "_lighting") are caught too.
        if (starts_at(line, 1, b"wad") or starts_at(line, 1, b"mapv")
                or starts_at(line, 1, b"MaxR") or starts_at(line, 1, b"sky")):
            return b""
        if starts_at(line, 1, b"_light"):
            scan(line, HL_LIGHT_IN, self.light)
            red, green, blue, brightness = self.light
            colour = [to_double(Fraction(c) * Fraction(COLOR_FACTOR)) for c in (red, green, blue)]
            return (render(Q3_LIGHT_OUT, [brightness]) + render(Q3_COLOR_OUT, colour)
                    + render(Q3_RADIUS_OUT, [brightness]))
        return render(COPY_LINE, [line])

# ---------------------------------------------------------------------------------------
# Quake 3 to Half-Life

class Q3ToHl:
    def __init__(self):
        self.face = [0.0] * 17   # 9 point coordinates, numbers 1 to 8
        self.light = [0]

    def step(self, line):
        if starts_at(line, 0, b"("):
            scan(line, Q3_FACE_IN, self.face)
            f = self.face
            # Offsets, rotation and scales come from numbers 4 to 8; numbers 1 to 3 are dropped.
            return render(HL_FACE_OUT, f[0:9] + f[12:17])
        if starts_at(line, 1, b"radi") or starts_at(line, 1, b"_col"):
            return b""
        if starts_at(line, 1, b"light"):
            scan(line, Q3_LIGHT_OUT, self.light)
            return render(HL_LIGHT_OUT, self.light)
        return render(COPY_LINE, [line])

# ---------------------------------------------------------------------------------------

DIRECTIONS = {"to-q3": HlToQ3, "to-hl": Q3ToHl}


def convert_bytes(direction, data):
    rules = DIRECTIONS[direction]()
    out = [rules.step(strip_leading_spaces(line)) for line in read_map_lines(data)]
    return to_file_bytes(b"".join(out))


def main(argv):
    if len(argv) != 4 or argv[1] not in DIRECTIONS:
        sys.stderr.write("usage: reference_convert.py to-q3|to-hl INPUT OUTPUT\n")
        return 2
    try:
        with open(argv[2], "rb") as f:
            data = f.read()
    except OSError as e:
        sys.stderr.write("cannot read %s: %s\n" % (argv[2], e.strerror))
        return 1
    with open(argv[3], "wb") as f:
        f.write(convert_bytes(argv[1], data))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
