# shellcheck shell=bash
# Debian packages the build, the tests and the demo need (the translation tools, Qt's own translations and the
# fonts of the customers' scripts among them), and the step that installs the missing ones.
# Sourced by scripts/test and scripts/demo.

orvo_packages=(cmake ninja-build g++ pkg-config ccache qt6-base-dev libplist-dev libcpp-httplib-dev libssl-dev openssl
               nlohmann-json3-dev libarchive-dev libcurl4-openssl-dev xvfb xdotool openbox x11-utils imagemagick tinyproxy
               dbus at-spi2-core qt6-tools-dev qt6-l10n-tools qt6-translations-l10n fonts-noto-core
               fonts-noto-cjk)
# What the sanitizer build and the static checks add.
# shellcheck disable=SC2034  # used by scripts/test
orvo_check_packages=(clang libclang-rt-14-dev clang-format clang-tidy)

# Installs those of orvo_packages and of the arguments that are missing, when run as root; otherwise prints the one
# line to run and fails.
orvo_install_missing_packages() {
    local missing=() p
    for p in "${orvo_packages[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq "${missing[@]}"
    else
        echo "Missing packages. Install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        return 1
    fi
}
