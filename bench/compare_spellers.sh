#!/usr/bin/env bash
# Times `htmlvesk --spell` side by side with `hunspell -l` and `aspell list`
# on the same 10 MB of English prose with markup, made of words of the
# American English word list english.dct is built from.
#
#   bench/compare_spellers.sh [build-folder] [runs]
#
# hunspell and aspell come from Debian (the VESK_BENCH_SPELL_PACKAGES of
# tools/ensure-deps.sh, installed here when missing and run as root). Each
# tool runs `runs` times (default 3); the best and mean wall and CPU times
# are shown, and the words per second of the best run. Their dictionaries
# differ from ours, so each lists some words: what matters is the speed.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
runs="${2:-3}"
vesk="$(cd "$build" && pwd)/htmlvesk"
words=/usr/share/dict/american-english

source "$here/../tools/ensure-deps.sh"
vesk_ensure_packages wamerican "${VESK_BENCH_SPELL_PACKAGES[@]}"
for tool in "$vesk" hunspell aspell python3; do
  command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HTMLVESK_HOME="$work/home"

python3 - "$words" "$work/prose.html" <<'PY'
import random, sys
words = [w.strip() for w in open(sys.argv[1], encoding='utf-8') if w.strip()]
common = [w for w in words if w.isascii() and w.isalpha() and w.islower() and len(w) <= 7]
rng = random.Random(20261207)
tags = [('<p>', '</p>'), ('<b>', '</b>'), ('<i>', '</i>'), ('<a href="page.html">', '</a>'), ('<em>', '</em>')]
out, size, prev = [], 0, ''
while size < 10 << 20:
    t = rng.choice(tags)
    line = [t[0]]
    for i in range(rng.randint(8, 16)):
        w = prev
        while w == prev:
            w = rng.choice(common) if rng.random() < 0.8 else rng.choice(words)
        prev = w
        if i == 0 and w in common:
            w = w.capitalize()
        line.append(w)
    line[-1] += '.'
    line.append(t[1])
    s = ' '.join(line) + '\r\n'
    out.append(s)
    size += len(s.encode('utf-8'))
open(sys.argv[2], 'w', encoding='utf-8', newline='').write(''.join(out))
PY
file="$work/prose.html"
count=$(sed -e 's/<[^>]*>/ /g' "$file" | wc -w)
echo "Page: $(($(stat -c %s "$file") / 1048576)) MB, $count words"

names=("htmlvesk --spell" "hunspell -l" "aspell list")
commands=("'$vesk' --spell '$file'" "hunspell -H -l -d en_US '$file'" "aspell list --mode=html --lang=en_US < '$file'")

echo "What each tool lists:"
for k in 0 1 2; do
  printf "  %-18s %8s lines\n" "${names[$k]}" "$(eval "${commands[$k]}" 2> /dev/null | wc -l)"
done
echo

printf "%-18s %10s %10s %10s %14s\n" "tool" "best (s)" "mean (s)" "CPU (s)" "words/s"
for k in 0 1 2; do
  cmd="${commands[$k]}"
  eval "$cmd" > /dev/null 2>&1 || true  # warm the page cache
  best=0; sum=0; cpu=0
  for ((r = 0; r < runs; r++)); do
    start=$(date +%s%N)
    t=$( { /usr/bin/time -f "%U %S" bash -c "$cmd > /dev/null 2>&1" ; } 2>&1 | tail -1)
    d=$(( $(date +%s%N) - start )); sum=$((sum + d))
    if ((best == 0 || d < best)); then best=$d; cpu=$(awk -v t="$t" 'BEGIN { split(t, a, " "); print a[1] + a[2] }'); fi
  done
  awk -v n="${names[$k]}" -v b="$best" -v s="$sum" -v r="$runs" -v c="$cpu" -v w="$count" \
    'BEGIN { printf "%-18s %10.3f %10.3f %10.2f %14.0f\n", n, b / 1e9, s / r / 1e9, c, w / (b / 1e9) }'
done
