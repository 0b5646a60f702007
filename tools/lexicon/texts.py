"""Writers of the definition texts read by tablegen (UTF-8 with byte-order mark, CR LF)."""
import math

from keypad import full_code, initials_code, syllables

MAIN_CLASS_DIRECTIVE = '---config@码表分类=主码-系统码表'
# Order values: 2000 steps per tenfold frequency, so the most frequent word (about five
# million) stays far below the 0xFFFF ceiling that commits push words towards.
ORDER_PER_DECADE = 2000
ORDER_MAX = 0xFFFE


def order_of(weight):
    return max(1, min(ORDER_MAX, 1 + round(math.log10(1.0 + max(0.0, weight)) * ORDER_PER_DECADE)))


def escape_word(text):
    """Escapes of word and value texts: backslash, line break, TAB."""
    return text.replace('\\', '\\\\').replace('\r\n', '\\r').replace('\t', '\\t')


def _write(path, lines):
    with open(path, 'w', encoding='utf-8-sig', newline='') as f:
        for line in lines:
            f.write(line)
            f.write('\r\n')


def main_lines(readings):
    """Data lines of the main table, most frequent first: every reading under its full code,
    words of two to four syllables also under their syllable initials."""
    best = {}
    for (word, reading), weight in readings.items():
        codes = [full_code(reading)]
        if 2 <= len(syllables(reading)) <= 4:
            codes.append(initials_code(reading))
        for code in codes:
            if code and len(code) <= 250:
                key = (code, word)
                if best.get(key, -1.0) < weight:
                    best[key] = weight
    ranked = sorted(best.items(), key=lambda kv: (-kv[1], kv[0][0], kv[0][1]))
    return ranked


def write_main(path, ranked):
    _write(path, [MAIN_CLASS_DIRECTIVE] +
           ['%s\t%s#序%d' % (escape_word(w), code, order_of(weight))
            for (code, w), weight in ranked])


def write_key_values(path, pairs):
    """Key TAB value lines; equal keys keep their given order."""
    _write(path, ['%s\t%s' % (k, escape_word(v)) for k, v in pairs])


def write_list(path, texts):
    _write(path, texts)
