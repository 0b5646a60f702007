#!/usr/bin/env python3
"""Builds a typing corpus from the zh_CN message catalogues that Debian packages install.

The texts of the catalogues' translations are cut into runs of Chinese characters and
segmented into words with jieba (Debian package python3-jieba); each word gets the keypad
code of its first reading in the dictionary definition text (dict.txt of the data step).
Writes one line per word occurrence: word TAB code, and for a word of several characters
each character TAB its code, so that a word the table cannot offer is typed character by
character. A word without a reading is split into the longest pieces that have one (as a
user would type it); characters without one are left out (counted).
"""
import argparse
import collections
import os
import re
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'lexicon'))

from keypad import digits_of, strip_tone  # noqa: E402

LOCALE = '/usr/share/locale/zh_CN/LC_MESSAGES'
# Catalogues of packages that a Debian system with the build's packages has (the list is
# fixed so that figures compare; a missing one is reported and skipped).
DOMAINS = [
    'coreutils', 'bash', 'dpkg', 'apt', 'libapt-pkg6.0', 'tar', 'findutils', 'diffutils',
    'grep', 'sed', 'shadow', 'adduser', 'systemd', 'xz', 'gettext-runtime', 'Linux-PAM',
    'procps-ng', 'psmisc', 'make', 'libc', 'wget', 'glib20', 'gtk20',
]
HAN_RUN = re.compile('[\u3400-\u4dbf\u4e00-\u9fff]+')


def mo_translations(path):
    """The translated texts of a .mo file (plural forms each)."""
    with open(path, 'rb') as f:
        data = f.read()
    magic = struct.unpack('<I', data[:4])[0]
    order = '<' if magic == 0x950412de else '>'
    _, count, _, trans_off = struct.unpack(order + '4I', data[4:20])
    texts = []
    for i in range(count):
        length, offset = struct.unpack(order + '2I', data[trans_off + 8 * i:trans_off + 8 * i + 8])
        if i == 0:
            continue  # the header entry
        raw = data[offset:offset + length]
        for part in raw.split(b'\0'):
            texts.append(part.decode('utf-8', errors='replace'))
    return texts


def read_codes(dict_txt):
    """word -> keypad digits of its first reading in dict.txt (word TAB readings)."""
    codes = {}
    with open(dict_txt, encoding='utf-8-sig') as f:
        for line in f:
            word, _, value = line.rstrip('\r\n').partition('\t')
            first = value.split('\\r', 1)[0]
            syllables = first.split()
            if len(syllables) != len(word):
                continue
            digits = digits_of(''.join(strip_tone(s) for s in syllables))
            if digits:
                codes[word] = digits
    return codes


def pieces_of(word, codes, longest=8):
    """The word, or its longest pieces with a reading from the left, single characters
    where none is longer."""
    if word in codes:
        return [word]
    out, i = [], 0
    while i < len(word):
        for n in range(min(longest, len(word) - i), 0, -1):
            if n == 1 or word[i:i + n] in codes:
                out.append(word[i:i + n])
                i += n
                break
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument('dict_txt', help='dict.txt written by tools/make_lexicon.py')
    ap.add_argument('out', help='corpus file to write')
    args = ap.parse_args()
    import jieba
    jieba.setLogLevel(60)

    texts, used, missing = [], [], []
    for d in DOMAINS:
        path = os.path.join(LOCALE, d + '.mo')
        if os.path.isfile(path):
            texts.extend(mo_translations(path))
            used.append(d)
        else:
            missing.append(d)
    codes = read_codes(args.dict_txt)
    stats = collections.Counter()
    with open(args.out, 'w', encoding='utf-8', newline='\n') as out:
        for text in dict.fromkeys(texts):  # each distinct message once
            for run in HAN_RUN.findall(text):
                for word in jieba.cut(run, HMM=False):
                    pieces = pieces_of(word, codes)
                    if len(pieces) > 1:
                        stats['split'] += 1
                    for w in pieces:
                        if w not in codes:
                            stats['no reading'] += 1
                            continue
                        fields = [w, codes[w]]
                        if len(w) > 1:
                            fields += ['%s\t%s' % (c, codes[c]) for c in w if c in codes]
                        out.write('\t'.join(fields) + '\n')
                        stats['words'] += 1
    print('corpus: %d word occurrences from %d catalogues (%s); %d words split into pieces, '
          '%d characters without a reading left out' %
          (stats['words'], len(used), ' '.join(used), stats['split'], stats['no reading']))
    if missing:
        print('corpus: catalogues not installed: ' + ' '.join(missing))
    return 0


if __name__ == '__main__':
    sys.exit(main())
