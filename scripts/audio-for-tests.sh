# Sourced by scripts/test and scripts/test-deep: starts the private sound
# server of scripts/start-audio in <build folder>/audio, where the tests look
# for it (PULSE_SERVER in their CTest environment), and stops it when the
# calling shell exits. When it does not start, VAND_AUDIO_ERROR says why and
# the `audio` tests fail with that reason; they never pass without it.
# A daemon this shell started before is stopped first.
start_audio_for_tests() {
  local root audio_log
  root=$(pwd)
  if [ -n "${VAND_AUDIO_DIR:-}" ]; then scripts/stop-audio "$VAND_AUDIO_DIR"; fi
  VAND_AUDIO_DIR="$(mkdir -p "$1/audio" && cd "$1/audio" && pwd)"
  unset VAND_AUDIO_ERROR
  trap '"'"$root"'/scripts/stop-audio" "$VAND_AUDIO_DIR"' EXIT
  if ! audio_log=$(scripts/start-audio "$VAND_AUDIO_DIR" 2>&1); then
    export VAND_AUDIO_ERROR="${audio_log:-scripts/start-audio failed}"
    echo "The test sound server did not start: $VAND_AUDIO_ERROR" >&2
  fi
}
