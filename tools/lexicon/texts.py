"""Writers of the definition texts read by tablegen (UTF-8 with byte-order mark, CR LF)."""
import bisect
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


# Lines of the definition text that the builder marks (flag bit 20): the lookup admits an
# unmarked entry only while fewer than 500 candidates are held.
MARKED_LINES = 35000
# Syllable-initials codes of words of two to four syllables weigh this share of the word's
# weight, so that a full code of comparable use comes before them; a word is kept under its
# initials only where picking it there takes fewer keys than under its full code (with the
# shipped page size).
INITIALS_WEIGHT_SHARE = 1 / 8.0
INITIALS_SYLLABLES = (2, 4)
PAGE_SIZE = 5


def _keys(code, rank):
    """Keys to pick the entry at rank under code: the digits, a page-down per full page
    before it and the selection key."""
    return len(code) + rank // PAGE_SIZE + 1


def _rank(negated, order):
    """Entries before one of this order value, given the negated order values of a code in
    rising order (entries of an equal value stay before it)."""
    return bisect.bisect_right(negated, -order)


def main_lines(readings, common=(), standard=None):
    """Data lines of the main table as ((code, word), weight), in text order: first every
    reading of the common characters (those of the lexicon with any weight, and the
    standard ones of `standard`), then the other entries by falling weight, so that the
    MARKED_LINES marked ones hold the common characters and the most frequent words. Every
    reading goes under its full code; words of two to four syllables also under their
    syllable initials where that saves keys. Returns the lines, the number of
    common-character lines and the number of initials lines."""
    standard = standard or {}
    common = set(common)
    full = {}

    def put(table, key, weight):
        if key[0] and len(key[0]) <= 250 and table.get(key, -1.0) < weight:
            table[key] = weight

    # A common character's reading without use or standing is left out where the character
    # has another one.
    kept = {w for (w, r), f in readings.items()
            if w in common and (f > 0 or r in standard.get(w, ()))}
    for (word, reading), weight in readings.items():
        if word in kept and weight <= 0 and reading not in standard.get(word, ()):
            continue
        put(full, (full_code(reading), word), weight)
    for ch in common:
        for reading in standard.get(ch, ()):
            put(full, (full_code(reading), ch), 0.0)

    # Negated order values under each code, rising, for the ranks of initials entries.
    orders = {}
    for (code, _), weight in full.items():
        orders.setdefault(code, []).append(-order_of(weight))
    for v in orders.values():
        v.sort()
    full_rank = {}
    for (code, word), weight in full.items():
        full_rank[(code, word)] = _rank(orders[code], order_of(weight))

    candidates = []
    for (word, reading), weight in readings.items():
        n = len(syllables(reading))
        if INITIALS_SYLLABLES[0] <= n <= INITIALS_SYLLABLES[1] and weight > 0:
            code = initials_code(reading)
            whole = full_code(reading)
            if code and (code, word) not in full and (whole, word) in full:
                candidates.append((weight * INITIALS_WEIGHT_SHARE, code, word, whole))
    candidates.sort(key=lambda c: (-c[0], c[1], c[2]))
    initials = {}
    for weight, code, word, whole in candidates:
        if (code, word) in initials:
            continue
        here = orders.setdefault(code, [])
        rank = _rank(here, order_of(weight))
        if _keys(code, rank) < _keys(whole, full_rank[(whole, word)]):
            initials[(code, word)] = weight
            here.insert(rank, -order_of(weight))

    def by_weight(items):
        return sorted(items, key=lambda kv: (-kv[1], kv[0][0], kv[0][1]))

    first = by_weight((k, f) for k, f in full.items() if k[1] in common)
    if len(first) > MARKED_LINES:
        raise ValueError('%d common-character lines do not fit the %d marked lines' %
                         (len(first), MARKED_LINES))
    rest = by_weight([(k, f) for k, f in full.items() if k[1] not in common] +
                     list(initials.items()))
    return first + rest, len(first), len(initials)


def write_main(path, ranked):
    _write(path, [MAIN_CLASS_DIRECTIVE] +
           ['%s\t%s#序%d' % (escape_word(w), code, order_of(weight))
            for (code, w), weight in ranked])


def write_key_values(path, pairs):
    """Key TAB value lines; equal keys keep their given order."""
    _write(path, ['%s\t%s' % (k, escape_word(v)) for k, v in pairs])


def write_list(path, texts):
    _write(path, texts)
