#!/usr/bin/env bash
# Long fuzz campaign for the hive parser: the test RegistryReliability.DamagedAndRandom-
# FilesNeverUpsetTheParser with many more cases than CI runs, through the shared campaign
# script, each case allowed one second.
#
#   run_fuzz_campaign.sh --binary PATH/test_platform_registry [--cases N] [other options
#                        of tests/fuzz/run_campaign.sh]
#
# The test's own counts (accepted and round-tripped, refused, slowest case) land in
# OUT/summaries, one "fuzz:" line per chunk.
exec "$(dirname "$0")/../../fuzz/run_campaign.sh" \
  --test RegistryReliability.DamagedAndRandomFilesNeverUpsetTheParser --case-file case.reg \
  --case-seconds 1 "$@"
