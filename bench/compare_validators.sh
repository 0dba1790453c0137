#!/usr/bin/env bash
# Times `htmlvesk --validate` on generated pages of 1 MB and 10 MB: CPU time
# and peak memory (beside the program's own, on an empty page), then wall
# time; side by side with `tidy -e -q` and `onsgmls -s` (HTML 4.01 Strict)
# when those are installed.
#
#   bench/compare_validators.sh [build-folder] [runs]
#
# The pages are valid HTML 4.01 Strict, so every tool does its whole job and
# reports nothing. Uses hyperfine when it is installed; otherwise each tool
# runs `runs` times (default 5) and the best and mean wall times are shown.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../build}"
runs="${2:-5}"
vesk="$(cd "$build" && pwd)/htmlvesk"
dtd=/usr/share/xml/w3c-sgml-lib/schema/dtd/REC-html401-19991224

for tool in "$vesk" python3; do
  command -v "$tool" > /dev/null || { echo "missing: $tool" >&2; exit 2; }
done
have_tidy=0; have_onsgmls=0
command -v tidy > /dev/null && have_tidy=1
command -v onsgmls > /dev/null && [ -f "$dtd/strict.dtd" ] && have_onsgmls=1

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# ---- the pages (the same page as bench_validator.cpp builds) ---------------
python3 - "$work" <<'PY'
import sys
head = ('<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">\n'
        '<HTML lang="en">\n<HEAD>\n<META http-equiv="Content-Type" content="text/html; charset=utf-8">\n'
        '<TITLE>Generated page</TITLE>\n</HEAD>\n<BODY>\n')
block = ('<H2><A name="s{n}">Section {n}</A></H2>\n<P>Paragraph {n} with <EM>emphasis</EM>, '
         '<STRONG>strong text</STRONG>, a <A href="page{n}.html" title="Page {n}">link</A>\n'
         'and an image <IMG src="pic{n}.png" alt="Picture {n}" width="32" height="32">. '
         'Some &amp; entities &lt; here.\n<P>A second paragraph whose end tag is left out, as HTML allows.\n'
         '<UL>\n<LI>first item of list {n}\n<LI>second item with <CODE>code</CODE>\n</UL>\n'
         '<TABLE summary="Table {n}" border="1">\n<TR><TH>Name<TH>Value\n<TR><TD>alpha<TD align="right">{n}\n'
         '</TABLE>\n<DIV class="note"><P>Note {n}.</P></DIV>\n')
for mb in (1, 10):
    parts, total, n = [head], len(head), 0
    while total < mb << 20:
        b = block.replace('{n}', str(n)); parts.append(b); total += len(b); n += 1
    parts.append('</BODY>\n</HTML>\n')
    open(f'{sys.argv[1]}/page-{mb}mb.html', 'w').write(''.join(parts))
PY

# ---- onsgmls: the W3C HTML 4.01 Strict DTD and SGML declaration -------------
cat > "$work/catalog" <<CAT
OVERRIDE YES
PUBLIC "-//W3C//DTD HTML 4.01//EN" "$dtd/strict.dtd"
PUBLIC "-//W3C//ENTITIES Latin1//EN//HTML" "$dtd/HTMLlat1.ent"
PUBLIC "-//W3C//ENTITIES Special//EN//HTML" "$dtd/HTMLspecial.ent"
PUBLIC "-//W3C//ENTITIES Symbols//EN//HTML" "$dtd/HTMLsymbol.ent"
SGMLDECL "$work/html4.dcl"
CAT
cat > "$work/html4.dcl" <<'DCL'
<!SGML "ISO 8879:1986 (WWW)"
  CHARSET
    BASESET "ISO Registration Number 177//CHARSET ISO/IEC 10646-1:1993 UCS-4 with implementation level 3//ESC 2/5 2/15 4/6"
    DESCSET 0 9 UNUSED 9 2 9 11 2 UNUSED 13 1 13 14 18 UNUSED 32 95 32 127 1 UNUSED
            128 32 UNUSED 160 55136 160 55296 2048 UNUSED 57344 1056768 57344
  CAPACITY SGMLREF TOTALCAP 150000 GRPCAP 150000 ENTCAP 150000
  SCOPE DOCUMENT
  SYNTAX
    SHUNCHAR CONTROLS 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 127
    BASESET "ISO 646IRV:1991//CHARSET International Reference Version (IRV)//ESC 2/8 4/2"
    DESCSET 0 128 0
    FUNCTION RE 13 RS 10 SPACE 32 TAB SEPCHAR 9
    NAMING LCNMSTRT "" UCNMSTRT "" LCNMCHAR ".-_:" UCNMCHAR ".-_:" NAMECASE GENERAL YES ENTITY NO
    DELIM GENERAL SGMLREF SHORTREF SGMLREF
    NAMES SGMLREF
    QUANTITY SGMLREF ATTCNT 60 ATTSPLEN 65536 LITLEN 65536 NAMELEN 65536 PILEN 65536
             TAGLVL 100 TAGLEN 65536 GRPGTCNT 150 GRPCNT 64
  FEATURES
    MINIMIZE DATATAG NO OMITTAG YES RANK NO SHORTTAG YES
    LINK SIMPLE NO IMPLICIT NO EXPLICIT NO
    OTHER CONCUR NO SUBDOC NO FORMAL YES
  APPINFO NONE>
DCL
export SP_CHARSET_FIXED=YES SP_ENCODING=utf-8

names=("htmlvesk --validate")
commands=("'$vesk' --validate FILE")
if ((have_tidy)); then names+=("tidy -e -q"); commands+=("tidy -e -q FILE"); fi
if ((have_onsgmls)); then names+=("onsgmls -s"); commands+=("onsgmls -s -c '$work/catalog' FILE"); fi

# ---- what each tool says about the pages ------------------------------------
echo "Each tool on the 1 MB page (exit status, lines of output):"
set +e
for k in "${!commands[@]}"; do
  out=$(eval "${commands[$k]//FILE/$work/page-1mb.html}" 2>&1)
  printf "  %-20s: %s / %s\n" "${names[$k]}" "$?" "$(printf '%s\n' "$out" | grep -c .)"
done
set -e
echo

# ---- CPU time and peak memory ------------------------------------------------
# htmlvesk on an empty page shows what the program itself takes; the goal is
# that a page costs less than twice its size on top of that.
if [ -x /usr/bin/time ]; then
  : > "$work/empty.html"
  echo "CPU time and peak memory, best of $runs runs:"
  printf "  %-22s %10s %10s %12s\n" "tool" "page" "CPU (s)" "peak (MiB)"
  for page in empty page-1mb page-10mb; do
    for k in "${!commands[@]}"; do
      [ "$page" = empty ] && [ "$k" != 0 ] && continue
      cmd="${commands[$k]}"
      best_cpu=""; best_mem=""
      for ((r = 0; r < runs; r++)); do
        eval "/usr/bin/time -o '$work/time' -f '%U %S %M' ${cmd//FILE/$work/$page.html}" > /dev/null 2>&1 || true
        read -r cpu mem < <(awk 'END { print $1 + $2, $3 }' "$work/time")
        if [ -z "$best_cpu" ] || awk -v a="$cpu" -v b="$best_cpu" 'BEGIN { exit !(a < b) }'; then best_cpu=$cpu; fi
        if [ -z "$best_mem" ] || [ "$mem" -lt "$best_mem" ]; then best_mem=$mem; fi
      done
      awk -v n="${names[$k]}" -v p="$page" -v c="$best_cpu" -v m="$best_mem" \
        'BEGIN { printf "  %-22s %10s %10.3f %12.1f\n", n, p, c, m / 1024 }'
    done
  done
  echo
fi

# ---- timing ---------------------------------------------------------------

if command -v hyperfine > /dev/null; then
  for mb in 1 10; do
    file="$work/page-${mb}mb.html"
    args=()
    for c in "${commands[@]}"; do args+=("${c//FILE/$file}"); done
    hyperfine --warmup 1 --runs "$runs" -i "${args[@]}"
  done
  exit 0
fi

now_ns() { date +%s%N; }
printf "%-22s %8s %12s %12s\n" "tool" "page" "best (s)" "mean (s)"
for mb in 1 10; do
  file="$work/page-${mb}mb.html"
  for k in "${!commands[@]}"; do
    cmd="${commands[$k]//FILE/$file}"
    eval "$cmd" > /dev/null 2>&1 || true  # warm the page cache
    best=0; sum=0
    for ((r = 0; r < runs; r++)); do
      t0=$(now_ns); eval "$cmd" > /dev/null 2>&1 || true; t1=$(now_ns)
      d=$((t1 - t0)); sum=$((sum + d))
      if ((best == 0 || d < best)); then best=$d; fi
    done
    awk -v n="${names[$k]}" -v mb="$mb" -v b="$best" -v s="$sum" -v r="$runs" \
      'BEGIN { printf "%-22s %6s MB %12.3f %12.3f\n", n, mb, b / 1e9, s / r / 1e9 }'
  done
done
