#!/bin/sh
# The README's pkg-config build line, as written, against this build
# installed into a prefix outside the loader's path: the program it builds
# runs with no LD_LIBRARY_PATH, and the prefix holds the documents.
#   pkg_config_line.sh README SOURCE_DIR BINARY_DIR WORK_DIR [EXTRA_FLAGS]
set -eu
readme=$1; source=$2; build=$3; work=$4; extra=${5:-}
rm -rf "$work"; mkdir -p "$work"; cd "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
for doc in README.md FRONTEND.md ARCHITECTURE.md; do
  [ -f "$work/prefix/share/doc/Pkg_Qdm/$doc" ] || { echo "not installed: share/doc/Pkg_Qdm/$doc" >&2; exit 1; }
done
line=$(grep -m1 '^g++ .*pkg-config --cflags --libs Pkg_Qdm' "$readme")
[ -n "$line" ] || { echo "no pkg-config line in $readme" >&2; exit 1; }
cp "$source/examples/cash_sale/cash_sale.cpp" front_end.cpp
PKG_CONFIG_PATH=$(dirname "$(find "$work/prefix" -name Pkg_Qdm.pc)")
export PKG_CONFIG_PATH
# The sanitizers' flags when the library was built with them.
eval "$line $extra"
devices=$(pkg-config --variable=devicedir Pkg_Qdm)
env -u LD_LIBRARY_PATH PKG_QDM_LIBRARY_PATH="$devices" ./front_end "$work/home" > out.txt ||
  { cat out.txt >&2; exit 1; }
grep -q "closed" out.txt
