"""Ranking the readings of a word where the lexicons leave them unranked."""
import collections
import math

from keypad import syllables

# Weight share left to a reading that the ranking puts behind a word's favoured one.
MINOR_READING_SHARE = 0.01


def char_reading_shares(readings):
    """(character, syllable) -> the reading's share of the character's weight."""
    totals = collections.Counter()
    for (w, _), f in readings.items():
        if len(w) == 1:
            totals[w] += f
    shares = {}
    for (w, r), f in readings.items():
        if len(w) == 1:
            shares[(w, r)] = f / totals[w] if totals[w] > 0 else 0.0
    return shares


def char_score(word, reading, shares):
    """How well the reading fits what the word's characters are mostly read as."""
    return sum(math.log(shares.get((c, s), 0.0) + 1e-6) for c, s in zip(word, syllables(reading)))


def settle_word_readings(readings, simp_rows):
    """Words of several characters with several readings: luna pinyin lists a word's
    alternatives all at one weight. Where pinyin_simp knows the word, its weights rank the
    readings (readings it lacks fall to a hundredth); readings still tied at the top are
    ranked by what their characters are mostly read as, and all but the best fall to a
    hundredth. Changes readings in place; returns the number of readings lowered."""
    simp = collections.defaultdict(dict)
    for w, r, f in simp_rows:
        r = ' '.join(syllables(r))
        if f > simp[w].get(r, -1.0):
            simp[w][r] = f
    by_word = collections.defaultdict(list)
    for (w, r) in readings:
        if len(w) > 1:
            by_word[w].append(r)
    shares = char_reading_shares(readings)
    lowered = 0
    for w, rs in by_word.items():
        if len(rs) < 2:
            continue
        top = max(readings[(w, r)] for r in rs)
        weights = {}
        known = simp.get(w)
        if known and max(known.values()) > 0:
            best = max(known.values())
            for r in rs:
                weights[r] = top * known[r] / best if r in known else top * MINOR_READING_SHARE
        else:
            weights = {r: readings[(w, r)] for r in rs}
        high = max(weights.values())
        tied = [r for r in rs if weights[r] == high]
        if len(tied) > 1:
            keep = max(tied, key=lambda r: (char_score(w, r, shares), r))
            for r in tied:
                if r != keep:
                    weights[r] = high * MINOR_READING_SHARE
        for r in rs:
            if weights[r] < readings[(w, r)]:
                lowered += 1
            readings[(w, r)] = weights[r]
    return lowered
