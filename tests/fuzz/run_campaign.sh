#!/usr/bin/env bash
# Long fuzz campaign: runs a fuzz test's cases in chunks, each case bounded in time by the
# test's watchdog, and keeps going after a crash, a hang or a sanitizer report, keeping the
# file that caused it. The tests speak the protocol of tests/support/fuzz_campaign.h.
#
#   run_campaign.sh --binary PATH [--test NAME] [--case-file NAME] [--cases N] [--first N]
#                   [--campaign N] [--chunk N] [--case-seconds N] [--out DIR]
#
# PATH is a test binary, by default test_fuzz_mp3_info with its test
# Mp3FuzzTest.MutatedFilesLoadSafely; --test names another fuzz test (for example
# PlaylistFuzzTest.MutatedPlaylistsReadSafely in test_fuzz_playlist_readers). The case that
# failed is kept: the file --case-file names, or else every "case.*" the test wrote. A build with
# -DTRACKLACE_SANITIZE=address,undefined makes sanitizer reports end the run (they are
# counted). Lines that the test prints beginning with "fuzz:" are collected in
# DIR/summaries. Prints one summary line:
#   cases=N crashes=N hangs=N sanitizer_reports=N seconds=N
# and exits 0 only when all three counts are 0.
set -uo pipefail

binary=""
test_name="Mp3FuzzTest.MutatedFilesLoadSafely"
case_file=""
cases=100000
first=0
campaign=1
chunk=10000
case_seconds=10
out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --binary) binary="$2"; shift 2 ;;
    --test) test_name="$2"; shift 2 ;;
    --case-file) case_file="$2"; shift 2 ;;
    --cases) cases="$2"; shift 2 ;;
    --first) first="$2"; shift 2 ;;
    --campaign) campaign="$2"; shift 2 ;;
    --chunk) chunk="$2"; shift 2 ;;
    --case-seconds) case_seconds="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
if [ -z "$binary" ] || [ ! -x "$binary" ]; then
  echo "run_campaign.sh: --binary must name a built test binary" >&2
  exit 2
fi
if [ -z "$out" ]; then
  out="$(mktemp -d /tmp/tracklace_campaign_XXXXXX)"
fi
mkdir -p "$out"
work="$(mktemp -d /tmp/tracklace_fuzz_work_XXXXXX)"
trap 'rm -rf "$work"' EXIT

export ASAN_OPTIONS="abort_on_error=0:exitcode=77:detect_leaks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:exitcode=78"
export LSAN_OPTIONS="exitcode=77"

crashes=0
hangs=0
reports=0
start_time=$(date +%s)
end=$((first + cases))
index=$first
while [ "$index" -lt "$end" ]; do
  count=$((end - index))
  [ "$count" -gt "$chunk" ] && count=$chunk
  log="$work/log"
  # The outer limit only guards against a watchdog that cannot fire.
  TRACKLACE_FUZZ_FIRST=$index TRACKLACE_FUZZ_CASES=$count TRACKLACE_FUZZ_CAMPAIGN=$campaign \
  TRACKLACE_FUZZ_DIR="$work" TRACKLACE_FUZZ_CASE_SECONDS=$case_seconds \
    timeout $((count * case_seconds + 60)) "$binary" --gtest_filter="$test_name" \
    >"$log" 2>&1
  rc=$?
  grep "^fuzz:" "$log" >>"$out/summaries"
  if [ "$rc" -eq 0 ]; then
    index=$((index + count))
    continue
  fi
  failed=$(tr -d ' \n' <"$work/progress" 2>/dev/null)
  [ -z "$failed" ] && failed=$index
  if grep -q "LeakSanitizer" "$log" && ! grep -q "AddressSanitizer\|runtime error" "$log"; then
    # Leaks are reported when the whole chunk has run.
    kind=leak; reports=$((reports + 1)); next=$((index + count))
  elif grep -q "AddressSanitizer\|runtime error" "$log"; then
    kind=sanitizer; reports=$((reports + 1)); next=$((failed + 1))
  elif [ "$rc" -eq 86 ] || [ "$rc" -eq 124 ]; then
    kind=hang; hangs=$((hangs + 1)); next=$((failed + 1))
  elif grep -q "Failure" "$log" && [ "$rc" -eq 1 ]; then
    # A broken invariant of the record, not a crash: counted with the crashes.
    kind=check; crashes=$((crashes + 1)); next=$((failed + 1))
  else
    kind=crash; crashes=$((crashes + 1)); next=$((failed + 1))
  fi
  if [ -n "$case_file" ]; then
    cp "$work/$case_file" "$out/$kind-$campaign-$failed-$case_file" 2>/dev/null
  else
    for kept in "$work"/case.*; do
      [ -f "$kept" ] && cp "$kept" "$out/$kind-$campaign-$failed-${kept##*/}"
    done
  fi
  cp "$log" "$out/$kind-$campaign-$failed.log"
  echo "$kind in case $failed (exit $rc), kept in $out" >&2
  index=$next
done
seconds=$(( $(date +%s) - start_time ))
echo "cases=$cases crashes=$crashes hangs=$hangs sanitizer_reports=$reports seconds=$seconds out=$out"
[ $((crashes + hangs + reports)) -eq 0 ]
