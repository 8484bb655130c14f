#!/usr/bin/env bash
# The bash completions of quelvox-cli and abelc, run through compgen as bash
# would when the user presses Tab.
# usage: completion_test.sh SOURCE_DIR QUELVOX_CLI
set -uo pipefail
source_dir=$1
cli=$2
failures=0

# Completes the words (the last is the one being typed) and prints COMPREPLY.
complete_words() {
  local function=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "$function" 2>/dev/null
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' '
}

expect() {
  local want=$1
  shift
  local got
  got=$(complete_words "$@")
  if [ "$got" != "$want" ]; then
    echo "FAIL: '${*:2}' completes to '$got', not '$want'" >&2
    failures=$((failures + 1))
  fi
}

source "$source_dir/packaging/completion/quelvox-cli"
source "$source_dir/packaging/completion/abelc"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/chip.jed" "$work/counter.abl" "$work/notes.txt"
cd "$work"

expect "open " _quelvox_cli "$cli" o
expect "save set-ues simulate " _quelvox_cli "$cli" s
expect "identify info " _quelvox_cli "$cli" i
expect "--help --version " _quelvox_cli "$cli" --
expect "--all --brief --port " _quelvox_cli "$cli" erase --
expect "--brief " _quelvox_cli "$cli" open --
expect "--brief --vectors " _quelvox_cli "$cli" simulate chip.jed --
expect "chip.jed counter.abl notes.txt " _quelvox_cli "$cli" simulate chip.jed --vectors ""
expect "--brief --force --port --security " _quelvox_cli "$cli" program chip.jed --
expect "chip.jed " _quelvox_cli "$cli" open ""
expect "counter.abl " _quelvox_cli "$cli" compile ""
expect "sim:chip.jed " _quelvox_cli "$cli" read out.jed --port sim:c
expect "sim:chip.jed,ATF20V8 sim:chip.jed,ATF22V10B sim:chip.jed,ATF22V10C " _quelvox_cli "$cli" erase --port sim:chip.jed,ATF2
expect "sim:chip.jed,GAL6002B,keep " _quelvox_cli "$cli" erase --port sim:chip.jed,GAL6002B,k
expect "--equations " _abelc abelc --e
expect "--help " _abelc abelc --h
expect "counter.abl " _abelc abelc c
expect "--output-folder " _abelc abelc --o
mkdir "$work/maps"
expect "maps " _abelc abelc -o m
expect "maps " _abelc abelc --output-folder m

exit "$failures"
