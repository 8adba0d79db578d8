#!/usr/bin/env bash
# Proves that z5def.exe under wine writes the same bytes as z5def on Linux:
# the demo (every command, each format's round trip), a raw dump and byte
# table of every sample file, and the picture and OBJ of every object and
# track, run by both into fresh folders, compared file by file, and the two
# transcripts compared line by line.
# Usage: scripts/windows-compare.sh LINUX_Z5DEF WINDOWS_Z5DEF_EXE
# WINEPREFIX defaults to the windows build's own prefix.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
linux="$(realpath "$1")"
exe="$(realpath "$2")"
export WINEPREFIX="${WINEPREFIX:-$here/build/windows/wineprefix}"
export WINEDEBUG=-all
wine=/usr/lib/wine/wine64

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

# Runs z5def.exe under wine; absolute paths become paths on drive Z:, which
# is the host's root there.
cat > "$scratch/z5def-wine" <<WRAPPER
#!/usr/bin/env bash
args=()
for a in "\$@"; do case "\$a" in /*) args+=("Z:\$a") ;; *) args+=("\$a") ;; esac; done
exec "$wine" "$exe" "\${args[@]}"
WRAPPER
chmod +x "$scratch/z5def-wine"

run() {  # run NAME Z5DEF: the demo and the dumps of every sample into $scratch/NAME
    local out="$scratch/$1" z5def="$2"
    "$here/scripts/demo.sh" "$z5def" "$out/demo"
    for sample in "$here"/samples/*; do
        local name folder
        name="$(basename "$sample")"
        folder="$out/samples/$name"
        mkdir -p "$folder"
        # Raw views of every file; pictures and OBJ of every object and track.
        local commands=("dump" "textdoc")
        case "$name" in
            *.3do) commands+=("3do view" "3do export") ;;
            *.trk) commands+=("trk view") ;;
        esac
        for command in "${commands[@]}"; do
            # shellcheck disable=SC2086 # "3do view" is two words
            if "$z5def" -q -C "$folder" $command "$sample"; then
                echo "ok      samples/$name: z5def $command"
            else
                echo "FAILED  samples/$name: z5def $command (status $?)"
            fi
        done
    done
}

run linux "$linux" | sed "s|$scratch/linux|OUT|g" > "$scratch/linux.txt"
# A diagnostic names its file by the system's separator.
run windows "$scratch/z5def-wine" | sed "s|$scratch/windows|OUT|g" |
    sed -E ':a; s/^([^ :\\]*)\\([^ :]*:[0-9]+:[0-9]+: (warning|error): )/\1\/\2/; ta' > "$scratch/windows.txt"

status=0
if grep -q '^FAILED' "$scratch/linux.txt" "$scratch/windows.txt"; then
    grep '^FAILED' "$scratch/linux.txt" "$scratch/windows.txt"
    status=1
fi
if ! diff -u "$scratch/linux.txt" "$scratch/windows.txt"; then status=1; fi
if ! diff -r "$scratch/linux" "$scratch/windows"; then status=1; fi
files="$(find "$scratch/linux" -type f | wc -l)"
if [ "$status" -eq 0 ]; then
    echo "z5def.exe under wine and z5def on Linux wrote the same $files files, byte for byte."
else
    echo "z5def.exe under wine and z5def on Linux differ (see above)."
fi
exit "$status"
