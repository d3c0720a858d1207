#!/usr/bin/env bash
# Installs and prepares the source trees that the benchmarks read.
#
#   bench/corpora.sh                 small and medium corpus (the default)
#   bench/corpora.sh small medium large glibc
#
#   small   C++ sources of googletest          /usr/src/googletest       (~3 MB)
#   medium  JUCE module sources                /usr/share/juce/modules   (~22 MB, ~1,700 files)
#   large   Linux 6.1 without drivers/         bench/corpora/linux       (unpacked from the
#                                                                          linux-source-6.1 tarball)
#   glibc   part of the GNU C library 2.36     bench/corpora/glibc       (string/ stdlib/ malloc/
#           (real C code for analysis_bench)                              posix/ libio/ stdio-common/
#                                                                         from the glibc-source tarball)
#   all     all four
#
# universal-ctags is installed as well: run_benchmarks.sh times it as a reference point.
# Missing Debian packages are installed with apt-get when running as root or with password-less
# sudo; otherwise the script prints the apt-get line to run and exits with status 1.
#
# Output: one line per corpus, "<name>=<directory>", so that scripts can read it.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
corpora_dir="$here/corpora"

small_dir=/usr/src/googletest
medium_dir=/usr/share/juce/modules
large_dir="$corpora_dir/linux"
linux_tarball=/usr/src/linux-source-6.1.tar.xz
glibc_dir="$corpora_dir/glibc"
glibc_tarball=/usr/src/glibc/glibc-2.36.tar.xz
glibc_parts=(string stdlib malloc posix libio stdio-common)

want_small=0 want_medium=0 want_large=0 want_glibc=0
if [ $# -eq 0 ]; then
    want_small=1 want_medium=1
fi
for arg in "$@"; do
    case "$arg" in
        small) want_small=1 ;;
        medium) want_medium=1 ;;
        large) want_large=1 ;;
        glibc) want_glibc=1 ;;
        all) want_small=1 want_medium=1 want_large=1 want_glibc=1 ;;
        -h|--help) sed -n '2,20p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "corpora.sh: unknown corpus '$arg' (small, medium, large, glibc, all)" >&2; exit 2 ;;
    esac
done

packages=(universal-ctags)
[ $want_small = 1 ] && packages+=(googletest)
[ $want_medium = 1 ] && packages+=(juce-modules-source)
[ $want_large = 1 ] && packages+=(linux-source-6.1 xz-utils)
[ $want_glibc = 1 ] && packages+=(glibc-source xz-utils)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "corpora.sh: missing packages: ${missing[*]}" >&2
    if [ "$(id -u)" = 0 ]; then
        apt-get update -qq >&2
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
    elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
        sudo apt-get update -qq >&2
        sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
    else
        echo "corpora.sh: please install the missing packages first:" >&2
        echo "  sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
fi

check_dir() {
    if [ ! -d "$2" ]; then
        echo "corpora.sh: $1 corpus directory $2 is missing after installation" >&2
        exit 1
    fi
}

# The tarball's top directory is linux-source-6.1/; its drivers/ tree (more than half of the
# sources) is left out so that the corpus stays at a few hundred megabytes. A marker file records
# a complete unpacking, so an interrupted run starts again from scratch.
prepare_large() {
    local marker="$large_dir/.unpacked"
    if [ -f "$marker" ]; then
        return
    fi
    if [ ! -f "$linux_tarball" ]; then
        echo "corpora.sh: $linux_tarball not found" >&2
        exit 1
    fi
    echo "corpora.sh: unpacking $linux_tarball into $large_dir (takes a few minutes)" >&2
    rm -rf "$large_dir" "$large_dir.tmp"
    mkdir -p "$large_dir.tmp"
    tar -xJf "$linux_tarball" -C "$large_dir.tmp" --strip-components=1 \
        --anchored --exclude='linux-source-6.1/drivers'
    touch "$large_dir.tmp/.unpacked"
    mv "$large_dir.tmp" "$large_dir"
}

# Only a few top-level directories of the library: plain C with its own conventions, a few
# megabytes. Marker file and fresh start as for the large corpus.
prepare_glibc() {
    local marker="$glibc_dir/.unpacked"
    if [ -f "$marker" ]; then
        return
    fi
    if [ ! -f "$glibc_tarball" ]; then
        echo "corpora.sh: $glibc_tarball not found" >&2
        exit 1
    fi
    echo "corpora.sh: unpacking ${glibc_parts[*]} of $glibc_tarball into $glibc_dir" >&2
    rm -rf "$glibc_dir" "$glibc_dir.tmp"
    mkdir -p "$glibc_dir.tmp"
    local members=()
    for part in "${glibc_parts[@]}"; do members+=("glibc-2.36/$part"); done
    tar -xJf "$glibc_tarball" -C "$glibc_dir.tmp" --strip-components=1 "${members[@]}"
    touch "$glibc_dir.tmp/.unpacked"
    mv "$glibc_dir.tmp" "$glibc_dir"
}

if [ $want_small = 1 ]; then
    check_dir small "$small_dir"
    echo "small=$small_dir"
fi
if [ $want_medium = 1 ]; then
    check_dir medium "$medium_dir"
    echo "medium=$medium_dir"
fi
if [ $want_large = 1 ]; then
    mkdir -p "$corpora_dir"
    prepare_large
    check_dir large "$large_dir"
    echo "large=$large_dir"
fi
if [ $want_glibc = 1 ]; then
    mkdir -p "$corpora_dir"
    prepare_glibc
    check_dir glibc "$glibc_dir"
    echo "glibc=$glibc_dir"
fi
