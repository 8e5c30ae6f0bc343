# Sourced by scripts/test and scripts/test-deep: starts the private sound
# server of scripts/start-audio for the build folder given and stops it when
# the calling shell exits. The `audio` tests reach only that daemon; when it
# did not start, PULSE_SERVER stays unset and those tests fail saying so.
# A daemon this shell started before is stopped first.
start_audio_for_tests() {
  if [ -n "${PULSE_PID:-}" ]; then kill "$PULSE_PID" 2>/dev/null || true; fi
  unset PULSE_SERVER
  PULSE_PID=""
  local audio_env
  if audio_env=$(scripts/start-audio "$1"); then
    eval "$audio_env"
    export PULSE_SERVER
  fi
  trap 'if [ -n "$PULSE_PID" ]; then kill "$PULSE_PID" 2>/dev/null || true; fi' EXIT
}
