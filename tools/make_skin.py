#!/usr/bin/env python3
"""Draws the default skin package: skin.ini and its PNG pictures, zipped reproducibly.

Usage: make_skin.py OUTPUT.col [light|dark]
Every picture is drawn here from shapes; the package has fixed timestamps and order, so the
same script always gives the same bytes. "light" (the default) is the built-in skin; "dark"
is the second package for dark applications.
"""
import struct
import sys
import zipfile
import zlib

SS = 4  # supersampling per axis for anti-aliased edges


class Picture:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]  # straight RGBA 0..1

    def cover(self, inside, colour, alpha=1.0):
        """Blends colour over every pixel by the share of its subsamples inside(x, y)."""
        r, g, b = (c / 255.0 for c in colour)
        for y in range(self.h):
            for x in range(self.w):
                n = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) / SS, y + (sy + 0.5) / SS):
                            n += 1
                if n:
                    a = alpha * n / (SS * SS)
                    p = self.px[y * self.w + x]
                    out = a + p[3] * (1 - a)
                    for i, c in enumerate((r, g, b)):
                        p[i] = (c * a + p[i] * p[3] * (1 - a)) / out if out else 0
                    p[3] = out

    def png(self):
        raw = bytearray()
        for y in range(self.h):
            raw.append(0)
            for x in range(self.w):
                p = self.px[y * self.w + x]
                raw.extend(int(round(min(1.0, max(0.0, v)) * 255)) for v in p)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        head = struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) +
                chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def rounded(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r, width):
    return lambda x, y: (r - width) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def polygon(points):
    def inside(x, y):
        hit = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


class Theme:
    """The colours of one package. Every text colour keeps 4.5:1 against its ground."""

    def __init__(self, **colours):
        self.__dict__.update(colours)


LIGHT = Theme(
    name="清爽", description="简洁明亮的默认皮肤",
    ground=WHITE, border=(100, 116, 139), divider=(226, 232, 240), shadow=0.18,
    text=(30, 41, 59), code=(29, 78, 216), index=(71, 85, 105), hint=(71, 85, 105),
    temp=(4, 120, 87), user=(124, 58, 237),
    selected=(191, 219, 254), selected_text=(30, 58, 138),
    hover=(241, 245, 249), hover_text=(30, 41, 59), caret=(37, 99, 235),
    ink=(30, 41, 59), ink_hover=(29, 78, 216), ink_pressed=WHITE, press=(29, 78, 216),
    ink_disabled=(148, 163, 184), button_hover=(226, 232, 240))

DARK = Theme(
    name="夜色", description="深色应用中不刺眼的皮肤",
    ground=(31, 41, 55), border=(107, 114, 128), divider=(55, 65, 81), shadow=0.35,
    text=(243, 244, 246), code=(147, 197, 253), index=(203, 213, 225), hint=(203, 213, 225),
    temp=(110, 231, 183), user=(196, 181, 253),
    selected=(30, 64, 175), selected_text=WHITE,
    hover=(55, 65, 81), hover_text=(243, 244, 246), caret=(147, 197, 253),
    ink=(229, 231, 235), ink_hover=(147, 197, 253), ink_pressed=WHITE, press=(37, 99, 235),
    ink_disabled=(107, 114, 128), button_hover=(55, 65, 81))

THEMES = {"light": LIGHT, "dark": DARK}
theme = LIGHT

SHADOW = 4  # pixels of soft shadow around every window picture


def shadowed(w, h, radius):
    """A picture w x h whose panel (SHADOW pixels in) casts a soft shadow one pixel down."""
    p = Picture(w, h)
    x0, y0, x1, y1 = SHADOW, SHADOW + 1, w - SHADOW, h - SHADOW + 1
    for y in range(h):
        for x in range(w):
            px, py = x + 0.5, y + 0.5
            cx = min(max(px, x0 + radius), x1 - radius)
            cy = min(max(py, y0 + radius), y1 - radius)
            d = max(0.0, ((px - cx) ** 2 + (py - cy) ** 2) ** 0.5 - radius)
            a = theme.shadow * max(0.0, 1 - d / SHADOW) ** 2
            if a > 0:
                p.px[y * w + x] = [0.0, 0.0, 0.0, a]
    return p


def panel(w, h, divider_y=None):
    """A window picture: the panel of (w, h) with its border, inside the shadow margin."""
    s = SHADOW
    p = shadowed(w + 2 * s, h + 2 * s, 7)
    p.cover(rounded(s, s, s + w, s + h, 7), theme.border)
    p.cover(rounded(s + 1, s + 1, s + w - 1, s + h - 1, 6), theme.ground)
    if divider_y is not None:
        p.cover(rect(s + 8, s + divider_y, s + w - 8, s + divider_y + 1), theme.divider)
    return p


# Button states: normal, "_1" hover, "_2" pressed, "_3" disabled.
def states():
    return [("", theme.ink, None), ("_1", theme.ink_hover, theme.button_hover),
            ("_2", theme.ink_pressed, theme.press), ("_3", theme.ink_disabled, None)]


def button(size, glyph, ink, back, lit=None):
    p = Picture(size, size)
    if back:
        p.cover(rounded(0, 0, size, size, 4), back)
    else:
        p.cover(rounded(0, 0, size, size, 4), WHITE, 0.01)  # keeps the whole square hit-testable
    if lit and not back:  # a switched-on tool: a tinted tile behind its glyph
        p.cover(rounded(0, 0, size, size, 4), lit)
    p.cover(glyph(size), ink)
    return p


def g_up(s):
    return polygon([(s * 0.25, s * 0.62), (s * 0.5, s * 0.32), (s * 0.75, s * 0.62)])


def g_down(s):
    return polygon([(s * 0.25, s * 0.38), (s * 0.5, s * 0.68), (s * 0.75, s * 0.38)])


def g_full(s):
    return circle(s / 2, s / 2, s * 0.3)


def g_half(s):
    c = s / 2
    return union(ring(c, c, s * 0.3, s * 0.08), lambda x, y: x <= c and circle(c, c, s * 0.3)(x, y))


def g_cn_punct(s):  # a full stop ring and a comma, as large as the tile allows
    return union(ring(s * 0.33, s * 0.6, s * 0.18, s * 0.08), circle(s * 0.72, s * 0.6, s * 0.1),
                 polygon([(s * 0.66, s * 0.64), (s * 0.82, s * 0.64), (s * 0.66, s * 0.88)]))


def g_en_punct(s):  # a dot and a comma, large
    return union(circle(s * 0.32, s * 0.66, s * 0.1), circle(s * 0.68, s * 0.62, s * 0.1),
                 polygon([(s * 0.62, s * 0.66), (s * 0.78, s * 0.66), (s * 0.6, s * 0.9)]))


def g_cn(s):  # the character for "middle": a box crossed by a stroke
    t = s * 0.09
    return union(rect(s * 0.22, s * 0.32, s * 0.78, s * 0.32 + t), rect(s * 0.22, s * 0.62, s * 0.78, s * 0.62 + t),
                 rect(s * 0.22, s * 0.32, s * 0.22 + t, s * 0.62 + t), rect(s * 0.78 - t, s * 0.32, s * 0.78, s * 0.62 + t),
                 rect(s * 0.5 - t / 2, s * 0.14, s * 0.5 + t / 2, s * 0.88))


def g_en(s):  # a capital A
    t = s * 0.1
    return union(polygon([(s * 0.2, s * 0.82), (s * 0.45, s * 0.16), (s * 0.55, s * 0.16), (s * 0.8, s * 0.82),
                          (s * 0.8 - t * 1.3, s * 0.82), (s * 0.5, s * 0.3), (s * 0.2 + t * 1.3, s * 0.82)]),
                 rect(s * 0.33, s * 0.58, s * 0.67, s * 0.58 + t))


def g_caps(s):
    return union(polygon([(s * 0.2, s * 0.5), (s * 0.5, s * 0.18), (s * 0.8, s * 0.5), (s * 0.62, s * 0.5),
                          (s * 0.62, s * 0.66), (s * 0.38, s * 0.66), (s * 0.38, s * 0.5)]),
                 rect(s * 0.38, s * 0.74, s * 0.62, s * 0.82))


def g_menu(s):
    t = s * 0.09
    return union(*(rect(s * 0.24, y, s * 0.76, y + t) for y in (s * 0.3, s * 0.46, s * 0.62)))


def g_keyboard(s):
    keys = [rect(s * (0.26 + 0.17 * i), s * (0.4 + 0.15 * j), s * (0.26 + 0.17 * i) + s * 0.1,
                 s * (0.4 + 0.15 * j) + s * 0.08) for i in range(3) for j in range(2)]
    return union(ring(s / 2, s / 2, 0, 0), *keys, rect(s * 0.3, s * 0.7, s * 0.7, s * 0.76),
                 lambda x, y: rect(s * 0.14, s * 0.28, s * 0.86, s * 0.84)(x, y) and not rect(s * 0.2, s * 0.34, s * 0.8, s * 0.78)(x, y))


def g_logo(s):
    return union(polygon([(s * 0.28, s * 0.26), (s * 0.72, s * 0.26), (s * 0.72, s * 0.36), (s * 0.42, s * 0.64),
                          (s * 0.72, s * 0.64), (s * 0.72, s * 0.74), (s * 0.28, s * 0.74), (s * 0.28, s * 0.64),
                          (s * 0.58, s * 0.36), (s * 0.28, s * 0.36)]))


def g_simplified(s):
    return union(rect(s * 0.3, s * 0.3, s * 0.7, s * 0.38), rect(s * 0.46, s * 0.3, s * 0.54, s * 0.78))


def g_traditional(s):
    return union(rect(s * 0.26, s * 0.26, s * 0.74, s * 0.34), rect(s * 0.26, s * 0.46, s * 0.74, s * 0.54),
                 rect(s * 0.26, s * 0.66, s * 0.74, s * 0.74), rect(s * 0.46, s * 0.26, s * 0.54, s * 0.74))


CAND_BUTTON = 16
BAR_BUTTON = 22

GROUPS = [  # entry stem, glyph, size
    ("up", g_up, CAND_BUTTON), ("down", g_down, CAND_BUTTON),
    ("quan", g_full, BAR_BUTTON), ("ban", g_half, BAR_BUTTON),
    ("cn_biaodian", g_cn_punct, BAR_BUTTON), ("en_biaodian", g_en_punct, BAR_BUTTON),
    ("cn", g_cn, BAR_BUTTON), ("en", g_en, BAR_BUTTON), ("capslock", g_caps, BAR_BUTTON),
    ("menu", g_menu, BAR_BUTTON), ("key1", g_keyboard, BAR_BUTTON), ("key2", g_keyboard, BAR_BUTTON),
    ("flag", g_logo, BAR_BUTTON),
    ("jian", g_simplified, BAR_BUTTON), ("fan", g_traditional, BAR_BUTTON),
]


def colour(rgb):
    r, g, b = rgb
    return "#%d" % (r | (g << 8) | (b << 16))  # a COLORREF in decimal


def candidate_section(head, code, rows):
    """Geometry of one candidate layout; code: the composition line is shown above."""
    # All numbers are inside the shadow margin S. The highlight (text frame 6,f1,3,3) starts
    # at x 8, where the divider starts; rows carry a right frame far larger than any row, so
    # that the window's right margin ends every highlight at one width.
    S = SHADOW
    top = 44 if code else 9
    # Without the code line the page buttons take a place of their own at the right: a
    # column beside the rows, or the end of the line.
    right = 10 if code else (32 if rows else 50)
    bg_width = 80 + 2 * S

    def from_right(d):  # a button d pixels left of the window's right edge (past the band)
        return bg_width + right + S - d

    if code:  # on the code line at the top right
        up, down = (from_right(48 + S), 9 + S), (from_right(30 + S), 9 + S)
    elif rows:  # one above the other at the top of the column
        up, down = (from_right(26 + S), 9 + S), (from_right(26 + S), 27 + S)
    else:  # side by side, in the middle of the line
        up, down = (from_right(48 + S), 16 + S), (from_right(30 + S), 16 + S)
    lines = [head]
    if code:
        lines += ["编码起始位置=%d,%d" % (14 + S, 8 + S)]
    lines += [
        "候选起始位置=%d,%d" % (14 + S, top + S),
        "序号-字词间距=4", "字词-提示间距=3", "候选间距=14" if not rows else "候选间距=0",
        "行间距=6" if rows else "行间距=0",
        "横向拉伸区域=%d,%d" % (16 + S, 27 + S),
        # Plain rows above the bottom corners (radius 7): below the divider under the code;
        # in rows without it, where the page buttons' column is.
        "纵向拉伸区域=%d,%d" % ((35 + S, 38 + S) if code else (28 + S, 31 + S) if rows else (14 + S, 17 + S)),
        # Rows end with their line gap: a smaller bottom margin keeps the space below the
        # last row as large as above the first.
        "右边距=%d" % (right + S), "下边距=%d" % ((3 if rows else 9) + S),
        # Rows under the code line leave room for the page buttons beside the code.
        "最小宽度=%d" % (150 + 2 * S if code and rows else 0), "最小高度=0",
        "嵌入窗口偏移=%d,%d" % (-S - 8, 4 - S), "序号后缀=.",
        "文字背景边框=6,%d,3,3" % (1000 if rows else 6),
        "前翻页按钮位置=%d,%d" % up,
        "后翻页按钮位置=%d,%d" % down,
        "全角半角按钮位置=-1,-1", "中英文标点按钮位置=-1,-1",
        "扩展按钮1位置=-1,-1", "扩展按钮2位置=-1,-1",
    ]
    return lines


def skin_ini():
    t = theme
    S = SHADOW
    lines = [
        ";------------------------for version 3.3+-------------------",
        "; default skin, drawn by tools/make_skin.py",
        "[-皮肤信息-]", "名称=" + t.name, "描述=" + t.description, "版本=1.1",
        "所有者名称=zan", "所有者联系方式=",
        "[-文字显示-]",
        "编码字体颜色=" + colour(t.code), "编码字体名称=Microsoft YaHei", "编码字体大小=18",
        "编码字体粗细=400",
        "候选字体颜色=" + colour(t.text), "候选字体名称=Microsoft YaHei", "候选字体大小=22",
        "候选字体粗细=400", "从右向左的文字=0",
        "序号字体颜色=" + colour(t.index), "提示字体颜色=" + colour(t.hint),
        "临时词候选颜色=" + colour(t.temp), "用户词候选颜色=" + colour(t.user),
        "第一候选颜色=" + colour(t.selected_text), "第一候选背景色=" + colour(t.selected),
        "鼠标处候选背景色=" + colour(t.hover), "鼠标处候选颜色=" + colour(t.hover_text),
        "编码最多显示个数=40", "候选最多显示个数=24", "光标颜色=" + colour(t.caret),
        # Bottom right above the taskbar: the bar covers none of a maximized window's buttons.
        "[-状态栏窗口-]", "状态栏默认位置=6",
        "输入法标志位置=%d,%d" % (6 + S, 4 + S), "中英文状态按钮位置=%d,%d" % (30 + S, 4 + S),
        "中英文标点按钮位置=%d,%d" % (54 + S, 4 + S), "全角半角按钮位置=%d,%d" % (78 + S, 4 + S),
        "软键盘按钮位置=%d,%d" % (102 + S, 4 + S), "菜单按钮位置=%d,%d" % (126 + S, 4 + S),
        "扩展按钮1位置=-1,-1", "扩展按钮2位置=-1,-1", "简繁切换按钮位置=-1,-1",
    ]
    lines += candidate_section("[-候选窗口-合并-]", True, False)
    lines += candidate_section("[-候选窗口-合并-竖排-]", True, True)
    lines += candidate_section("[-候选窗口-嵌入-]", False, False)
    lines += candidate_section("[-候选窗口-嵌入-竖排-]", False, True)
    return b"\xef\xbb\xbf" + "\r\n".join(lines + [""]).encode("utf-8")


def pictures():
    out = {}
    out["bar.png"] = panel(154, 30)
    # No taller than the window of a code without words, which ends below the divider.
    out["candHB.png"] = panel(80, 47, divider_y=34)
    out["candHB_shu.png"] = panel(80, 47, divider_y=34)
    out["candQR.png"] = panel(80, 44)
    out["candQR_shu.png"] = panel(80, 44)
    for stem, glyph, size in GROUPS:
        # The soft keyboard's "on" group lights its tile; its fourth state is named key3_3.
        lit = theme.button_hover if stem == "key2" else None
        for suffix, ink, back in states():
            name = stem + suffix
            if name == "key2_3":
                name = "key3_3"
            out[name + ".png"] = button(size, glyph, ink, back, lit)
    return out


def main():
    global theme
    if len(sys.argv) not in (2, 3) or (len(sys.argv) == 3 and sys.argv[2] not in THEMES):
        sys.exit("usage: make_skin.py OUTPUT.col [light|dark]")
    theme = THEMES[sys.argv[2] if len(sys.argv) == 3 else "light"]
    entries = [("skin.ini", skin_ini())]
    entries += sorted((name, p.png()) for name, p in pictures().items())
    with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 0
            info.external_attr = 0
            z.writestr(info, data)


if __name__ == "__main__":
    main()
