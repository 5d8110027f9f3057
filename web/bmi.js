'use strict';
// The console that bmi's WebAssembly module runs in. bmi blocks on every
// read, which a page cannot: so each run goes as far as the entries typed so
// far take it, and every new entry runs it again from the start. It reads
// nothing else and computes the same every time, so each run writes what
// the last one wrote and then more; only the more is decoded and shown.
const [needs, copy, screen, form, line, point, send, end, again, status] = ['needs', 'copy', 'screen', 'entry',
  'line', 'point', 'send', 'end', 'again', 'status'].map((id) => document.getElementById(id));
// CMake's lower-case hex digits, read by their codes: a third sooner than by parseInt.
const digit = (at) => (moduleHex.charCodeAt(at) & 15) + (moduleHex.charCodeAt(at) > 57 ? 9 : 0);
const moduleBytes = new Uint8Array(moduleHex.length / 2);
for (let i = 0; i < moduleBytes.length; i++) moduleBytes[i] = (digit(2 * i) << 4) | digit(2 * i + 1);
let shiftJis, module; // made once the page knows the browser has them

let typed; // the entries as bmi reads them, Shift_JIS bytes
let ended; // the end of input has been typed
let shown; // how many bytes of bmi's output the screen has shown
let row; // the screen's last line, a block of its own
let exitStatus; // null while bmi runs

// What a code page 932 console sends: ASCII as it is, the rest in Shift_JIS,
// ? for what has none. Browsers decode Shift_JIS but do not encode it, so the
// table is the decoder's read backwards, made when first needed. 0xED and
// 0xEE hold NEC's copies of IBM's characters: Windows sends IBM's.
let encoding;
function encode(text) {
  if (!encoding && /[^\0-\x7f]/.test(text)) {
    encoding = new Map();
    for (let b = 0xa1; b <= 0xdf; b++) encoding.set(shiftJis.decode(Uint8Array.of(b)), [b]);
    for (let lead = 0x81; lead <= 0xfc; lead++) {
      for (let trail = 0x40; trail <= 0xfc && lead !== 0xed && lead !== 0xee; trail++) {
        const character = shiftJis.decode(Uint8Array.of(lead, trail));
        if (character.length === 1 && character !== '\ufffd' && !encoding.has(character)) encoding.set(character, [lead, trail]);
      }
    }
  }
  return Uint8Array.from([...text].flatMap((c) => (c.codePointAt(0) < 0x80 ? [c.codePointAt(0)] : encoding.get(c) || [0x3f])));
}

// Runs bmi on what has been typed, through the WASI calls it makes, and
// returns what it wrote; exitStatus is set once it has ended.
function run() {
  let text = '';
  let written = 0;
  let next = 0; // the entry to read, and how much of it has been read
  let offset = 0;
  let memory;
  const word = (at) => new DataView(memory.buffer).getUint32(at, true);
  const setWord = (at, value) => new DataView(memory.buffer).setUint32(at, value, true);
  const vectors = (at, count) => Array.from({ length: count }, (_, i) => [word(at + 8 * i), word(at + 8 * i + 4)]);
  const calls = {
    fd_write(fd, at, count, result) {
      let size = 0;
      for (const [start, length] of vectors(at, count)) {
        const old = fd === 1 ? Math.min(length, Math.max(0, shown - written)) : length;
        if (old < length) text += shiftJis.decode(new Uint8Array(memory.buffer, start + old, length - old), { stream: true });
        written += fd === 1 ? length : 0;
        size += length;
      }
      setWord(result, size);
      return 0;
    },
    // An entry at a time, as a console hands lines over; none is the end.
    fd_read(fd, at, count, read) {
      if (next === typed.length && !ended) throw 'blocked';
      const rest = typed[next]?.subarray(offset) ?? new Uint8Array();
      let size = 0;
      for (const [start, length] of vectors(at, count)) {
        const part = rest.subarray(size, size + length);
        new Uint8Array(memory.buffer, start, part.length).set(part);
        size += part.length;
      }
      offset += size;
      if (offset === typed[next]?.length) [next, offset] = [next + 1, 0];
      setWord(read, size);
      return 0;
    },
    // A terminal: a character device that cannot seek.
    fd_fdstat_get(fd, at) {
      new Uint8Array(memory.buffer, at, 24).fill(0)[0] = 2;
      return 0;
    },
    fd_seek: () => 70,
    fd_close: () => 0,
    proc_exit(code) { throw { code }; },
  };
  const instance = new WebAssembly.Instance(module, { wasi_snapshot_preview1: calls });
  memory = instance.exports.memory;
  try {
    instance.exports._start();
    exitStatus = 0;
  } catch (stop) {
    if (typeof stop?.code === 'number') exitStatus = stop.code;
    else if (stop !== 'blocked') throw stop;
  }
  shown = written;
  return text + shiftJis.decode();
}

// Each line a block, so that a new one is laid out alone; and as in a
// terminal's scrollback, beyond 10,000 lines the oldest go.
function add(text, className) {
  for (const piece of text.match(/[^\n]*\n?/g)) {
    if (!piece) continue;
    if (!row || row.textContent.endsWith('\n')) row = screen.appendChild(document.createElement('span'));
    row.append(Object.assign(document.createElement('span'), { className, textContent: piece }));
  }
  while (screen.childElementCount > 10000) screen.firstChild.remove();
}

// Shows what the run wrote beyond the last, the bell as a sign and a flash;
// its last line is the question that the line is described by.
function update(typing) {
  const added = run();
  if (added.includes('\x07')) {
    screen.classList.remove('bell');
    void screen.offsetWidth; // restarts the flash
    screen.classList.add('bell');
  }
  if (added) {
    add(added.replaceAll('\x07', '🔔'), 'written');
    document.getElementById('question')?.removeAttribute('id');
    row.id = 'question';
  }
  // The line typed into stays in view, also above a phone's keyboard; at the
  // start, the page moves nobody's view, nor a host site's.
  if (typing) line.scrollIntoView({ block: 'nearest' });
  screen.classList.toggle('waiting', exitStatus === null);
  if (exitStatus === null) return;
  line.readOnly = point.disabled = send.disabled = end.disabled = true;
  again.focus();
  const words = { 0: '相談が終わりました', 1: '結果の前に入力が終わりました' }[exitStatus] || 'bmi が終わりました';
  status.textContent = `${words} (終了ステータス ${exitStatus})。「最初から」でもう一度始められます。`;
  status.scrollIntoView({ block: 'nearest' });
}

// A line typed, or what there is of one: echoed, then read.
function enter(entry, ending) {
  if (exitStatus !== null) return;
  line.value = '';
  line.focus();
  if (entry) {
    add(entry, 'typed');
    typed.push(encode(entry));
  }
  ended = ending;
  update(true);
}

function start() {
  [typed, ended, shown, row, exitStatus] = [[], false, 0, null, null];
  screen.replaceChildren();
  status.textContent = line.value = '';
  line.readOnly = point.disabled = send.disabled = end.disabled = false;
  update(false);
}

// Enter and 送る without a form's submission, which a sandboxed frame may
// block. Ctrl+D, anywhere in the form, as at a terminal: what is typed goes
// without a line feed; on an empty line the input ends. The key's place, not
// its letter, which another keyboard layout does not call d. Neither while
// an input method composes: its text is not typed yet.
form.addEventListener('submit', (event) => event.preventDefault());
form.addEventListener('keydown', (event) => {
  if (event.isComposing || event.keyCode === 229) return;
  const ending = event.ctrlKey && event.code === 'KeyD';
  if (!ending && !(event.key === 'Enter' && event.target === line)) return;
  event.preventDefault();
  if (ending) enter(line.value, !line.value);
  else enter(`${line.value}\n`, false);
});
send.addEventListener('click', () => enter(`${line.value}\n`, false));
// A phone's decimal keypad has a comma and no point in many locales.
point.addEventListener('click', () => {
  line.setRangeText('.', line.selectionStart, line.selectionEnd, 'end');
  line.focus();
});
end.addEventListener('click', () => enter(line.value, true));
again.addEventListener('click', () => (start(), line.focus()));
// The console, or in its place a word of what the browser or the site
// withholds; without scripts, the page's own text says what it needs. In
// another site's frame, the focus stays the host's until a click.
function withheld() {
  try {
    shiftJis = new TextDecoder('shift_jis');
  } catch {
    return ['このブラウザーは Shift_JIS を読めません。', 'This browser cannot decode Shift_JIS.'];
  }
  if (typeof WebAssembly !== 'object') {
    return ['このブラウザーでは WebAssembly が使えません。', 'This browser has no WebAssembly.'];
  }
  try {
    module = new WebAssembly.Module(moduleBytes);
    start(); // WebKit's policy stops the instance, not the module
  } catch {
    return ['このサイトのポリシー (Content-Security-Policy) が WebAssembly を止めています。',
      "This site's Content-Security-Policy blocks WebAssembly."];
  }
}
const missing = withheld();
if (missing) {
  const english = Object.assign(document.createElement('span'), { lang: 'en', textContent: missing[1] });
  needs.replaceChildren(missing[0], document.createElement('br'), english);
  needs.hidden = false;
} else {
  // The console shows by a sheet of the script's own, which a copy saved as
  // one file lacks: there, the word on how to start shows in its place.
  const rules = '#screen { display: block; } @media not print { #entry { display: flex; } } #copy { display: none; }';
  if (document.adoptedStyleSheets) {
    const sheet = new CSSStyleSheet();
    sheet.replaceSync(rules);
    document.adoptedStyleSheets = [sheet];
  } else document.head.append(Object.assign(document.createElement('style'), { textContent: rules }));
  copy.hidden = false;
  if (window === window.top) line.focus();
}
