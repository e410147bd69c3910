# What the scripts share; sourced by scripts/test, scripts/demo and scripts/package from the top
# of the tree.
# The Debian packages the build, the tests and the demo need; update_install_packages installs
# the missing ones (as root, quietly when all are there).
UPDATE_PACKAGES=(
    g++ cmake make pkg-config clang-format git
    libgtest-dev libgmock-dev
    libxml2-dev nettle-dev
    firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils
    unixodbc unixodbc-dev tdsodbc libsqliteodbc postgresql odbc-postgresql
    qt6-base-dev xvfb
    dpkg-dev file man-db
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

# Two build trees. The sanitizer tree of scripts/test: warnings as errors, AddressSanitizer and
# UndefinedBehaviorSanitizer on, every test. The release tree of the programs a user runs, the
# package and the benchmarks: -O2, no sanitizers, no test suites, installed under /usr.
UPDATE_BUILD_DIR=${UPDATE_BUILD_DIR:-build}
UPDATE_RELEASE_DIR=${UPDATE_RELEASE_DIR:-build-release}

# update_cmake_configure DIR CMAKE-ARGUMENTS...: configures DIR from this tree, through ccache
# when it is installed.
update_cmake_configure() {
    local dir=$1
    shift
    local launcher=()
    if command -v ccache >/dev/null 2>&1; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S . -B "$dir" "$@" "${launcher[@]}" >/dev/null
}

# The sanitizer tree.
update_configure() {
    update_cmake_configure "$UPDATE_BUILD_DIR" -DCMAKE_BUILD_TYPE=Debug -DUPDATE_SANITIZE=ON
}

# The release tree.
update_configure_release() {
    update_cmake_configure "$UPDATE_RELEASE_DIR" -DCMAKE_BUILD_TYPE=Release -DUPDATE_SANITIZE=OFF \
        -DUPDATE_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
}

# update_build_release [TARGET...]: configures and builds the release tree, only the targets
# named (for example a benchmark) or everything; the programs land in $UPDATE_RELEASE_DIR/bin.
update_build_release() {
    update_configure_release
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$UPDATE_RELEASE_DIR" -j"$(nproc)" "${targets[@]}" >/dev/null
}

# Sanitizer settings for running the programs of the sanitizer tree; leaks inside third-party
# libraries are suppressed, never those of the project's own code.
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
