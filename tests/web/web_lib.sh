# Shared by the web build's tests: its programs, the Linux build's trace tool they are compared
# with, node to run WebAssembly, and a scratch folder.
set -euo pipefail

NODE=${NODE:-node}
WASM_TRACE="${BUILD_DIR:?BUILD_DIR must name the web build folder}/flakemorph-trace.wasm"
LINUX_TRACE="${LINUX_BUILD_DIR:-}/flakemorph-trace"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# skip_without_linux_build: the tests that compare with the Linux tool need it built.
skip_without_linux_build() {
  if [[ -z "${LINUX_BUILD_DIR:-}" || ! -x "$LINUX_TRACE" ]]; then
    echo "SKIP: no Linux build to compare with (configure with -DFLAKEMORPH_LINUX_BUILD=DIR)"
    exit 77
  fi
}

# wasm_trace ARGUMENT...: the web build's trace tool under node's WASI. It sees only the current
# folder, so paths given to it are relative.
wasm_trace() {
  "$NODE" --no-warnings --experimental-wasi-unstable-preview1 "${SOURCE_DIR:?}/tools/wasi_run.mjs" \
    "$WASM_TRACE" "$@"
}

# same_pixels A.png B.png: whether two pictures have the same size and every pixel the same.
same_pixels() {
  local differing
  differing=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [[ "$differing" == 0 ]]
}
