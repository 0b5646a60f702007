#!/usr/bin/env python3
"""Draws the default skin package: skin.ini and its PNG pictures, zipped reproducibly.

Usage: make_skin.py OUTPUT.col
Every picture is drawn here from shapes; the package has fixed timestamps and order, so the
same script always gives the same bytes.
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
BORDER = (203, 213, 225)
TEXT = (30, 41, 59)
ACCENT = (37, 99, 235)
ACCENT_DARK = (29, 78, 216)
MUTED = (148, 163, 184)
DIVIDER = (226, 232, 240)
HIGHLIGHT = (219, 234, 254)
HOVER = (241, 245, 249)


def panel(w, h, divider_y=None):
    p = Picture(w, h)
    p.cover(rounded(0, 0, w, h, 7), BORDER)
    p.cover(rounded(1, 1, w - 1, h - 1, 6), WHITE)
    if divider_y is not None:
        p.cover(rect(8, divider_y, w - 8, divider_y + 1), DIVIDER)
    return p


# Button states: normal, "_1" hover, "_2" pressed, "_3" disabled.
STATES = [("", TEXT, None), ("_1", ACCENT, HOVER), ("_2", WHITE, ACCENT_DARK), ("_3", MUTED, None)]


def button(size, glyph, ink, back):
    p = Picture(size, size)
    if back:
        p.cover(rounded(0, 0, size, size, 4), back)
    else:
        p.cover(rounded(0, 0, size, size, 4), WHITE, 0.01)  # keeps the whole square hit-testable
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


def g_cn_punct(s):
    return union(ring(s * 0.35, s * 0.62, s * 0.14, s * 0.07), circle(s * 0.7, s * 0.62, s * 0.08))


def g_en_punct(s):
    return union(circle(s * 0.35, s * 0.66, s * 0.08), circle(s * 0.65, s * 0.66, s * 0.08),
                 polygon([(s * 0.6, s * 0.7), (s * 0.7, s * 0.7), (s * 0.62, s * 0.85)]))


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
    ("quan", g_full, CAND_BUTTON), ("ban", g_half, CAND_BUTTON),
    ("cn_biaodian", g_cn_punct, BAR_BUTTON), ("en_biaodian", g_en_punct, BAR_BUTTON),
    ("cn", g_cn, BAR_BUTTON), ("en", g_en, BAR_BUTTON), ("capslock", g_caps, BAR_BUTTON),
    ("menu", g_menu, BAR_BUTTON), ("key1", g_keyboard, BAR_BUTTON), ("flag", g_logo, BAR_BUTTON),
    ("jian", g_simplified, BAR_BUTTON), ("fan", g_traditional, BAR_BUTTON),
]


def colour(rgb):
    r, g, b = rgb
    return "#%d" % (r | (g << 8) | (b << 16))  # a COLORREF in decimal


def candidate_section(head, code, rows):
    """Geometry of one candidate layout; code: the composition line is shown above."""
    # The highlight (text frame 6,6,3,3) starts at x 8, where the divider starts, and keeps
    # 6 pixels from the divider and from the bottom edge.
    top = 44 if code else 9
    lines = [head]
    if code:
        lines += ["编码起始位置=14,8"]
    lines += [
        "候选起始位置=14,%d" % top,
        "序号-字词间距=4", "字词-提示间距=3", "候选间距=14" if not rows else "候选间距=0",
        "行间距=6" if rows else "行间距=0",
        "横向拉伸区域=16,27",
        "纵向拉伸区域=%d,%d" % ((44, 47) if code else (14, 17)),
        # Rows end with their line gap: a smaller bottom margin keeps the space below the
        # last row as large as above the first.
        "右边距=%d" % (14 if rows else 10), "下边距=%d" % (3 if rows else 9),
        # Rows under the code line leave room for the page buttons beside the code.
        "最小宽度=%d" % (150 if code and rows else 0), "最小高度=0",
        "嵌入窗口偏移=0,4", "序号后缀=.",
        "文字背景边框=6,6,3,3",
        # Page buttons on the code line at the top right, anchored to the right edge (x beyond
        # the band's end) 14 pixels in; without the code line there is no free place for them.
        "前翻页按钮位置=%s" % (("%d,9" % (44 + (14 if rows else 10) - 12)) if code else "-1,-1"),
        "后翻页按钮位置=%s" % (("%d,9" % (62 + (14 if rows else 10) - 12)) if code else "-1,-1"),
        "全角半角按钮位置=-1,-1", "中英文标点按钮位置=-1,-1",
        "扩展按钮1位置=-1,-1", "扩展按钮2位置=-1,-1",
    ]
    return lines


def skin_ini():
    lines = [
        ";------------------------for version 3.3+-------------------",
        "; default skin, drawn by tools/make_skin.py",
        "[-皮肤信息-]", "名称=清爽", "描述=简洁明亮的默认皮肤", "版本=1.0",
        "所有者名称=zan", "所有者联系方式=",
        "[-文字显示-]",
        "编码字体颜色=" + colour(ACCENT_DARK), "编码字体名称=Microsoft YaHei", "编码字体大小=18",
        "编码字体粗细=400",
        "候选字体颜色=" + colour(TEXT), "候选字体名称=Microsoft YaHei", "候选字体大小=22",
        "候选字体粗细=400", "从右向左的文字=0",
        "序号字体颜色=" + colour(MUTED), "提示字体颜色=" + colour(MUTED),
        "临时词候选颜色=" + colour((5, 150, 105)), "用户词候选颜色=" + colour((124, 58, 237)),
        "第一候选颜色=" + colour(ACCENT_DARK), "第一候选背景色=" + colour(HIGHLIGHT),
        "鼠标处候选背景色=" + colour(HOVER), "鼠标处候选颜色=" + colour(ACCENT),
        "编码最多显示个数=40", "候选最多显示个数=24", "光标颜色=" + colour(ACCENT),
        "[-状态栏窗口-]", "状态栏默认位置=3",
        "输入法标志位置=6,4", "中英文状态按钮位置=30,4", "中英文标点按钮位置=54,4",
        "全角半角按钮位置=78,4", "软键盘按钮位置=102,4", "菜单按钮位置=126,4",
        "扩展按钮1位置=-1,-1", "扩展按钮2位置=-1,-1", "简繁切换按钮位置=-1,-1",
    ]
    lines += candidate_section("[-候选窗口-合并-]", True, False)
    lines += candidate_section("[-候选窗口-合并-竖排-]", True, True)
    lines += candidate_section("[-候选窗口-嵌入-]", False, False)
    lines += candidate_section("[-候选窗口-嵌入-竖排-]", False, True)
    return b"\xef\xbb\xbf" + "\r\n".join(lines + [""]).encode("utf-8")


def pictures():
    out = {}
    bar = panel(154, 30)
    out["bar.png"] = bar
    out["candHB.png"] = panel(80, 76, divider_y=34)
    out["candHB_shu.png"] = panel(80, 76, divider_y=34)
    out["candQR.png"] = panel(80, 44)
    out["candQR_shu.png"] = panel(80, 44)
    for stem, glyph, size in GROUPS:
        for suffix, ink, back in STATES:
            out[stem + suffix + ".png"] = button(size, glyph, ink, back)
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_skin.py OUTPUT.col")
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
