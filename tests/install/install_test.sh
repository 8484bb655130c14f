#!/usr/bin/env bash
# Installs the build into a fresh prefix that only its owner may change, and
# uses it as another, ordinary user would: the launcher's work folder,
# compiling a design there with the installed compiler, opening the result,
# starting the window. As root the user is nobody; otherwise the prefix is
# made read-only for the user running the suite.
# usage: install_test.sh CMAKE BUILD_DIR
set -euo pipefail
cmake=$1
build=$2
source=$(cd "$(dirname "$0")/../.." && pwd)

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

tmp=$(mktemp -d)
cleanup() {
  [ -n "${window_pid:-}" ] && kill "$window_pid" 2>/dev/null
  chmod -R u+w "$tmp" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
chmod 755 "$tmp"

prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
chmod -R go+rX,go-w "$prefix"

home=$tmp/home
mkdir -p "$home/designs"
cp "$source/tests/abelc/ok/counter4_load.abl" "$home/designs/"

# Sanitizer settings pass through; a suppressions file is copied where the
# user can read it.
keep=()
if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]*) ]] && [ -f "${BASH_REMATCH[1]}" ]; then
  install -m 644 "${BASH_REMATCH[1]}" "$tmp/lsan-suppressions.txt"
  LSAN_OPTIONS=${LSAN_OPTIONS/${BASH_REMATCH[1]}/$tmp/lsan-suppressions.txt}
fi
for name in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS; do
  [ -n "${!name:-}" ] && keep+=("$name=${!name}")
done

if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home"
  run_as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod -R a-w "$prefix"
  run_as=()
fi
run_as+=(env -i HOME="$home" PATH="$prefix/bin:/usr/bin:/bin" "${keep[@]}")
as_user() { "${run_as[@]}" "$@"; }

# The premise: the user cannot write into the installation.
if as_user sh -c 'touch "$1/bin/probe" || mkdir "$1/bin/vDosPlus"' sh "$prefix" 2>/dev/null; then
  fail "the user can write into the installed prefix; the test proves nothing"
  exit 1
fi

# --- the installed files ---------------------------------------------------
for file in bin/quelvox-cli bin/abelc bin/quelvox-launch \
            share/man/man1/quelvox-cli.1.gz share/man/man1/abelc.1.gz \
            share/man/man1/quelvox.1.gz share/man/man1/quelvox-launch.1.gz \
            share/bash-completion/completions/quelvox-cli share/bash-completion/completions/abelc; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
for program in quelvox-cli abelc quelvox-launch; do
  [ -x "$prefix/bin/$program" ] || fail "not executable: bin/$program"
done

window=no
if [ -e "$build/quelvox" ]; then
  window=yes
  desktop=$prefix/share/applications/quelvox.desktop
  [ -x "$prefix/bin/quelvox" ] || fail "not installed: bin/quelvox"
  if [ -f "$desktop" ]; then
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$prefix/bin/${exec_line%% *}" ] || fail "the menu entry starts '$exec_line', which is not an installed program"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    png=$prefix/share/icons/hicolor/256x256/apps/$icon.png
    # PNG signature, then the IHDR width and height.
    if [ -f "$png" ]; then
      header=$(od -An -tx1 -N24 "$png" | tr -d ' \n')
      [ "${header:0:16}" = 89504e470d0a1a0a ] || fail "the icon $icon.png is not a PNG file"
      [ "${header:32:16}" = 0000010000000100 ] || fail "the icon $icon.png is not 256x256"
    else
      fail "the menu entry's icon '$icon' is not in hicolor/256x256/apps"
    fi
    # A double click on a .jed or .abl file opens it in the window.
    [ -f "$prefix/share/mime/packages/quelvox.xml" ] || fail "not installed: share/mime/packages/quelvox.xml"
    grep -q '^Exec=quelvox-launch %f$' "$desktop" || fail "the menu entry does not pass the file: $exec_line"
    grep -q '^MimeType=.*application/x-jedec;.*text/x-abel;' "$desktop" || fail "the menu entry names no file types"
    if command -v desktop-file-validate >/dev/null; then
      desktop-file-validate "$desktop" || fail "desktop-file-validate rejects quelvox.desktop"
    fi
  else
    fail "not installed: share/applications/quelvox.desktop"
  fi
fi

# --- the manual pages name what the programs do ------------------------------
# Every command of quelvox-cli --help has its place in the manual page, and
# the manual page names no command that the program lacks.
cli_page=$(zcat "$prefix/share/man/man1/quelvox-cli.1.gz")
help_commands=$("$prefix/bin/quelvox-cli" --help | sed -n 's/^\(usage:\)\? *quelvox-cli \([a-z][a-z-]*\) .*/\2/p' | sort)
# A page writes a hyphen as \-.
page_commands=$(sed -n '/^\.SH SYNOPSIS/,/^\.SH/s/^\.B quelvox\\-cli \([a-z][a-z\-]*\).*/\1/p' <<<"$cli_page" |
  sed 's/\\//g' | sort)
[ -n "$help_commands" ] || fail "quelvox-cli --help lists no commands"
[ "$help_commands" = "$page_commands" ] ||
  fail "quelvox-cli.1 lists the commands '$(echo $page_commands)', the program '$(echo $help_commands)'"
# Options of quelvox-cli --help appear in its page.
for option in $("$prefix/bin/quelvox-cli" --help | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "${option//-/\\\\-}" <<<"$cli_page" || fail "quelvox-cli.1 does not describe $option"
done
# Options of abelc's usage appear in its page.
abelc_page=$(zcat "$prefix/share/man/man1/abelc.1.gz")
for option in $("$prefix/bin/abelc" --no-such-option 2>&1 | grep -o -- '--[a-z-]*' | sort -u); do
  grep -q -- "${option//-/\\\\-}" <<<"$abelc_page" || fail "abelc.1 does not describe $option"
done

# --- compile through the launcher's work folder, as the user -----------------
work=$home/.local/share/quelvox
if out=$(as_user quelvox-launch --run quelvox-cli compile "$home/designs/counter4_load.abl" 2>&1); then
  pass "compiled a design as an ordinary user"
else
  fail "compiling through the launcher failed:"$'\n'"$out"
fi
# The compiled fuse map is loaded at once.
grep -q "fuses match GAL16V8" <<<"$out" || fail "the compiled fuse map was not loaded:"$'\n'"$out"
for ext in out jed doc sim; do
  [ -f "$home/designs/counter4_load.$ext" ] || fail "no counter4_load.$ext beside the design"
done
grep -Eq "^([0-9]+) out of \1 vectors passed" "$home/designs/counter4_load.out" ||
  fail "the listing shows no passed test vectors: $(cat "$home/designs/counter4_load.out")"
[ -L "$work/vDosPlus/vDosPlus.exe" ] || fail "vDosPlus/vDosPlus.exe of the work folder is not a link"
[ "$(readlink -f "$work/vDosPlus/vDosPlus.exe")" = "$prefix/bin/abelc" ] ||
  fail "vDosPlus/vDosPlus.exe links to '$(readlink "$work/vDosPlus/vDosPlus.exe")', not the installed abelc"
[ -f "$work/vDosPlus/abel/abelcpl.jed" ] || fail "the compiler left no work files in vDosPlus/abel/"

# The installed quelvox-cli opens the fuse map the user just compiled.
if out=$(as_user quelvox-cli open "$home/designs/counter4_load.jed" 2>&1); then
  grep -qx "GAL16V8" <<<"$out" || fail "opening the compiled fuse map shows no GAL16V8:"$'\n'"$out"
  pass "opened the compiled JEDEC file"
else
  fail "quelvox-cli open of the compiled fuse map failed:"$'\n'"$out"
fi

# --- the work folder ---------------------------------------------------------
# XDG_DATA_HOME decides where it lies.
folder=$(as_user env XDG_DATA_HOME="$home/data" quelvox-launch --folder) || fail "quelvox-launch --folder failed"
[ "$folder" = "$home/data/quelvox" ] || fail "with XDG_DATA_HOME set the work folder is '$folder'"
[ -d "$home/data/quelvox/vDosPlus/abel" ] || fail "--folder made no vDosPlus/abel/ under XDG_DATA_HOME"

# A link left by an installation that has moved is renewed ...
as_user ln -sfn /nonexistent/bin/abelc "$work/vDosPlus/vDosPlus.exe"
as_user quelvox-launch --folder >/dev/null || fail "quelvox-launch --folder failed"
[ "$(readlink "$work/vDosPlus/vDosPlus.exe")" = "$prefix/bin/abelc" ] ||
  fail "a stale vDosPlus.exe link was not renewed: $(readlink "$work/vDosPlus/vDosPlus.exe")"
# ... but a program the user put there is theirs.
as_user sh -c 'rm "$1" && printf "#!/bin/sh\n" > "$1"' sh "$work/vDosPlus/vDosPlus.exe"
as_user quelvox-launch --folder >/dev/null || fail "quelvox-launch --folder failed"
if [ -L "$work/vDosPlus/vDosPlus.exe" ] || [ "$(cat "$work/vDosPlus/vDosPlus.exe")" != "#!/bin/sh" ]; then
  fail "the launcher replaced the user's own vDosPlus.exe"
fi

# A data directory the user cannot write: a clear message and status 1.
status=0
out=$(as_user env XDG_DATA_HOME="$prefix/share" quelvox-launch --run true 2>&1) || status=$?
[ "$status" -eq 1 ] || fail "an unwritable data directory gives status $status, not 1"
grep -q "cannot create the work folder $prefix/share/quelvox" <<<"$out" || fail "no clear message for an unwritable data directory: $out"

# Bad arguments: the usage and status 2.
status=0
out=$(as_user quelvox-launch --no-such-option 2>&1) || status=$?
[ "$status" -eq 2 ] && grep -q "usage:" <<<"$out" || fail "a bad option gives status $status and '$out'"

# --- the window starts from the menu entry's launcher --------------------------
if [ "$window" = yes ]; then
  # Started directly, not through a function, so that $! is the process that
  # becomes the window.
  # With a file named relative to the user's folder, as a double click or a
  # terminal passes it: the window gets its full path.
  "${run_as[@]}" QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$home/menu" \
    sh -c 'cd "$1" && exec quelvox-launch designs/counter4_load.jed' sh "$home" >"$tmp/window.log" 2>&1 &
  window_pid=$!
  started=no
  for _ in $(seq 100); do
    if [ "$(readlink "/proc/$window_pid/exe" 2>/dev/null)" = "$prefix/bin/quelvox" ]; then
      started=yes
      break
    fi
    kill -0 "$window_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ "$started" = yes ]; then
    sleep 1
    if ! kill -0 "$window_pid" 2>/dev/null; then
      fail "the window ended at once: $(cat "$tmp/window.log")"
    elif [ "$(readlink "/proc/$window_pid/cwd")" != "$home/menu/quelvox" ]; then
      fail "the window runs in $(readlink "/proc/$window_pid/cwd"), not the work folder"
    elif ! tr '\0' '\n' <"/proc/$window_pid/cmdline" | grep -qx "$home/designs/counter4_load.jed"; then
      fail "the window was not given the file: $(tr '\0' ' ' <"/proc/$window_pid/cmdline")"
    else
      pass "the launcher started the installed window in the work folder"
    fi
  else
    fail "the launcher did not start the installed window: $(cat "$tmp/window.log")"
  fi
  kill "$window_pid" 2>/dev/null || true
  wait "$window_pid" 2>/dev/null || true
  window_pid=
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "all install checks passed"
