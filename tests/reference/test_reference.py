#!/usr/bin/env python3
"""Checks the reference itself against worked values of the conversion rules, so that the
differential test compares the tool with something known to be right."""

import os
import sys
import unittest
from fractions import Fraction

sys.dont_write_bytecode = True   # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import reference_convert as ref  # noqa: E402


def single(text):
    return ref.number_text_value(text)


def exact(value):
    return Fraction(value)


class LineReading(unittest.TestCase):
    def test_line_ends_and_end_of_input(self):
        cases = [
            (b"", []),
            (b"\n", [b"\n"]),
            (b"a\r\nb", [b"a\n", b"b"]),
            (b"a\r\r\nb\r", [b"a\r\n", b"b\r"]),
            (b"a\rb\n", [b"a\rb\n"]),
            (b"a\nb\x1ac\nd\n", [b"a\n", b"b"]),
            (b"a\r\x1a\n", [b"a\r"]),
            (b"\x1aa\n", []),
            (b"n\x00ul\n", [b"n\x00ul\n"]),
        ]
        for data, lines in cases:
            with self.subTest(data=data):
                self.assertEqual(ref.read_map_lines(data), lines)

    def test_only_spaces_are_stripped(self):
        self.assertEqual(ref.strip_leading_spaces(b"   ( 1\n"), b"( 1\n")
        self.assertEqual(ref.strip_leading_spaces(b"  \t  x\n"), b"\t  x\n")
        self.assertEqual(ref.strip_leading_spaces(b"    \n"), b"\n")

    def test_output_line_ends(self):
        self.assertEqual(ref.convert_bytes("to-q3", b"a\r\r\nb\rc\nd"), b"a\r\r\nb\rc\r\nd")


class NumberTexts(unittest.TestCase):
    def test_values_read(self):
        cases = [
            (b"0.1", Fraction(13421773, 2 ** 27)),
            (b"12.34", Fraction(12340000152587890625, 10 ** 18)),
            (b"16777216", 16777216),
            (b"16777217", 16777216),     # halfway, to even
            (b"16777218", 16777218),
            (b"16777219", 16777220),     # halfway, to even
            (b"33554436", 33554436),
            (b"1e2", 100),
            (b"+.5", Fraction(1, 2)),
            (b"5.", 5),
            (b"-.5e1", -5),
            (b"1e", 1),
            (b"1e+", 1),
            (b"3e2", 300),
            (b"1e39", ref.SINGLE_MAX),
            (b"-1e39", -ref.SINGLE_MAX),
            (b"1" + b"0" * 5000, ref.SINGLE_MAX),
            (b"1e-46", 0),
            (b"1e-45", Fraction(1, 2 ** 149)),
            (b"7.0064923216240854e-46", Fraction(1, 2 ** 149)),  # just above half the smallest
            (b"7.0064923216240853e-46", 0),                       # just below it
            (b"7.00649232162408535461864791644958065640130970938257885878534141944895541342930300"
             b"743319094181060791015625e-46", 0),                 # exactly half, to even
            (b"1.1754942e-38", Fraction(2 ** 23 - 1, 2 ** 149)),  # largest subnormal
            (b"0." + b"0" * 3000 + b"5e3000", Fraction(1, 2)),
            (b"1.00000005960464477539062500000000000000000000000000000000000000001", 1 + Fraction(1, 2 ** 23)),
            (b"1.000000059604644775390625", 1),                    # exact half, to even
            (b"1e99999999999999999999999", ref.SINGLE_MAX),
            (b"1e-99999999999999999999999", 0),
        ]
        for text, value in cases:
            with self.subTest(text=text[:40]):
                self.assertEqual(exact(single(text)), value)

    def test_negative_zero(self):
        for text in (b"-0", b"-0.0", b"-0e5", b"-1e-60"):
            with self.subTest(text=text):
                self.assertEqual(str(single(text)), "-0.0")

    def test_extent_of_number_texts(self):
        cases = [(b"0x10", 1), (b"1,5", 1), (b"5.", 2), (b"1e", 2), (b"1e+x", 3), (b"-.5e1 ", 5),
                 (b"inf", None), (b"nan", None), (b".", None), (b"-", None), (b"+.e1", None)]
        for text, end in cases:
            with self.subTest(text=text):
                self.assertEqual(ref.take_number_text(text, 0), end)

    def test_integer_texts(self):
        cases = [(b"0x12c", 300), (b"0X12C", 300), (b"0300", 192), (b"010", 8), (b"08", 0),
                 (b"-5", -5), (b"+7", 7), (b"4294967297", 1), (b"2147483648", -2147483648),
                 (b"-2147483649", 2147483647), (b"300.5", 300), (b"09", 0), (b"0x", None),
                 (b"0x ", None), (b"-", None), (b"x1", None),
                 # 2^32 divides 10^n for n >= 32: these wrap to -1 and 0.
                 (b"1" + b"9" * 5000, -1), (b"-1" + b"0" * 40, 0)]
        for text, value in cases:
            with self.subTest(text=text):
                taken = ref.take_integer_text(text, 0)
                self.assertEqual(None if taken is None else taken[1], value)


class Rendering(unittest.TestCase):
    def test_fixed_decimals(self):
        cases = [
            (0.25, 1, "0.3"), (0.25, 0, "0"), (0.5, 0, "1"), (2.5, 0, "3"), (-0.5, 0, "-1"),
            (0.0625, 3, "0.063"), (0.5, 3, "0.500"),
            (single(b"0.05"), 1, "0.1"), (single(b"0.35"), 1, "0.3"), (single(b"12.34"), 1, "12.3"),
            (single(b"9.96"), 1, "10.0"), (-0.0, 1, "0.0"), (single(b"-0.04"), 1, "-0.0"),
            (single(b"-0.4"), 0, "-0"), (single(b"1e20"), 1, "100000002004087730000.0"),
            (float(ref.SINGLE_MAX), 0, "340282346638528860000000000000000000000"),
            (1.0000000591389834880828857421875, 6, "1.000000"),
            (0.501960813999176025390625, 6, "0.501961"),
            (0.0039215688593685626983642578125, 6, "0.003922"),
            # The double 0.15 is 0.1499999999999999944...: its 17 digits stay below the half.
            (0.15, 1, "0.1"),
            # Digits beyond the 17th significant one are cut, rounding up, and written as 0.
            (1e17 + 48, 0, "100000000000000050"),
            (float(Fraction(1, 2 ** 149)), 6, "0.000000"),
            (-float(Fraction(1, 2 ** 149)), 1, "-0.0"),
        ]
        for value, decimals, text in cases:
            with self.subTest(value=value, decimals=decimals):
                self.assertEqual(ref.render_fixed(value, decimals), text)

    def test_colour_factor(self):
        self.assertEqual(exact(ref.COLOR_FACTOR), Fraction(0x808081, 2 ** 31))


class Scanning(unittest.TestCase):
    def scan(self, line, template, count):
        fields = ["old"] * count
        ref.scan(line, template, fields)
        return fields

    def test_spacing_and_stops(self):
        face = b"( %f %f %f ) ( %f %f %f )"
        self.assertEqual(self.scan(b"(64 -64 64)(64\t64 \v64)", face, 6), [64, -64, 64, 64, 64, 64])
        self.assertEqual(self.scan(b"( 1 2 0x10 ) ( 4 5 6 )", face, 6), [1, 2, 0, "old", "old", "old"])
        self.assertEqual(self.scan(b" ( 1 2 3 )", face, 6), ["old"] * 6)

    def test_token_and_light_keys(self):
        self.assertEqual(self.scan(b"( 1 ) T\xa0X[ 2 ]", b"( %f ) %s [ %f ]", 2), [1, "old"])
        self.assertEqual(self.scan(b"( 1 ) T\vX [ 2 ]", b"( %f ) %s [ %f ]", 2), [1, "old"])
        for line in (b'"light"\t"300"', b'"light""300"', b'"light" "300"'):
            self.assertEqual(self.scan(line, ref.Q3_LIGHT_OUT, 1), [300])
        self.assertEqual(self.scan(b'"light" "  77"', ref.Q3_LIGHT_OUT, 1), [77])

    def test_nul_is_an_ordinary_byte(self):
        self.assertEqual(self.scan(b"( 1 2\x003 )", b"( %f %f %f )", 3), [1, 2, "old"])
        self.assertEqual(self.scan(b"( 1 ) A\x00B [ 2 ]", b"( %f ) %s [ %f ]", 2), [1, 2])


def run(direction, lines):
    return ref.convert_bytes(direction, b"\n".join(lines) + b"\n").split(b"\r\n")[:-1]


class HalfLifeToQuake3(unittest.TestCase):
    def test_faces_carry_fields_over(self):
        out = run("to-q3", [
            b"( -64 -64 64 ) ( 64 -64 64 ) ( 64 64 64 ) CRETE4_WALL01 [ 1 0 0 16 ] [ 0 -1 0 -8 ] 90 2 1",
            b"( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) CRETE4_WALL01 0 0 0 1 1",
            b"(brush)",
            b"\t( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) T [ 1 0 0 16 ] [ 0 -1 0 -8 ] 90 2 1",
            b"   ( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) T [ 1 0 0 0.5 ] [ 0 1 0 -0.5 ] 0 0.25 0.5 trailing",
        ])
        self.assertEqual(out, [
            b"( -64.0 -64.0 64.0 ) ( 64.0 -64.0 64.0 ) ( 64.0 64.0 64.0 ) base_wall/concrete 0 0 0 16 -8 90 2 1",
            b"( 0.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) ( 1.0 0.0 0.0 ) base_wall/concrete 0 0 0 16 -8 90 2 1",
            b"( 0.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) ( 1.0 0.0 0.0 ) base_wall/concrete 0 0 0 16 -8 90 2 1",
            b"\t( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) T [ 1 0 0 16 ] [ 0 -1 0 -8 ] 90 2 1",
            b"( 1.0 2.0 3.0 ) ( 4.0 5.0 6.0 ) ( 7.0 8.0 9.0 ) base_wall/concrete 0 0 0 1 -1 0 0 1",
        ])

    def test_first_partial_face_starts_from_zero(self):
        self.assertEqual(run("to-q3", [b"( 5"]),
                         [b"( 5.0 0.0 0.0 ) ( 0.0 0.0 0.0 ) ( 0.0 0.0 0.0 ) base_wall/concrete 0 0 0 0 0 0 0 0"])

    def test_lights(self):
        light = [b'"light" "300"', b'"_color" "1.000000 0.501961 0.000000"', b'"radius" "300"']
        out = run("to-q3", [b'"_light" "255 128 0 300"', b'"_lighting" "1"', b"'_light' '0 0 255 200'",
                            b'"_light" "0 0 255"', b'"_light" "0xff 0x80 0 0x12c"', b'"_light" "1 1 1 0200"',
                            b'"_light" "1 1 1 09"'])
        self.assertEqual(out, light * 3 + [
            b'"light" "300"', b'"_color" "0.000000 0.000000 1.000000"', b'"radius" "300"',
        ] + light + [
            b'"light" "128"', b'"_color" "0.003922 0.003922 0.003922"', b'"radius" "128"',
            b'"light" "0"', b'"_color" "0.003922 0.003922 0.003922"', b'"radius" "0"',
        ])

    def test_colour_of_large_and_negative_values(self):
        out = run("to-q3", [b'"_light" "-255 2147483647 0x80000000 1"'])
        self.assertEqual(out[1], b'"_color" "-1.000000 8421504.996078 -8421505.000000"')

    def test_drops_and_copies(self):
        lines = [b'"wad" "x"', b'"wadinclude" "x"', b'"mapversion" "220"', b'"MaxRange" "4096"',
                 b'"skyname" "d"', b"[wad]", b'"maxrange" "1"', b'"MAPVERSION" "1"', b'"light" "1"',
                 b'"_color" "1 1 1"', b'\t"wad" "x"', b"", b"{", b'"wa"', b"x"]
        self.assertEqual(run("to-q3", lines), lines[6:])


class Quake3ToHalfLife(unittest.TestCase):
    def test_faces(self):
        out = run("to-hl", [
            b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 0 0 0 0.5 0.5 0 0 0",
            b"( 12.34 0 0 ) ( 1 0 0 ) ( 0 1 0 ) base_wall/concrete 0 0 0 16 -8 90 1 1",
            b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 1 2 3 4 5",
            b"( 3 3 0 0 0 )",
            b"( ( 1 0 0 ) )",
        ])
        self.assertEqual(out, [
            b"( 0.0 0.0 0.0 ) ( 1.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) CRETE4_WALL01 [ 0 0 0 0.500 ] [ 0 0 0 0.500 ] 0 0 0",
            b"( 12.3 0.0 0.0 ) ( 1.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) CRETE4_WALL01 [ 0 0 0 16.000 ] [ 0 0 0 -8.000 ] 90 1 1",
            b"( 0.0 0.0 0.0 ) ( 1.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) CRETE4_WALL01 [ 0 0 0 4.000 ] [ 0 0 0 5.000 ] 90 1 1",
            b"( 3.0 3.0 0.0 ) ( 1.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) CRETE4_WALL01 [ 0 0 0 4.000 ] [ 0 0 0 5.000 ] 90 1 1",
            b"( 3.0 3.0 0.0 ) ( 1.0 0.0 0.0 ) ( 0.0 1.0 0.0 ) CRETE4_WALL01 [ 0 0 0 4.000 ] [ 0 0 0 5.000 ] 90 1 1",
        ])

    def test_keys(self):
        out = run("to-hl", [b'"light" "300"', b'"light" "300.5"', b'"light" "0x12C"', b'"light" "0300"',
                            b'"light" "-50"', b'"light" ""', b'"lightJunior" "7"', b'"radius" "64"',
                            b'"_colour" "1 0 0"', b'"_color" "1 0 0"', b'"Light" "5"', b'"classname" "light"',
                            b'"_light" "1 2 3 4"', b'"rad" "1"'])
        self.assertEqual(out, [b'"_light" "255 255 255 %d"' % v for v in (300, 300, 300, 192, -50, -50, -50)]
                         + [b'"Light" "5"', b'"classname" "light"', b'"_light" "1 2 3 4"', b'"rad" "1"'])

    def test_first_light_without_value_is_zero(self):
        self.assertEqual(run("to-hl", [b'"light" "x"']), [b'"_light" "255 255 255 0"'])


if __name__ == "__main__":
    unittest.main()
