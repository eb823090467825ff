#!/usr/bin/env python3
"""Deterministic corpus generator for benchmarking the collusion tool.

Writes DIR/docs/d00001.txt ... (N documents of about W words each), a
self-contained study configuration DIR/study.cfg, copies of the message and
language files it points to, the (empty) output folders DIR/out/{log,voc,rep}
and DIR/planted.tsv listing the passages copied between documents.

The text is drawn from a Zipf-distributed vocabulary (exponent 1.1) of made-up
pronounceable words, mixed with real English function words (so stop-word
removal has work to do), numbers and ordinals (~1% of the tokens), sentence
capitals, punctuation and line breaks every 8 to 15 words. Each document after
the first copies, with probability --copies, one passage of 50 to 500 words from
a random earlier document.

The same arguments always give the same bytes (random.Random(seed) only).
"""

import argparse
import itertools
import os
import shutil
import sys
import time

import random

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
MSG_FILE = os.path.join(REPO, "examples", "messages", "english.msg")
LANG_FILE = os.path.join(REPO, "examples", "language", "english.lang")

VOCABULARY_SIZE = 20000
ZIPF_EXPONENT = 1.1

# Real English function words with rough relative frequencies (per 1000 words
# of running text). All but "one" are stop words of examples/language/english.lang.
# Together they make up about a third of the tokens, like in ordinary prose.
FUNCTION_WORDS = {
    "the": 60, "of": 30, "and": 28, "to": 26, "a": 21, "in": 18, "is": 10,
    "that": 10, "it": 9, "for": 8, "was": 8, "with": 7, "as": 7, "on": 6,
    "he": 6, "by": 5, "be": 5, "at": 5, "this": 5, "from": 4, "or": 4,
    "his": 4, "but": 4, "are": 4, "an": 3, "not": 3, "they": 3, "which": 3,
    "have": 3, "had": 3, "we": 3, "were": 3, "their": 2, "there": 2,
    "been": 2, "one": 2, "all": 2, "she": 2, "would": 2, "her": 2, "so": 2,
    "if": 2, "when": 2, "into": 1, "more": 1, "can": 1, "about": 1,
    "than": 1, "then": 1, "its": 1, "some": 1, "over": 1, "only": 1,
    "also": 1, "may": 1, "between": 1, "because": 1, "through": 1,
}
FUNCTION_SHARE = 0.33
NUMBER_SHARE = 0.01

ONSETS = ["b", "br", "c", "ch", "cl", "d", "dr", "f", "fl", "g", "gr", "h", "j",
          "k", "l", "m", "n", "p", "pl", "qu", "r", "s", "sh", "sk", "st", "t",
          "th", "tr", "v", "w", "z", ""]
VOWELS = ["a", "e", "i", "o", "u", "ai", "ea", "ee", "io", "ou", "oa", "y"]
CODAS = ["", "", "", "n", "r", "l", "s", "m", "nd", "st", "rt", "x", "ck", "th"]


def make_vocabulary(rng, size, forbidden):
    """Unique made-up words of 1 to 4 syllables, shortest first."""
    words = []
    seen = set(forbidden)
    syllable_counts = [1, 2, 3, 4]
    syllable_weights = [3, 6, 3, 1]
    while len(words) < size:
        n = rng.choices(syllable_counts, syllable_weights)[0]
        word = "".join(rng.choice(ONSETS) + rng.choice(VOWELS) + rng.choice(CODAS)
                       for _ in range(n))
        if len(word) < 2 or word in seen:
            continue
        seen.add(word)
        words.append(word)
    # Frequent words are short, as in real languages: the Zipf ranks go to the
    # words by length (a stable sort keeps the result deterministic).
    words.sort(key=len)
    return words


def make_numbers(rng):
    """Number-like tokens: years, small counts, ordinals, and big counts."""
    pool = []
    for _ in range(200):
        pool.append(str(rng.randint(1500, 2030)))
    for _ in range(200):
        pool.append(str(rng.randint(0, 99)))
    for _ in range(100):
        n = rng.randint(1, 120)
        suffix = "th" if 10 <= n % 100 <= 20 else {1: "st", 2: "nd", 3: "rd"}.get(n % 10, "th")
        pool.append(f"{n}{suffix}")
    for _ in range(50):
        pool.append(str(rng.randint(100, 999999)))
    return pool


def read_stop_words(path):
    words, inside = set(), False
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line == "[start stopWords]":
                inside = True
            elif line == "[stop stopWords]":
                inside = False
            elif inside and line:
                words.add(line)
    return words


class TokenSource:
    """Raw token stream: Zipf content words, function words and numbers."""

    def __init__(self, rng, stop_words):
        self.rng = rng
        content = make_vocabulary(rng, VOCABULARY_SIZE, stop_words | set(FUNCTION_WORDS))
        numbers = make_numbers(rng)
        zipf = [1.0 / (r ** ZIPF_EXPONENT) for r in range(1, len(content) + 1)]
        zipf_total = sum(zipf)
        function_total = sum(FUNCTION_WORDS.values())
        content_share = 1.0 - FUNCTION_SHARE - NUMBER_SHARE
        population, weights = [], []
        for word, w in zip(content, zipf):
            population.append(word)
            weights.append(content_share * w / zipf_total)
        for word, w in FUNCTION_WORDS.items():
            population.append(word)
            weights.append(FUNCTION_SHARE * w / function_total)
        for word in numbers:
            population.append(word)
            weights.append(NUMBER_SHARE / len(numbers))
        self.population = population
        self.cum_weights = list(itertools.accumulate(weights))

    def draw(self, k):
        return self.rng.choices(self.population, cum_weights=self.cum_weights, k=k)


def decorate(rng, raw):
    """Sentences over the raw tokens: capitals, commas, quotes, parentheses,
    dashes and end marks. Returns the list of printed tokens."""
    out = []
    n = len(raw)
    i = 0
    randint, rand = rng.randint, rng.random
    while i < n:
        length = randint(5, 24)
        sentence = raw[i:i + length]
        i += length
        first = sentence[0]
        sentence[0] = first[0].upper() + first[1:]
        m = len(sentence)
        if m > 6 and rand() < 0.5:
            k = randint(2, m - 3)
            sentence[k] += ","
        r = rand()
        if m > 6 and r < 0.08:
            a = randint(1, m - 4)
            b = randint(a + 1, min(m - 2, a + 5))
            sentence[a] = "(" + sentence[a]
            sentence[b] += ")"
        elif m > 6 and r < 0.14:
            k = randint(2, m - 3)
            sentence.insert(k, "--")
        r = rand()
        end = "." if r < 0.85 else ("?" if r < 0.95 else "!")
        sentence[-1] += end
        if rand() < 0.06:
            sentence[0] = '"' + sentence[0]
            sentence[-1] += '"'
        out.extend(sentence)
    return out


def lay_out(rng, tokens):
    """Lines of 8 to 15 tokens, '\\n' after every line."""
    lines = []
    n = len(tokens)
    i = 0
    randint = rng.randint
    while i < n:
        step = randint(8, 15)
        lines.append(" ".join(tokens[i:i + step]))
        i += step
    return "\n".join(lines) + "\n"


def write_config(path, out_dir, n_docs, mode, grams, msg_copy, lang_copy):
    lines = [
        "// Generated by bench/make_corpus.py; every pre-processing switch is on.",
        f"interLangFileName={msg_copy}",
        f"languageFileName={lang_copy}",
        f"saveLogIn={os.path.join(out_dir, 'out', 'log')}",
        f"dirVocabularies={os.path.join(out_dir, 'out', 'voc')}",
        f"dirReports={os.path.join(out_dir, 'out', 'rep')}",
        "isToshowWarning=1",
        "isToshowLog=1",
        f"collusionMode={mode}",
        f"gramsSize={grams}",
        "removeMultipleBlanks=1",
        "removeStopWords=1",
        "removePontuation=1",
        "removeNumbers=1",
        "lowerCase=1",
        "preProcType=1",
        "extractType=1",
        "vocabularyType=1",
        "compareType=1",
    ]
    docs = os.path.join(out_dir, "docs")
    for i in range(1, n_docs + 1):
        lines.append(f"file{i}={os.path.join(docs, f'd{i:05d}.txt')}")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


def main(argv=None):
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    p.add_argument("--docs", type=int, required=True, help="number of documents")
    p.add_argument("--words", type=int, required=True, help="words per document (about)")
    p.add_argument("--mode", type=int, required=True, choices=[1, 2, 3], help="collusionMode")
    p.add_argument("--out", required=True, help="output folder")
    p.add_argument("--grams", type=int, default=3, help="gramsSize (default 3)")
    p.add_argument("--seed", type=int, default=1, help="random seed (default 1)")
    p.add_argument("--copies", type=float, default=0.3,
                   help="probability that a document copies a passage from an earlier one (default 0.3)")
    args = p.parse_args(argv)
    if args.docs < 1 or args.words < 1:
        p.error("--docs and --words must be positive")
    if not 1 <= args.grams <= 10:
        p.error("--grams must be 1 to 10")

    started = time.monotonic()
    out = os.path.abspath(args.out)
    docs_dir = os.path.join(out, "docs")
    if os.path.isdir(docs_dir):
        shutil.rmtree(docs_dir)
    os.makedirs(docs_dir)
    for sub in ("log", "voc", "rep"):
        os.makedirs(os.path.join(out, "out", sub), exist_ok=True)
    msg_copy = os.path.join(out, "english.msg")
    lang_copy = os.path.join(out, "english.lang")
    shutil.copyfile(MSG_FILE, msg_copy)
    shutil.copyfile(LANG_FILE, lang_copy)

    rng = random.Random(args.seed)
    source = TokenSource(rng, read_stop_words(LANG_FILE))

    # Printed tokens of the earlier documents, kept to copy passages from.
    earlier = []
    planted = []
    total_words = 0
    total_bytes = 0
    for d in range(1, args.docs + 1):
        tokens = decorate(rng, source.draw(args.words))
        if earlier and rng.random() < args.copies:
            src = rng.randrange(len(earlier))
            src_tokens = earlier[src]
            length = min(rng.randint(50, 500), len(src_tokens))
            start = rng.randint(0, len(src_tokens) - length)
            passage = src_tokens[start:start + length]
            at = rng.randint(0, len(tokens))
            # Replace as many words as are inserted, so sizes stay about W.
            tokens[at:at + length] = passage
            planted.append((f"d{src + 1:05d}.txt", start, f"d{d:05d}.txt", at, length))
        earlier.append(tokens)
        text = lay_out(rng, tokens)
        data = text.encode("ascii")
        with open(os.path.join(docs_dir, f"d{d:05d}.txt"), "wb") as f:
            f.write(data)
        total_words += len(tokens)
        total_bytes += len(data)

    with open(os.path.join(out, "planted.tsv"), "w", encoding="utf-8") as f:
        f.write("source\tsource_word\ttarget\ttarget_word\twords\n")
        for row in planted:
            f.write("\t".join(str(x) for x in row) + "\n")
    write_config(os.path.join(out, "study.cfg"), out, args.docs, args.mode, args.grams,
                 msg_copy, lang_copy)
    print(f"corpus: {args.docs} docs, {total_words} words, {total_bytes / 2**20:.1f} MiB, "
          f"{len(planted)} planted passages, {time.monotonic() - started:.1f} s -> {out}",
          file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
