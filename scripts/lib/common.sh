# Shared by scripts/run and scripts/test: install what is missing, configure and build.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Debian packages the project builds, tests and runs with.
RL00_PACKAGES=(
    g++ cmake ninja-build pkg-config python3
    libgtest-dev libgmock-dev libbenchmark-dev clang-format clang-tidy
    libcli11-dev libfmt-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev qt6-translations-l10n libgl-dev
    fonts-ipafont-gothic fonts-ipafont-mincho
    xvfb xauth xdotool libxcb1-dev
    libreoffice-calc libreoffice-dev
    librsvg2-bin dpkg-dev desktop-file-utils man-db
    parallel
    clang-14 libclang-rt-14-dev
)

# What scripts/screenshots needs beyond them: ImageMagick's import takes the pictures.
RL00_SCREENSHOT_PACKAGES=(imagemagick)

# What the page (scripts/web) needs beyond them: emscripten and its JavaScript parser, Chromium
# for the page's checks, fontTools (with Brotli for WOFF2) to cut the fonts down. node and npm
# come with emscripten's node; npm installs the chart library and the browser driver.
RL00_WEB_PACKAGES=(
    emscripten node-acorn chromium python3-fonttools python3-brotli
    fonts-ipafont-gothic fonts-ipafont-mincho
)

log() { printf '== %s\n' "$*"; }

# Installs the packages that dpkg does not report as installed; a second run asks apt nothing.
ensure_packages() {
    local missing=() p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return 0
    fi
    log "installing: ${missing[*]}"
    local sudo=()
    if [[ $(id -u) -ne 0 ]]; then sudo=(sudo); fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# configure PRESET [cmake options...]: configures build/PRESET from CMakePresets.json, quietly
# unless it fails. A build folder that an earlier version of the scripts made with another
# generator is configured afresh.
configure() {
    local preset="$1"
    shift
    local out="$ROOT/build/$preset.configure.log"
    mkdir -p "$ROOT/build"
    if (cd "$ROOT" && cmake --preset "$preset" "$@") >"$out" 2>&1; then return 0; fi
    if grep -q 'Does not match the generator used previously' "$out" &&
        (cd "$ROOT" && cmake --preset "$preset" --fresh "$@") >"$out" 2>&1; then
        return 0
    fi
    cat "$out" >&2
    return 1
}

# build PRESET [cmake --build options...]: builds with the build preset PRESET on every core.
build() {
    local preset="$1"
    shift
    (cd "$ROOT" && cmake --build --preset "$preset" --parallel "$(nproc)" "$@")
}

# The page's packages: the Debian ones, npm where the system has none, and the npm packages of
# package-lock.json (installed again only when the lock file changed).
ensure_web_packages() {
    ensure_packages "${RL00_WEB_PACKAGES[@]}"
    if ! command -v npm >/dev/null; then
        ensure_packages npm
    fi
    if [[ ! -f "$ROOT/node_modules/.package-lock.json" ||
        "$ROOT/package-lock.json" -nt "$ROOT/node_modules/.package-lock.json" ]]; then
        log "installing the npm packages of package-lock.json"
        (cd "$ROOT" && npm ci --no-audit --no-fund --loglevel=error)
    fi
}
