#!/usr/bin/env bash
# Times the about box from opening to first paint under a virtual X display, once with the
# machine as it is and once with a sound device: ALSA's null device as the default output,
# which the synthesizer opens and plays into like a sound card.
#
#   bench/ui_about/run.sh <build folder> [repetitions]
set -euo pipefail
build=$(cd "${1:?usage: run.sh <build folder> [repetitions]}" && pwd)
repetitions=${2:-15}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/asound.conf" <<'CONF'
pcm.!default { type null }
CONF
alsa_base=/usr/share/alsa/alsa.conf

echo "as the machine is:"
xvfb-run -a "$build/bin/bench_ui_about" "$repetitions"
echo "with ALSA's null device as the sound device:"
ALSA_CONFIG_PATH="$alsa_base:$work/asound.conf" xvfb-run -a "$build/bin/bench_ui_about" "$repetitions"
