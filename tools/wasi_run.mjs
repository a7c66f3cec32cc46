// Runs a WASI program (a .wasm module with _start) under node's WASI, as a shell runs a native
// one: the arguments after the module are the program's and its exit status is ours; it sees
// the current folder and what lies below it.
// Usage: node --experimental-wasi-unstable-preview1 wasi_run.mjs MODULE [ARGUMENT]...
import { fstatSync, openSync, readFileSync } from "node:fs";
import { basename } from "node:path";
import { argv, cwd, env, exit } from "node:process";
import { WASI } from "node:wasi";

const [, , module, ...args] = argv;
if (!module) {
  console.error("usage: wasi_run.mjs MODULE [ARGUMENT]...");
  exit(2);
}
// WASI resolves every path, a relative one as if under "/", through the longest preopened name
// that begins it: a second preopened folder would take over the relative paths that begin with
// its name. So the program sees the current folder alone, through relative paths.
const preopens = { ".": cwd() };
// node makes a pipe on its standard output non-blocking, and a WASI write to a full one then
// fails (EAGAIN) where a native program would wait: the program gets the pipe opened afresh,
// blocking.
const blocking = (fd, name) => (fstatSync(fd).isFIFO() ? openSync(`/dev/${name}`, "w") : fd);
const wasi = new WASI({
  version: "preview1",
  args: [basename(module, ".wasm"), ...args],
  env: { TZ: env.TZ ?? "" },
  preopens,
  stdout: blocking(1, "stdout"),
  stderr: blocking(2, "stderr"),
  returnOnExit: true,
});
const compiled = await WebAssembly.compile(readFileSync(module));
// getImportObject came with node 19.8; before it the imports were wasiImport alone.
const imports = wasi.getImportObject?.() ?? { wasi_snapshot_preview1: wasi.wasiImport };
const instance = await WebAssembly.instantiate(compiled, imports);
exit(wasi.start(instance));
