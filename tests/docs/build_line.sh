#!/bin/sh
# Runs the build and run lines of docs/FRONTEND.md as written, with QDM and
# BUILD standing for this tree and its build, on a copy of the example.
#   build_line.sh DOC SOURCE_DIR BINARY_DIR WORK_DIR [EXTRA_FLAGS]
set -eu
doc=$1; QDM=$2; BUILD=$3; work=$4; extra=${5:-}
rm -rf "$work"; mkdir -p "$work"; cd "$work"
cp "$QDM/examples/cash_sale/cash_sale.cpp" .
build=$(grep -m1 '^g++ ' "$doc")
run=$(grep -m1 '^PKG_QDM_LIBRARY_PATH=' "$doc")
[ -n "$build" ] && [ -n "$run" ] || { echo "no build or run line in $doc" >&2; exit 1; }
export QDM BUILD
# The sanitizers' flags when the library was built with them.
eval "$build $extra"
eval "$run"
