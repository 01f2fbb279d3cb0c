#!/usr/bin/env bash
# Long fuzz campaign for the tag reader of the other formats (FLAC, Ogg, MP4, ASF, WAV,
# AIFF, APE, WavPack, Musepack, TrueAudio), through the MP3 campaign's script:
#
#   run_campaign.sh --binary PATH [options of tests/fuzz/run_campaign.sh]
#
# PATH is a build of test_fuzz_tag_info, best one configured with the asan preset
# (address and undefined-behaviour sanitizers on our code; TagLib is Debian's build and
# is not instrumented, so a fault inside it shows as a crash or a hang). Cases that take
# longer than one second count as hangs unless --case-seconds says otherwise.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
exec "$here/../fuzz/run_campaign.sh" --case-seconds 1 "$@" \
  --test TagFuzzTest.MutatedFilesLoadSafely --case-file case.bin
