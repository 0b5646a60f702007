"""Readers of the packaged open data: rime tables, essay, Unihan, word lists, OpenCC."""
import bz2
import os
import subprocess
import tempfile

from keypad import strip_tone


def read_rime_table(path):
    """(word, reading, weight) of a compiled rime table text: word TAB reading TAB weight."""
    rows = []
    with open(path, encoding='utf-8') as f:
        for line in f:
            if line.startswith('#'):
                continue
            parts = line.rstrip('\r\n').split('\t')
            if len(parts) != 3:
                continue
            try:
                weight = float(parts[2])
            except ValueError:
                continue
            rows.append((parts[0], parts[1], weight))
    return rows


def read_essay(path):
    """word -> weight of rime's essay: word TAB weight."""
    weights = {}
    with open(path, encoding='utf-8') as f:
        for line in f:
            parts = line.rstrip('\r\n').split('\t')
            if len(parts) != 2:
                continue
            try:
                weights[parts[0]] = float(parts[1])
            except ValueError:
                continue
    return weights


def read_unihan_readings(path):
    """char -> {field: value} for the Mandarin reading fields and kDefinition."""
    wanted = {'kMandarin', 'kHanyuPinlu', 'kXHC1983', 'kHanyuPinyin', 'kTGHZ2013', 'kDefinition'}
    table = {}
    with bz2.open(path, 'rt', encoding='utf-8') as f:
        for line in f:
            if not line.startswith('U+'):
                continue
            parts = line.rstrip('\r\n').split('\t')
            if len(parts) != 3 or parts[1] not in wanted:
                continue
            table.setdefault(chr(int(parts[0][2:], 16)), {})[parts[1]] = parts[2]
    return table


def read_unihan_field(path, field):
    """char -> value of one field of a Unihan file."""
    table = {}
    with bz2.open(path, 'rt', encoding='utf-8') as f:
        for line in f:
            if not line.startswith('U+'):
                continue
            parts = line.rstrip('\r\n').split('\t')
            if len(parts) == 3 and parts[1] == field:
                table[chr(int(parts[0][2:], 16))] = parts[2]
    return table


def gb2312_characters():
    """The 6,763 characters of GB2312 (rows 16-87), from Python's codec."""
    chars = []
    for row in range(0xB0, 0xF8):
        for cell in range(0xA1, 0xFF):
            try:
                chars.append(bytes((row, cell)).decode('gb2312'))
            except UnicodeDecodeError:
                pass
    return chars


def standard_readings(unihan):
    """char -> toneless readings of the General Standard Chinese Characters dictionary
    (Unihan kTGHZ2013), in its order."""
    out = {}
    for ch, fields in unihan.items():
        for item in fields.get('kTGHZ2013', '').split():
            r = strip_tone(item.split(':', 1)[-1])
            if r not in out.setdefault(ch, []):
                out[ch].append(r)
    return out


def marked_readings(fields):
    """Tone-marked readings of one Unihan character, most customary first, no repeats."""
    out = []

    def add(r):
        if r and r not in out:
            out.append(r)

    for r in fields.get('kMandarin', '').split():
        add(r)
    for r in fields.get('kHanyuPinlu', '').split():
        add(r.split('(')[0])
    for field in ('kXHC1983', 'kHanyuPinyin'):
        for item in fields.get(field, '').split():
            for r in item.split(':', 1)[-1].split(','):
                add(r)
    return out


def tone_lookup(unihan):
    """(char, toneless syllable) -> tone-marked syllable."""
    lookup = {}
    for ch, fields in unihan.items():
        for r in marked_readings(fields):
            lookup.setdefault((ch, strip_tone(r)), r)
    return lookup


def read_word_list(path):
    with open(path, encoding='utf-8', errors='replace') as f:
        return [line.strip() for line in f if line.strip()]


def opencc_convert(texts, config):
    """Converts every text with one opencc run; the result lines match the input lines."""
    with tempfile.TemporaryDirectory() as tmp:
        src = os.path.join(tmp, 'in.txt')
        dst = os.path.join(tmp, 'out.txt')
        with open(src, 'w', encoding='utf-8', newline='\n') as f:
            for t in texts:
                f.write(t + '\n')
        subprocess.run(['opencc', '-c', config, '-i', src, '-o', dst], check=True)
        with open(dst, encoding='utf-8') as f:
            out = f.read().split('\n')
    if out and out[-1] == '':
        out.pop()
    if len(out) != len(texts):
        raise RuntimeError('opencc returned %d lines for %d' % (len(out), len(texts)))
    return out


def opencc_dictionary(path):
    """(key, [values]) of an OpenCC .ocd2 dictionary, exported as text by opencc_dict."""
    with tempfile.TemporaryDirectory() as tmp:
        dst = os.path.join(tmp, 'dict.txt')
        subprocess.run(['opencc_dict', '-i', path, '-o', dst, '-f', 'ocd2', '-t', 'text'],
                       check=True)
        rows = []
        with open(dst, encoding='utf-8') as f:
            for line in f:
                parts = line.rstrip('\r\n').split('\t')
                if len(parts) == 2 and parts[0] and parts[1]:
                    rows.append((parts[0], parts[1].split(' ')))
    return rows
