# Debian packages the build, the tests and the demo need; sourced by scripts/test and
# scripts/demo. Installs the missing ones (as root, quietly when all are there).
UPDATE_PACKAGES=(
    g++ cmake make pkg-config
    libgtest-dev libgmock-dev
    libxml2-dev nettle-dev
    firebird-dev libfbclient2 firebird3.0-server-core
    unixodbc-dev tdsodbc libsqliteodbc
    qt6-base-dev xvfb
)

update_install_packages() {
    local missing=()
    local p
    for p in "${UPDATE_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing Debian packages (run as root to install them): ${missing[*]}" >&2
        return 1
    fi
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
