#!/usr/bin/env bash
# Ctrl-C in the middle of a Windows packer's run removes its pending output
# and keeps the earlier one. Wine delivers a SIGINT sent to the process of a
# Windows program as a Ctrl-C console event; that is the one control event it
# can stage here (it has no console to send Ctrl-Break or a close from).
#
# Usage: interrupt_test.sh PROGRAM.exe
set -euo pipefail
program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Text in which matches abound but every block differs: slow enough to pack
# that the interruption comes long before the end.
seq 1 3000000 >big.txt
echo earlier >big.lzs

wine "$program" big.txt >out 2>err &
pid=$!
# Wait for the temporary file to hold data.
for _ in $(seq 600); do
  temp=$(find . -maxdepth 1 -name '.lzstmp-*' -size +64k | head -n 1)
  [[ -n $temp ]] && break
  sleep 0.05
done
if [[ -z $temp ]]; then
  wait "$pid" || true
  echo "no temporary file seen while the packer ran" >&2
  exit 1
fi
kill -INT "$pid"
status=0
wait "$pid" || status=$?

fail=0
# STATUS_CONTROL_C_EXIT (0xC000013A) reaches the shell as its low byte.
if ((status != 0x3A)); then echo "status $status, not the interrupted one (58)" >&2; fail=1; fi
if [[ $(cat big.lzs) != earlier ]]; then echo "the earlier output changed" >&2; fail=1; fi
left=$(find . -mindepth 1 ! -name big.txt ! -name big.lzs ! -name out ! -name err)
if [[ -n $left ]]; then echo "left behind: $left" >&2; fail=1; fi
exit $fail
