#!/usr/bin/env bash
# Writes the sample application executable of the tool chain to the file $1.
#
# Layout, as apppack expects it: a 2048-byte header, then the body.
#   header  0-7     "LZSAPP01"
#           8-11    body length, 32-bit little-endian
#           12-15   0
#           16-75   the 60-byte record apppack cuts into app_head.bin
#           76-2047 zeros
#   body    a table of 32-bit words, a block of message strings and a zeroed
#           data section: roughly what a small program holds, some of it
#           packing well and some of it not.
# Bash and coreutils only, no randomness: the same bytes on every machine.
set -euo pipefail

out=$1
HEADER_SIZE=2048
RECORD="sample application 1.0 for the lzstools loader, entry 0x0800"
TABLE_WORDS=3072
MESSAGES=240
DATA_SECTION=8192

# A 32-bit little-endian word, through printf's \x escapes.
le32() {
  local escapes
  printf -v escapes '\\x%02x\\x%02x\\x%02x\\x%02x' \
    $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255))
  printf '%b' "$escapes"
}

body() {
  # Word table: a multiplicative hash in the low half of each word (packs
  # poorly), a slowly rising offset in the high half (packs well).
  local i
  for ((i = 0; i < TABLE_WORDS; i++)); do
    le32 $(( ((i * 2654435761) >> 16 & 0xFFFF) | (i / 8) << 16 ))
  done
  for ((i = 0; i < MESSAGES; i++)); do
    printf 'msg %03d: checkpoint %d passed, %d left\0' "$i" $((i % 140)) $((139 - i % 140))
  done
  head -c "$DATA_SECTION" /dev/zero
}

body_file=$(mktemp)
trap 'rm -f "$body_file"' EXIT
body >"$body_file"
body_length=$(stat -c %s "$body_file")

{
  printf 'LZSAPP01'
  le32 "$body_length"
  le32 0
  printf '%-60.60s' "$RECORD"
  head -c $((HEADER_SIZE - 76)) /dev/zero
  cat "$body_file"
} >"$out"
