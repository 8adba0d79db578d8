# Sourced by the Blender tests: exits 77 (skipped) when Blender is not
# installed, else makes the test's folder $work (removed at the end).
# run_blender TIMEOUT SCRIPT ARGS... runs Blender headless on the Python
# SCRIPT with ARGS after "--", its settings, add-ons and files in $work (a
# HOME and a Blender configuration of its own), stopped after TIMEOUT
# seconds; its output goes to $work/blender.log, shown when it fails.
if ! command -v blender > /dev/null; then
    echo "blender is not installed: the test is skipped"
    exit 77
fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run_blender() {
    local seconds="$1" script="$2"
    shift 2
    mkdir -p "$work/config" "$work/scripts" "$work/datafiles"
    HOME="$work" BLENDER_USER_CONFIG="$work/config" BLENDER_USER_SCRIPTS="$work/scripts" \
        BLENDER_USER_DATAFILES="$work/datafiles" \
        timeout "$seconds" blender -b --factory-startup --python-exit-code 1 \
        --python "$script" -- "$@" > "$work/blender.log" 2>&1 || {
        cat "$work/blender.log"
        return 1
    }
}
