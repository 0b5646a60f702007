"""Keypad codes of pinyin readings and tone-marked spellings."""

# Keypad digit of each letter: the telephone letter groups at the keypad positions
# (keypad 8 9 / 4 5 6 / 1 2 3 stand where a telephone has 2 3 / 4 5 6 / 7 8 9).
_GROUPS = {
    '8': 'abc', '9': 'def', '4': 'ghi', '5': 'jkl', '6': 'mno',
    '1': 'pqrs', '2': 'tuv', '3': 'wxyz',
}
LETTER_DIGIT = {letter: digit for digit, letters in _GROUPS.items() for letter in letters}
# Full-width digits as written in definition texts (U+FF11..U+FF19).
FULL_WIDTH = {str(d): chr(0xFF10 + d) for d in range(10)}


def syllables(reading):
    """Syllables of a space-separated reading, ü written as v."""
    return reading.replace('ü', 'v').split()


def digits_of(letters):
    """Keypad digits of letters a-z, or None when any other character is present."""
    out = []
    for ch in letters:
        d = LETTER_DIGIT.get(ch)
        if d is None:
            return None
        out.append(d)
    return ''.join(out)


def full_width(digits):
    return ''.join(FULL_WIDTH[d] for d in digits)


def full_code(reading):
    """Full-width keypad code of the whole reading, or None."""
    d = digits_of(''.join(syllables(reading)))
    return full_width(d) if d else None


def initials_code(reading):
    """Full-width keypad code of each syllable's first letter, or None."""
    parts = syllables(reading)
    d = digits_of(''.join(p[0] for p in parts if p))
    return full_width(d) if d else None


_MARKED = {
    'a': 'āáǎà', 'e': 'ēéěè', 'i': 'īíǐì', 'o': 'ōóǒò', 'u': 'ūúǔù', 'ü': 'ǖǘǚǜ',
}
_UNMARK = {m: base for base, marks in _MARKED.items() for m in marks}
_UNMARK.update({'ḿ': 'm', 'ń': 'n', 'ň': 'n', 'ǹ': 'n', 'ê': 'e', 'ế': 'e', 'ề': 'e'})


def strip_tone(marked):
    """Toneless spelling of a tone-marked syllable, ü as v."""
    return ''.join(_UNMARK.get(c, c) for c in marked).replace('ü', 'v')


def mark_tone(syllable, tone):
    """Tone-marked spelling of a toneless syllable (v for ü), tone 1-4; 5 or 0 unmarked."""
    s = syllable.replace('v', 'ü')
    if tone not in (1, 2, 3, 4):
        return s
    # a or e takes the mark; in ou the o; otherwise the last vowel.
    for target in ('a', 'e'):
        if target in s:
            i = s.index(target)
            break
    else:
        if 'ou' in s:
            i = s.index('o')
        else:
            vowels = [k for k, c in enumerate(s) if c in 'iouü']
            if not vowels:
                return s
            i = vowels[-1]
    return s[:i] + _MARKED[s[i]][tone - 1] + s[i + 1:]
