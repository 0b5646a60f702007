#!/usr/bin/env python3
"""Turns Debian's open lexicon packages into the definition texts of the shipped tables.

Writes into the output folder: main.txt (code table), danzi.txt, dict.txt, traditional.txt
and simplified.txt (key/value texts), sysl.txt and engl.txt (list texts), and prints the
line counts of each.
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), 'lexicon'))

import sources  # noqa: E402
import texts  # noqa: E402
from keypad import full_code, mark_tone, syllables  # noqa: E402
from readings import settle_word_readings  # noqa: E402

RIME = '/usr/share/rime-data'
SOURCES = {
    'luna': RIME + '/build/luna_pinyin.table.txt',
    'simp': RIME + '/build/pinyin_simp.table.txt',
    'essay': RIME + '/essay.txt',
    'unihan': '/usr/share/unicode/Unihan_Readings.txt.bz2',
    'unihan_mappings': '/usr/share/unicode/Unihan_OtherMappings.txt.bz2',
    'english_small': '/usr/share/dict/american-english-small',
    'english': '/usr/share/dict/american-english',
    'english_large': '/usr/share/dict/american-english-large',
    'st_chars': '/usr/share/opencc/STCharacters.ocd2',
    'st_phrases': '/usr/share/opencc/STPhrases.ocd2',
    'ts_chars': '/usr/share/opencc/TSCharacters.ocd2',
    'ts_phrases': '/usr/share/opencc/TSPhrases.ocd2',
}
# Longest association text kept whole by the list table (250 bytes of UTF-8).
MAX_LIST_CHARS = 83


def is_han(ch):
    c = ord(ch)
    return (c == 0x3007 or 0x3400 <= c <= 0x4DBF or 0x4E00 <= c <= 0x9FFF or
            0xF900 <= c <= 0xFAFF or 0x20000 <= c <= 0x3FFFF)


def word_ok(word):
    return 0 < len(word.encode('utf-8')) <= 255 and all(is_han(c) for c in word)


def reading_ok(reading):
    parts = syllables(reading)
    return bool(parts) and all(p.isascii() and p.isalpha() and p.islower() for p in parts)


def collect_readings(src):
    """(simplified word, reading) -> weight from luna pinyin (converted), pinyin_simp and
    the essay; words without a reading get one composed from their characters."""
    luna = sources.read_rime_table(src['luna'])
    essay = sources.read_essay(src['essay'])
    traditional = sorted({w for w, _, _ in luna} | set(essay))
    simplified = dict(zip(traditional, sources.opencc_convert(traditional, 't2s.json')))

    readings = {}

    def add(word, reading, weight):
        reading = ' '.join(syllables(reading))
        if not word_ok(word) or not reading_ok(reading) or len(syllables(reading)) != len(word):
            return
        key = (word, reading)
        if readings.get(key, -1.0) < weight:
            readings[key] = weight

    for w, r, f in luna:
        add(simplified[w], r, f)
    simp = sources.read_rime_table(src['simp'])
    for w, r, f in simp:
        add(w, r, f)
    settle_word_readings(readings, simp)

    # Most frequent reading of each character, for words the lexicons give no reading.
    char_reading = {}
    for (w, r), f in readings.items():
        if len(w) == 1 and f > char_reading.get(w, ('', -1.0))[1]:
            char_reading[w] = (r, f)
    known = {w for w, _ in readings}
    composed = 0
    for w, f in essay.items():
        s = simplified[w]
        if s in known or not word_ok(s) or not all(c in char_reading for c in s):
            continue
        add(s, ' '.join(char_reading[c][0] for c in s), f)
        known.add(s)
        composed += 1
    return readings, composed


def common_characters(src):
    """The common character set: the General Standard Chinese Characters (Unihan kTGH) and
    GB2312."""
    return set(sources.read_unihan_field(src['unihan_mappings'], 'kTGH')) | set(
        sources.gb2312_characters())


def word_weights(readings):
    weights = {}
    for (w, _), f in readings.items():
        weights[w] = max(weights.get(w, 0.0), f)
    return weights


def danzi_pairs(readings):
    """One entry per reading of each character, most frequent reading first; readings the
    lexicon weighs 0 only where a character has no other."""
    by_char = {}
    for (w, r), f in readings.items():
        if len(w) == 1:
            by_char.setdefault(w, []).append((f, r))
    pairs = []
    for ch in sorted(by_char):
        rows = sorted(by_char[ch], key=lambda fr: (-fr[0], fr[1]))
        if rows[0][0] > 0:
            rows = [fr for fr in rows if fr[0] > 0]
        codes = []
        for _, r in rows:
            code = full_code(r)
            if code not in codes:  # readings that differ only off the keypad share a code
                codes.append(code)
        pairs.extend((ch, code) for code in codes)
    return pairs


def dict_pairs(readings, unihan):
    """Word -> explanation: each tone-marked reading on a line (most frequent first), for a
    character also its English gloss from Unihan."""
    tones = sources.tone_lookup(unihan)
    by_word = {}
    for (w, r), f in readings.items():
        by_word.setdefault(w, []).append((f, r))
    pairs = []
    for w in sorted(by_word):
        lines = []
        for _, r in sorted(by_word[w], key=lambda fr: (-fr[0], fr[1])):
            marked = ' '.join(tones.get((c, s), mark_tone(s, 0))
                              for c, s in zip(w, syllables(r)))
            if marked not in lines:
                lines.append(marked)
        if len(w) == 1:
            gloss = unihan.get(w, {}).get('kDefinition')
            if gloss:
                lines.append(gloss)
        pairs.append((w, '\r\n'.join(lines)))
    return pairs


def association_texts(weights):
    words = [w for w, f in weights.items() if len(w) >= 2 and len(w) <= MAX_LIST_CHARS and f > 0]
    words.sort(key=lambda w: (-weights[w], w))
    return words


def english_texts(src):
    """Words of the small list first, then those the medium and the large list add."""
    seen = set()
    out = []
    for key in ('english_small', 'english', 'english_large'):
        for w in sources.read_word_list(src[key]):
            if w.endswith("'s") or not w.isascii() or not w.replace("'", '').isalpha():
                continue
            if w not in seen:
                seen.add(w)
                out.append(w)
    return out


def conversion_pairs(chars_path, phrases_path):
    """Every form of a character (in OpenCC's order), the first form of a phrase."""
    pairs = []
    for k, values in sources.opencc_dictionary(chars_path):
        pairs.extend((k, v) for i, v in enumerate(values) if v not in values[:i])
    for k, values in sources.opencc_dictionary(phrases_path):
        pairs.append((k, values[0]))
    return pairs


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('out', help='folder for the definition texts')
    for key, default in SOURCES.items():
        ap.add_argument('--' + key.replace('_', '-'), default=default)
    args = ap.parse_args()
    src = {key: getattr(args, key) for key in SOURCES}
    missing = [p for p in src.values() if not os.path.isfile(p)]
    if missing:
        print('make_lexicon: missing source files: ' + ', '.join(missing), file=sys.stderr)
        return 1
    os.makedirs(args.out, exist_ok=True)

    def out(name):
        return os.path.join(args.out, name)

    readings, composed = collect_readings(src)
    weights = word_weights(readings)
    unihan = sources.read_unihan_readings(src['unihan'])
    common = common_characters(src)
    ranked, common_lines, initials = texts.main_lines(readings, common,
                                                      sources.standard_readings(unihan))
    texts.write_main(out('main.txt'), ranked)
    danzi = danzi_pairs(readings)
    texts.write_key_values(out('danzi.txt'), danzi)
    dictionary = dict_pairs(readings, unihan)
    texts.write_key_values(out('dict.txt'), dictionary)
    assoc = association_texts(weights)
    texts.write_list(out('sysl.txt'), assoc)
    english = english_texts(src)
    texts.write_list(out('engl.txt'), english)
    trad = conversion_pairs(src['st_chars'], src['st_phrases'])
    texts.write_key_values(out('traditional.txt'), trad)
    simp = conversion_pairs(src['ts_chars'], src['ts_phrases'])
    texts.write_key_values(out('simplified.txt'), simp)

    print('main.txt: %d lines, %d distinct words (%d readings composed from characters); '
          'the first %d lines hold the %d common characters, %d lines are syllable initials' %
          (len(ranked), len(weights), composed, common_lines, len(common), initials))
    for name, rows in (('danzi.txt', danzi), ('dict.txt', dictionary), ('sysl.txt', assoc),
                       ('engl.txt', english), ('traditional.txt', trad),
                       ('simplified.txt', simp)):
        print('%s: %d lines' % (name, len(rows)))
    return 0


if __name__ == '__main__':
    sys.exit(main())
