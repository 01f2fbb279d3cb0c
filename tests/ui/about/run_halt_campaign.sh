#!/usr/bin/env bash
# Long start/halt campaign for the about box's player on the real-time FluidSynth stream
# (through its file driver, so no sound card is needed): every cycle starts the music,
# lets it play for 0 to 30 ms and halts it, with a dense song and with a short one.
#
#   run_halt_campaign.sh --binary PATH [--cycles N]
#
# PATH is a build of test_ui_about; N cycles per song (default 2000). Prints the test's
# summary line (cycles, time-outs, longest halt) and the run's seconds, and exits 0 only
# when no halt waited out its time limit.
set -uo pipefail

binary=""
cycles=2000
while [ $# -gt 0 ]; do
  case "$1" in
    --binary) binary="$2"; shift 2 ;;
    --cycles) cycles="$2"; shift 2 ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
done
if [ -z "$binary" ] || [ ! -x "$binary" ]; then
  echo "run_halt_campaign.sh: --binary must name the built test_ui_about" >&2
  exit 2
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
start_time=$(date +%s)
# A halt that times out costs 2 s; the outer limit allows every cycle one and a margin.
TMPDIR="$work" TRACKLACE_HALT_CYCLES="$cycles" QT_QPA_PLATFORM=offscreen \
  timeout $((cycles * 2 * 3 + 120)) "$binary" \
  --gtest_filter=CMIDIRealTime.StartHaltCyclesNeverWaitOutTheTimeLimit >"$work/log" 2>&1
rc=$?
summary=$(grep -m1 '^halt cycles=' "$work/log")
echo "${summary:-no summary (exit $rc)} seconds=$(($(date +%s) - start_time))"
if [ "$rc" -ne 0 ]; then
  tail -n 20 "$work/log" >&2
fi
exit "$rc"
