# Shared by scripts/run and scripts/test: install what is missing, configure and build.
# shellcheck shell=bash

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

# Debian packages the project builds, tests and runs with.
RL00_PACKAGES=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev clang-format clang-tidy
    libcli11-dev libfmt-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-svg-dev qt6-translations-l10n libgl-dev
    fonts-ipafont-gothic fonts-ipafont-mincho
    xvfb xauth xdotool libxcb1-dev
    libreoffice-calc libreoffice-dev
    librsvg2-bin dpkg-dev desktop-file-utils man-db
    parallel
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

# configure_and_build DIR BUILD_TYPE [extra cmake args...]
configure_and_build() {
    local dir="$1" type="$2"
    shift 2
    cmake -S "$ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log" >&2; return 1; }
    cmake --build "$dir" --parallel "$(nproc)"
}
