#!/usr/bin/env python3
"""Writes the kanji variant families the search folds as one, from the Unihan database of Debian's
unicode-data package: the traditional forms the Jinmeiyo list pairs with today's forms
(kJinmeiyoKanji), and the variants Unihan calls the same character (kZVariant), easily taken for
one (kSpoofingVariant) or of the same meaning (kSemanticVariant), among characters with a Japanese
reading. Two characters of the Joyo or Jinmeiyo lists are never one family: they are different words
(崎 and 埼). Usage: kanji-variants.py [UNIHAN_FOLDER] > src/search/kanjivariants.txt"""
import bz2
import sys

folder = sys.argv[1] if len(sys.argv) > 1 else "/usr/share/unicode"
# Traditional forms of names that Unihan lists only as variants of simplified Chinese characters or
# of another character; they are taken first.
BY_HAND = ["辺邊邉", "浜濱濵", "沢澤"]


def fields(name):
    with bz2.open(f"{folder}/{name}.txt.bz2", "rt", encoding="utf-8") as lines:
        for line in lines:
            if line.startswith("U+"):
                code, field, value = line.rstrip("\n").split("\t", 2)
                yield int(code[2:], 16), field, value


def code_points(value, sure_only=False):
    """The characters a field names ("U+5D0E<kMorohashi:Z", "2010:U+56FD"); with sure_only, those
    a dictionary calls the same character (":Z") alone."""
    found = []
    for token in value.split():
        code = token.split("<")[0].split(":")[-1]
        if code.startswith("U+") and (not sure_only or token.endswith(":Z")):
            found.append(int(code[2:], 16))
    return found


japanese, common = set(), set()
pairs = [(ord(family[0]), ord(c)) for family in BY_HAND for c in family[1:]]
for code, field, value in fields("Unihan_Readings"):
    if field in ("kJapaneseOn", "kJapaneseKun"):
        japanese.add(code)
for code, field, value in fields("Unihan_OtherMappings"):
    if field in ("kJoyoKanji", "kJinmeiyoKanji"):
        targets = code_points(value)
        if not targets:
            common.add(code)
        pairs += [(code, target) for target in targets]
variants = list(fields("Unihan_Variants"))
# The surest pairs first: a character joins the first family it may.
for wanted, sure_only in (("kZVariant", False), ("kSemanticVariant", True), ("kSpoofingVariant", False),
                          ("kSemanticVariant", False)):
    pairs += [(code, target) for code, field, value in variants if field == wanted
              for target in code_points(value, sure_only)]

parent = {}


def root(c):
    parent.setdefault(c, c)
    while parent[c] != c:
        parent[c] = parent[parent[c]]
        c = parent[c]
    return c


members = {}
for a, b in pairs:
    if not all(c in japanese or c >= 0x20000 or 0xF900 <= c <= 0xFAFF for c in (a, b)):
        continue
    ra, rb = root(a), root(b)
    if ra == rb:
        continue
    fa, fb = members.get(ra, {ra}), members.get(rb, {rb})
    if any(c in common for c in fa) and any(c in common for c in fb):
        continue
    parent[rb] = ra
    members[ra] = fa | fb
    members.pop(rb, None)

print("# Kanji variant families, one a line, the form they are searched as first. Written by")
print("# scripts/kanji-variants.py from the Unihan database 15.0 (Debian package unicode-data).")
for family in sorted(members.values(), key=min):
    first = min(family, key=lambda c: (c not in common, c))
    print("".join(chr(c) for c in [first] + sorted(family - {first})))
