# What scripts/test and scripts/demo share; sourced by both, from the top of the tree.
# The Debian packages the build, the tests and the demo need; update_install_packages installs
# the missing ones (as root, quietly when all are there).
UPDATE_PACKAGES=(
    g++ cmake make pkg-config clang-format git
    libgtest-dev libgmock-dev
    libxml2-dev nettle-dev
    firebird-dev libfbclient2 firebird3.0-server-core
    unixodbc unixodbc-dev tdsodbc libsqliteodbc postgresql odbc-postgresql
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

# The build tree both commands share: warnings as errors, AddressSanitizer and
# UndefinedBehaviorSanitizer on.
UPDATE_BUILD_DIR=${UPDATE_BUILD_DIR:-build}

update_configure() {
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$UPDATE_BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DUPDATE_SANITIZE=ON \
        "${launcher[@]}" >/dev/null
}

# Sanitizer settings for running the programs of the build tree; leaks inside third-party
# libraries are suppressed, never those of the project's own code.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
