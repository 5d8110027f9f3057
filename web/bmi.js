'use strict';
// The console that bmi's WebAssembly module runs in. bmi blocks on every
// read, which a page cannot: so each run goes as far as the lines typed so
// far take it, and every new line runs it again from the start. It reads
// nothing else and computes the same every time, so each run writes what
// the last one wrote and then more; only the more is added to the screen.
const screen = document.getElementById('screen');
const form = document.getElementById('entry');
const line = document.getElementById('line');
const status = document.getElementById('status');
const shiftJis = new TextDecoder('shift_jis');
const moduleBytes = new Uint8Array(moduleHex.length / 2);
for (let i = 0; i < moduleBytes.length; i++) moduleBytes[i] = parseInt(moduleHex.substr(2 * i, 2), 16);
const module = new WebAssembly.Module(moduleBytes);

let typed; // the lines as bmi reads them, Shift_JIS bytes
let ended; // the end of input has been typed
let shown; // bmi's output on the screen so far, decoded
let exitStatus; // null while bmi runs

// What a code page 932 console sends: ASCII as it is, the rest in Shift_JIS,
// and ? for what has none. Browsers decode Shift_JIS but do not encode it,
// so the table is the decoder's, read backwards, made when first needed.
let encoding;
function encode(text) {
  if (!encoding && /[^\0-\x7f]/.test(text)) {
    const bytes = [];
    for (let b = 0xa1; b <= 0xdf; b++) bytes.push(b, 10);
    // 0xED and 0xEE hold NEC's copies of IBM's characters: Windows sends IBM's.
    for (let lead = 0x81; lead <= 0xfc; lead++) {
      if (lead === 0xed || lead === 0xee) continue;
      for (let trail = 0x40; trail <= 0xfc; trail++) bytes.push(lead, trail, 10);
    }
    const characters = shiftJis.decode(Uint8Array.from(bytes)).split('\n');
    encoding = new Map();
    let at = 0;
    for (const character of characters) {
      const size = bytes.indexOf(10, at) - at;
      if (character.length === 1 && character !== '\ufffd' && !encoding.has(character)) {
        encoding.set(character, bytes.slice(at, at + size));
      }
      at += size + 1;
    }
  }
  const out = [];
  for (const character of text) {
    const code = character.codePointAt(0);
    out.push(...(code < 0x80 ? [code] : encoding.get(character) || [0x3f]));
  }
  return Uint8Array.from(out);
}

class Blocked {} // bmi waits for a line not typed yet
class Exited {
  constructor(code) { this.code = code; }
}

// Runs bmi on what has been typed, through the WASI calls it makes, and
// returns what it wrote; exitStatus is set once it has ended.
function run() {
  const output = [];
  let next = 0; // the line to read, and how far it has been read
  let offset = 0;
  let memory;
  const u32 = (at) => new DataView(memory.buffer).getUint32(at, true);
  const setU32 = (at, value) => new DataView(memory.buffer).setUint32(at, value, true);
  const vectors = (at, count) => Array.from({ length: count }, (_, i) => [u32(at + 8 * i), u32(at + 8 * i + 4)]);
  const calls = {
    fd_write(fd, at, count, written) {
      let size = 0;
      for (const [start, length] of vectors(at, count)) {
        if (fd === 1) output.push(new Uint8Array(memory.buffer.slice(start, start + length)));
        size += length;
      }
      setU32(written, size);
      return 0;
    },
    // A line at a time, as a console hands them over; none is the end.
    fd_read(fd, at, count, read) {
      if (next === typed.length && !ended) throw new Blocked();
      const rest = next < typed.length ? typed[next].subarray(offset) : new Uint8Array();
      let size = 0;
      for (const [start, length] of vectors(at, count)) {
        const part = rest.subarray(size, size + length);
        new Uint8Array(memory.buffer, start, part.length).set(part);
        size += part.length;
      }
      offset += size;
      if (next < typed.length && offset === typed[next].length) [next, offset] = [next + 1, 0];
      setU32(read, size);
      return 0;
    },
    // A terminal: a character device that cannot seek.
    fd_fdstat_get(fd, at) {
      new Uint8Array(memory.buffer, at, 24).fill(0)[0] = 2;
      return 0;
    },
    fd_seek: () => 70,
    fd_close: () => 0,
    proc_exit(code) { throw new Exited(code); },
  };
  const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: calls });
  memory = instance.exports.memory;
  try {
    instance.exports._start();
    exitStatus = 0;
  } catch (stop) {
    if (stop instanceof Exited) exitStatus = stop.code;
    else if (!(stop instanceof Blocked)) throw stop;
  }
  const bytes = new Uint8Array(output.reduce((size, part) => size + part.length, 0));
  output.reduce((at, part) => (bytes.set(part, at), at + part.length), 0);
  return shiftJis.decode(bytes);
}

function add(text, className) {
  const span = document.createElement('span');
  span.textContent = text;
  if (className) span.className = className;
  screen.append(span);
  span.scrollIntoView({ block: 'nearest' });
}

// Shows what the run wrote beyond the last, the bell as a sign and a flash.
function update() {
  const text = run();
  const added = text.slice(shown.length);
  shown = text;
  if (added.includes('\x07')) {
    screen.classList.remove('bell');
    void screen.offsetWidth; // restarts the flash
    screen.classList.add('bell');
  }
  if (added) add(added.replaceAll('\x07', '🔔'));
  if (exitStatus === null) return;
  line.readOnly = true;
  document.getElementById('end').disabled = true;
  const words = { 0: '相談が終わりました', 1: '結果の前に入力が終わりました' }[exitStatus] || 'bmi が終わりました';
  status.textContent = `${words} (終了ステータス ${exitStatus})。「最初から」でもう一度始められます。`;
}

// A line typed, or what there is of one: echoed, then read.
function send(entry, end) {
  if (exitStatus !== null) return;
  line.value = '';
  if (entry) {
    add(entry, 'typed');
    typed.push(encode(entry));
  }
  ended = end;
  update();
}

function start() {
  [typed, ended, shown, exitStatus] = [[], false, '', null];
  screen.replaceChildren();
  status.textContent = '';
  line.value = '';
  line.readOnly = false;
  document.getElementById('end').disabled = false;
  update();
  line.focus();
}

form.addEventListener('submit', (event) => {
  event.preventDefault();
  send(`${line.value}\n`, false);
});
// As at a terminal: what is typed goes without a line feed, and on an empty
// line the input ends.
line.addEventListener('keydown', (event) => {
  if (event.ctrlKey && event.key.toLowerCase() === 'd') {
    event.preventDefault();
    send(line.value, !line.value);
  }
});
document.getElementById('end').addEventListener('click', () => send(line.value, true));
document.getElementById('again').addEventListener('click', start);
document.getElementById('needs').hidden = true;
screen.hidden = false;
form.hidden = false;
start();
