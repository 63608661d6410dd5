#!/usr/bin/env bash
# Installs the build with DESTDIR into a temporary prefix, moves the prefix to a folder whose
# name holds a blank and non-ASCII characters, and plays from there: the programs must find
# their files from their own folder, and no installed file may hold a path of the build, the
# sources or the prefix. Usage: install_test.sh CMAKE BUILD_DIR SOURCE_DIR gui|nogui
# The build is a plain one, as shipped (a sanitizer build keeps source paths in its programs).
set -euo pipefail
cmake="$1"
build="$2"
source="$3"
gui="$4"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*"
    exit 1
}

prefix="$work/prefix"
DESTDIR="$work/stage" "$cmake" --install "$build" --prefix "$prefix" --strip >"$work/install.log"
moved="$work/moved フォグ ランタン/rl00"
mkdir -p "$(dirname "$moved")"
mv "$work/stage$prefix" "$moved"
rm -rf "$work/stage"
echo "installed into $prefix (DESTDIR), moved to $moved"

expected=(bin/rl00-headless share/rl00/ATARI.ods share/applications/rl00.desktop
    share/icons/hicolor/scalable/apps/rl00.svg share/man/man6/rl00-headless.6.gz
    share/doc/rl00/copyright share/doc/rl00/THIRD-PARTY-NOTICES share/doc/rl00/README.md
    share/doc/rl00/docs/guide.md share/doc/rl00/docs/guide.ja.md share/doc/rl00/docs/images/panel.png)
if [[ $gui == gui ]]; then
    expected+=(bin/rl00 share/man/man6/rl00.6.gz)
    for size in 16 24 32 48 64 128 256; do
        expected+=("share/icons/hicolor/${size}x${size}/apps/rl00.png")
    done
fi
if [[ -x "$build/app/rl00-calc-bridge" ]]; then expected+=(libexec/rl00/rl00-calc-bridge); fi
for f in "${expected[@]}"; do
    [[ -f "$moved/$f" ]] || fail "not installed: $f"
done
echo "installed: ${#expected[@]} expected files present"

# No path of the build machine in any installed file, compressed manual pages included.
for path in "$build" "$source" "$prefix" "$work"; do
    if grep -rlF -- "$path" "$moved"; then fail "an installed file holds $path"; fi
    for page in "$moved"/share/man/man6/*.gz; do
        if zcat "$page" | grep -qF -- "$path"; then fail "$page holds $path"; fi
    done
done
echo "grep: no installed file holds the build, source, prefix or temporary folder"

export HOME="$work/home"
export XDG_CONFIG_HOME="$work/config ユーザー"
export XDG_DATA_HOME="$work/data ユーザー"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
cd "$work"  # anywhere but the program's folder

version="$("$moved/bin/rl00-headless" --version)"
[[ $version =~ ^rl00-headless\ [0-9]+\.[0-9]+ ]] || fail "--version said: $version"
echo "rl00-headless --version: $version"

# The first start writes the user's default settings, and the run log follows them.
"$moved/bin/rl00-headless" --games 1000 --quiet --seed 7 7 2>"$work/err" ||
    fail "the 1000-game run ended with $?: $(cat "$work/err")"
ini="$XDG_CONFIG_HOME/rl00/RL00.INI"
[[ "$(cat "$work/err")" == "rl00-headless: wrote the default settings to $ini" ]] ||
    fail "unexpected messages: $(cat "$work/err")"
settings="$(iconv -f UTF-8 -t UTF-8 "$ini")" || fail "the default settings are not UTF-8"
! grep -q $'\r' "$ini" || fail "the default settings have CR LF line ends"
grep -qF "\"$XDG_DATA_HOME/rl00/log\"" <<<"$settings" || fail "no log folder in $ini"
grep -qF "\"$moved/share/rl00\"" <<<"$settings" || fail "no workbook folder in $ini"
log="$XDG_DATA_HOME/rl00/log/RL00LOG.TXT"
[[ $(wc -l <"$log") -eq 1000 ]] || fail "$(wc -l <"$log") records, expected 1000 (every game a hit)"
echo "1000 games with argument 7: $(wc -l <"$log") records in $log"

if [[ $gui == gui ]]; then
    version="$(env -u DISPLAY -u WAYLAND_DISPLAY "$moved/bin/rl00" --version)"
    [[ $version =~ ^rl00\ [0-9]+\.[0-9]+ ]] || fail "rl00 --version said: $version"
    QT_QPA_PLATFORM=offscreen timeout 240 "$moved/bin/rl00" --no-delay --end-after-games 3 7 \
        2>"$work/err" || fail "the window program ended with $?: $(cat "$work/err")"
    [[ ! -s "$work/err" ]] || fail "the window program said: $(cat "$work/err")"
    [[ $(wc -l <"$log") -eq 1003 ]] || fail "the window program's 3 hits are not in the log"
    echo "rl00 --version: $version; 3 window games with argument 7 logged"
fi

# Settings that cannot be written: one line, and the games are played with empty settings.
echo "in the way" >"$work/a file"
XDG_CONFIG_HOME="$work/a file" "$moved/bin/rl00-headless" --games 10 --quiet --seed 1 7 \
    2>"$work/err" || fail "the run without settings ended with $?"
expected_line="rl00-headless: cannot write the default settings $work/a file/rl00/RL00.INI: "
expected_line+="$work/a file is not a folder; playing on with empty settings"
# The run log tells at the first hit that it has nowhere to go; nothing else may be said.
[[ "$(head -1 "$work/err")" == "$expected_line" ]] || fail "unexpected messages: $(cat "$work/err")"
[[ -z "$(tail -n +2 "$work/err" | grep -v 'no run log is written')" ]] ||
    fail "unexpected messages: $(cat "$work/err")"
[[ "$(cat "$work/a file")" == "in the way" ]] || fail "the file in the way was changed"
if [[ $gui == gui ]]; then
    XDG_CONFIG_HOME="$work/a file" QT_QPA_PLATFORM=offscreen timeout 240 "$moved/bin/rl00" \
        --no-delay --end-after-games 2 7 2>"$work/err" || fail "the window program ended with $?"
    grep -qF "rl00: cannot write the default settings" "$work/err" ||
        fail "the window program said: $(cat "$work/err")"
fi
echo "unwritable settings: one line, played on"

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$moved/share/applications/rl00.desktop" || fail "desktop entry"
    echo "desktop-file-validate: no complaint"
fi
if command -v man >/dev/null; then
    for page in "$moved"/share/man/man6/*.gz; do
        MANWIDTH=80 man --warnings -l "$page" >"$work/page" 2>"$work/warnings" || fail "man $page"
        [[ ! -s "$work/warnings" ]] || fail "$page: $(cat "$work/warnings")"
        grep -q '^OPTIONS' "$work/page" || fail "$page has no options"
    done
    echo "man -l: the pages render without warnings"
fi
echo "ok"
