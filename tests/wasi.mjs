// Runs a WebAssembly program under Node.js's WASI, as qemu runs another
// processor's: standard streams, arguments and exit status its own. Node.js
// 18, Debian 12's, wants the flag and knows no getImportObject.
import { readFileSync } from 'node:fs';
import { WASI } from 'node:wasi';

const wasi = new WASI({ version: 'preview1', args: process.argv.slice(2), returnOnExit: true });
const module = new WebAssembly.Module(readFileSync(process.argv[2]));
process.exitCode = wasi.start(new WebAssembly.Instance(module, { wasi_snapshot_preview1: wasi.wasiImport }));
