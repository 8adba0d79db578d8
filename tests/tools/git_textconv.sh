#!/usr/bin/env bash
# git diff with z5def textconv, run by real git in a repository of its own:
# a one-value edit of a committed track shows as that one line of Trk.def
# changed. No configuration of the user or the system is read.
# Usage: git_textconv.sh Z5DEF SAMPLES_DIR
set -euo pipefail
z5def="$1"
samples="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work" GIT_CONFIG_NOSYSTEM=1 GIT_CONFIG_GLOBAL="$work/gitconfig"
export GIT_AUTHOR_NAME=test GIT_AUTHOR_EMAIL=test@example.invalid
export GIT_COMMITTER_NAME=test GIT_COMMITTER_EMAIL=test@example.invalid
unset GIT_DIR GIT_WORK_TREE GIT_EXTERNAL_DIFF GIT_PAGER PAGER

mkdir "$work/repo" "$work/edit"
cd "$work/repo"
git init -q .
# The README's lines.
printf '*.%s diff=z5\n' 3do trk cam scr stg dat >> .gitattributes
printf '*.%s diff=z5\n' 3DO TRK CAM SCR STG DAT >> .gitattributes
git config diff.z5.textconv "\"$z5def\" textconv"
cp "$samples/oval.trk" OVAL.TRK
git add .gitattributes OVAL.TRK
git commit -qm "the game's track"

"$z5def" -q -C "$work/edit" trk decompile "$work/repo/OVAL.TRK"
sed -i 's/^\(Length: *\)160000/\1160100/' "$work/edit/Trk.def"
"$z5def" -q -C "$work/edit" trk compile
cp "$work/edit/New.trk" OVAL.TRK

git diff --no-color --no-ext-diff > "$work/out"
changed="$(grep -E '^[-+]' "$work/out" | grep -vE '^(---|\+\+\+) ')"
expected="$(printf -- '-Length:           160000\n+Length:           160100')"
if [ "$changed" != "$expected" ]; then
    echo "git diff shows:" >&2
    cat "$work/out" >&2
    exit 1
fi
