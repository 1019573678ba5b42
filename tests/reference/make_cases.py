"""Writes the fixture maps under cases/ (see cases/README.md). Run it again after changing it:
    python3 tests/reference/make_cases.py
"""
import os

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "cases")
os.makedirs(out, exist_ok=True)

def w(name, lines, eol=b"\n", final=True):
    data = eol.join(lines) + (eol if final else b"")
    open(os.path.join(out, name), "wb").write(data)

def hlface(p, tex=b"TEX", u=b"1 0 0 0", v=b"0 -1 0 0", rest=b"0 1 1"):
    return b"( %s ) ( %s ) ( %s ) %s [ %s ] [ %s ] %s" % (p[0], p[1], p[2], tex, u, v, rest)

def q3face(p, tex=b"tex", nums=b"0 0 0 0.5 0.5 0 0 0"):
    return b"( %s ) ( %s ) ( %s ) %s %s" % (p[0], p[1], p[2], tex, nums)

# Number texts, each in a point coordinate (one decimal), an offset and a scale.
number_texts = [
    b"0", b"-0", b"+0", b"-0.0", b"0.0", b"1e", b"1e+", b"1E-", b"-1e", b"0x10", b".5", b"5.", b"+.5", b"-.5e1",
    b"1e2", b"-1.5E-1", b"12.34", b"9.96", b"-0.04", b"-0.4", b"0.05", b"0.35", b"0.45", b"0.25", b"0.75",
    b"-0.25", b"-0.05", b"0.5", b"1.5", b"2.5", b"-0.5", b"-2.5", b"0.49999997", b"0.0625", b"0.1875",
    b"-0.0625", b"0.0005", b"-0.0005", b"-0.0004", b"1.0625", b"16777216", b"16777217", b"16777218",
    b"16777219", b"33554436", b"33554438", b"123456789", b"1e20", b"1e38", b"3.4028235e38", b"3.4028236e38",
    b"1e39", b"-1e39", b"1e-45", b"1.4e-45", b"-1e-45", b"1e-46", b"7.0064923216240854e-46", b"-7.0064923216240854e-46",
    b"-7.0064923216240853e-46", b"-7.00649232162408535461864791644958065640130970938257885878534141944895541342930300"
    b"743319094181060791015625e-46", b"-1.5e-45", b"-2.1e-45",
    b"1.1754942e-38", b"1.17549435e-38", b"0." + b"0" * 60 + b"1e60", b"1" + b"0" * 400,
    b"-" + b"9" * 200 + b"e-190", b"0" * 300 + b"3", b"1.000000059604644775390625",
    b"1.0000000596046447753906250001", b"1e999999999999999999", b"1e-999999999999999999",
    b"000.000e000", b"4294967297", b"inf", b"nan", b".", b"-", b"1,5", b"2147483648.5",
]
hl = []
q3 = []
for i, t in enumerate(number_texts):
    hl.append(hlface([t + b" 0 0", b"0 " + t + b" 0", b"0 0 " + t], u=b"1 0 0 " + t, v=b"0 -1 0 " + t,
                     rest=t + b" " + t + b" " + t))
    # Rebuild the carried-over state between cases with a clean face.
    hl.append(hlface([b"%d 1 2" % i, b"3 4 5", b"6 7 8"], u=b"1 0 0 %d" % i, v=b"0 1 0 -%d" % i,
                     rest=b"%d 1 1" % (i * 3)))
    q3.append(q3face([t + b" 0 0", b"0 " + t + b" 0", b"0 0 " + t], nums=b" ".join([t] * 8)))
    q3.append(q3face([b"%d 1 2" % i, b"3 4 5", b"6 7 8"], nums=b"0 0 0 %d -%d %d 1 1" % (i, i, i * 3)))
w("hl_numbers.map", [b"{", b'"classname" "worldspawn"'] + [b"{"] + hl + [b"}", b"}"])
w("q3_numbers.map", [b"// entity 0", b"{", b'"classname" "worldspawn"'] + [b"{"] + q3 + [b"}", b"}"])

# Faces that fit their templates only in part: fields carry over from the line before, and the
# first one of the file starts from zero.
w("hl_partial_faces.map", [
    b"( 5", b"(", b"( 1 2 3 ) ( 4 5", b"(brush)",
    hlface([b"-64 -64 64", b"64 -64 64", b"64 64 64"], tex=b"CRETE4_WALL01", u=b"1 0 0 16", v=b"0 -1 0 -8", rest=b"90 2 1"),
    b"( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) CRETE4_WALL01 0 0 0 1 1",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX[ 1 0 0 5 ] [ 0 1 0 6 ] 7 8 9",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7 8 9 // trailing comment",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ]",
    b"(64 -64 64)(64 64 64)(1 2 3)TEX [1 0 0 3][0 1 0 4]5 6 7",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) {BLUE!~+0tex-" + b"x" * 60 + b" [ 1 0 0 11 ] [ 0 1 0 12 ] 13 14 15",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) T\xa0\xffX [ 1 0 0 21 ] [ 0 1 0 22 ] 23 24 25",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) T\x0bX [ 1 0 0 31 ] [ 0 1 0 32 ] 33 34 35",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) T\x0cX [ 1 0 0 41 ] [ 0 1 0 42 ] 43 44 45",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 0.25 ] [ 0 1 0 0.75 ] 0.5 0.25 1.5",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 0x10 ] [ 0 1 0 6 ] 7 8 9",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 1,5 ] [ 0 1 0 6 ] 7 8 9",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX ( 1 0 0 2 ) [ 0 1 0 6 ] 7 8 9",
    b" ( 9 9 9 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7 8 9",
    b"\t( 9 9 9 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7 8 9",
    b"  \t( 9 9 9 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7 8 9",
    b"( 1 1 1 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7 8 9 ",
    b"(\t1\v1\f1\r) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7 8 9",
    b"( 2 2 2 ) ( 2 2 2 ) ( 3 3 3 ) TEX [ 1 0 0 5 ] [ 0 1 0 6 ] 7 8",
], final=False)

w("q3_partial_faces.map", [
    b"( 0 0 0 ) ( 0 1 0 )", b"(", b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) tex 1 2 3 4 5",
    q3face([b"1 1 1", b"2 2 2", b"3 3 3"], tex=b"base_wall/concrete", nums=b"0 0 0 16 -8 90 1 1"),
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 1 2 3 4 5",
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 1 2 3 4 5 6 7 8 9 10",
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 1 2 3 4 5 134217728 0 0",
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 0 0 0 0.0625 -0.0625 0.5 1.5 2.5",
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 0 0 0 0.0005 -0.0005 -0.5 -1.5 -2.5",
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 0 0 0 0.0004 -0.0004 0.49999997 -0.49999997 -0.4",
    b"( 12.34 -12.34 0.05 ) ( -0.05 0.25 -0.25 ) ( 0.45 0.35 9.96 ) tex 0 0 0 0.1 0.2 0.3 0.4 0.6",
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) common/caulk\xa0x 0 0 0 11 12 13 14 15",
    b"( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 0 0 0 11 12 inf 14 15",
    b"\t( 0 0 0 ) ( 1 0 0 ) ( 0 1 0 ) tex 0 0 0 1 1 1 1 1",
    b"   ( 7 7 7 ) ( 1 0 0 ) ( 0 1 0 ) tex 0 0 0 21 22 23 24 25",
], eol=b"\r\n")

# Key lines of both directions; run in each direction, every prefix rule gets its turn.
light_values = [b"255 128 0 300", b"0xff 0x80 0 0x12c", b"0XFF 0X80 0 0X12C", b"255 255 255 0200",
                b"255 255 255 09", b"0 0 255", b"1 2", b"", b"x", b"4294967297 2147483648 -2147483649 99999999999999999999",
                b"-255 -128 -1 -300", b"+7 +0x10 -0x10 -010", b"0x 1 2 3", b"0xFFFFFFFFFF 0x80000000 0x7fffffff 1",
                b"2147483647 2147483647 2147483647 2147483647", b"1 1 1 300.5", b"  77   88\t99\t100  ",
                b"200 100 50 250 extra"]
keys = []
for v in light_values:
    keys += [b'"_light" "%s"' % v, b'"light" "%s"' % v.split(b" ")[-1]]
keys += [
    b'"_light""1 2 3 4"', b'"_light"\t"5 6 7 8"', b"'_light' '0 0 255 200'", b'"_lighting" "1"', b'"_ligh" "1"',
    b'"_l" "1"', b'_light "1 2 3 4"', b'"light"\t"300"', b'"light""301"', b'"light" "  77"', b'"lightJunior" "7"',
    b'"light" "0x12C"', b'"light" "0300"', b'"light" "-50"', b'"light" ""', b'"ligh" "1"', b'"Light" "5"',
    b'"LIGHT" "5"', b'"classname" "light"', b'"wad" "\\quake\\gfx.wad;x.wad"', b'"wadinclude" "x"', b'"wa" "x"',
    b'"mapversion" "220"', b'"mapv" "1"', b'"map" "1"', b'"MAPVERSION" "1"', b'"MaxRange" "4096"', b'"MaxR" "1"',
    b'"Max" "1"', b'"maxrange" "1"', b'"skyname" "desert"', b'"sky" "x"', b'"sk" "x"', b'"Skyname" "x"',
    b'"_color" "1 0.5 0"', b'"_colour" "1 0 0"', b'"_col" "1"', b'"_co" "1"', b'"radius" "64"', b'"radi" "1"',
    b'"rad" "1"', b"[wad]", b"xwad", b"x_light 1 2 3 4", b"xlight", b"xradi", b"x_col", b"w", b"", b'"',
    b'\t"wad" "x"', b'\t"_light" "1 2 3 4"', b'\t"light" "1"', b'   "wad" "x"', b'  "_light" "9 9 9 9"',
    b'  "light" "9"', b"  ", b"\t", b"{", b"}", b"// comment", b'"origin" "0 0 0"',
    b'"_light" "1 2 3 4"',
]
w("keys.map", keys)

# Block forms of the Quake 3 dialect: patches and brush primitives.
w("q3_blocks.map", [
    b"// entity 0", b"{", b'"classname" "worldspawn"', b"// brush 0", b"{", b"brushDef", b"{",
    b"( 0 0 64 ) ( 64 0 64 ) ( 0 64 64 ) ( ( 0.015625 0 0 ) ( 0 0.015625 0 ) ) base_wall/c 0 0 0",
    b"( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) ( ( 0.015625 0 0.5 ) ( 0 0.015625 -0.25 ) ) base_wall/c 134217728 0 0",
    b"}", b"}", b"// brush 1", b"{", b"patchDef2", b"{", b"base_wall/patch", b"( 3 3 0 0 0 )", b"(",
    b"( ( -64 0 0 0 0 ) ( 0 0 0 0.5 0 ) ( 64 0 0 1 0 ) )",
    b"( ( -64 64 0 0 0.5 ) ( 0 64 32 0.5 0.5 ) ( 64 64 0 1 0.5 ) )",
    b"( ( -64 128 0 0 1 ) ( 0 128 0 0.5 1 ) ( 64 128 0 1 1 ) )", b")", b"}", b"}",
    b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) tex 0 0 0 1 2 3 4 5", b"( 3 3 0 0 0 )",
    b"( ( -64 0 0 0 0 ) ( 0 0 0 0.5 0 ) ( 64 0 0 1 0 ) )", b"}",
    b"{", b'"classname" "light"', b'"origin" "0 0 64"', b'"light" "300"', b'"_color" "1 0.5 0"', b"}",
])

# Bytes: CR CR LF, lone CRs, NULs, tabs and an end-of-input mark in the middle.
w("bytes.map", [
    b"{\r\n", b"\"classname\" \"worldspawn\"\r\r\n", b"lone\rCR inside\n", b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) T [ 1 0 0 1 ] [ 0 1 0 2 ] 3 4 5\r\r\n",
    b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) tex 0 0 0 1 2 3 4 5\r\r\n", b"\r\n", b"\r\r\r\n", b"\r", b"\n", b"  \r\n",
    b"n\x00ul in a copied line\n", b"( 1 2\x003 ) ( 4 5 6 ) ( 7 8 9 ) T [ 1 0 0 1 ] [ 0 1 0 2 ] 3 4 5\n",
    b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) T\x00X [ 1 0 0 1 ] [ 0 1 0 2 ] 3 4 5\n",
    b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) t\x00x 0 0 0 1 2 3 4 5\n", b"\x00\n", b'"_light" "1 2\x00 3 4"\n',
    b'"light" "\x00300"\n', b'"\x00wad" "x"\n', b"\x80\x81\xfe\xff bytes\n",
    b"\t(\t1\t2\t3\t)\t(\t4 5 6 ) ( 7 8 9 ) T [ 1 0 0 1 ] [ 0 1 0 2 ] 3 4 5\n",
    b"(\t1\t2\t3\t)\t(\t4 5 6 ) ( 7 8 9 ) T\t[\t1 0 0 1 ] [ 0 1 0 2 ]\t3\t4\t5\t\n",
    b"\x0b\x0c( 1 2 3 )\n", b"( 1\x0b2\x0c3 ) ( 4 5 6 ) ( 7 8 9 ) t 1 2 3 4 5 6 7 8\n",
    b"last before the mark\r\n", b"cut here\x1a( 9 9 9 ) after the mark\n", b"never read\n",
], eol=b"", final=False)

w("no_final_line_end_face.map", [b"{", b"( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) T [ 1 0 0 1 ] [ 0 1 0 2 ] 3 4 5"], final=False)
w("no_final_line_end_light.map", [b"{", b'"_light" "1 2 3 4"'], final=False)
w("no_final_line_end_q3light.map", [b"{", b'"light" "5"'], final=False)
w("no_final_line_end_copy.map", [b"{", b"}  "], final=False)
w("no_final_line_end_spaces.map", [b"{", b"    "], final=False)
w("empty.map", [], final=False)
w("line_end_only.map", [b""])
w("mark_only.map", [b"\x1a"], final=False)
w("cr_at_end.map", [b"{\r\n}\r"], eol=b"", final=False)
