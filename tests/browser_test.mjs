// Opens the page alone in a folder, from file://, in a browser, and plays
// the transcripts a page can type: the screen must read as written, with
// each typed line echoed and the bell as 🔔, and the status must name the
// exit status; typing after the end must change nothing. Then what only a
// page meets: an emoji, a 10 KB line, the button, starting again.
// Usage: browser_test.mjs chromium|firefox|webkit PAGE TRANSCRIPT..., with
// BMI_NEEDS the browser's program and, for WebKit, BMI_MINIBROWSER its path.
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { puppeteerTab, webkitTab } from './tabs.mjs';

const [name, page, ...transcripts] = process.argv.slice(2);
const skip = (why) => (console.log(`skipped: ${why}`), process.exit(77));
// Programs, the browser's first, and files (a path), as common.sh's need() takes them.
const found = (tool) => (tool.includes('/') ? [tool] : process.env.PATH.split(':').map((dir) => join(dir, tool))).find(existsSync);
const tools = process.env.BMI_NEEDS.split(' ');
for (const tool of tools) if (!found(tool)) skip(`${tool} is not installed${tool.includes('/') ? ' (npm ci --prefix tests)' : ''}`);
const executablePath = found(tools[0]);

const folder = mkdtempSync(join(tmpdir(), 'bmi-page-'));
copyFileSync(page, join(folder, 'bmi.html'));
const url = pathToFileURL(join(folder, 'bmi.html')).href;
const failures = [];
const tab = name === 'webkit' ? await webkitTab(process.env.BMI_MINIBROWSER)
  : await puppeteerTab(name, executablePath);
// Puppeteer also sees every request the page makes and every error it throws.
tab.page?.on('request', (request) => /\/(bmi|host)\.html$|\/saved\.mhtml$|^(data|cid):/.test(request.url()) || failures.push(`it asked for ${request.url()}`));
tab.page?.on('pageerror', (error) => failures.push(`the page failed: ${error.message}`));

// Waits until the element's text is the text wanted, or with "startsWith"
// or "includes" has it so; before a line is typed, the screen need only have
// come so far (a C library may have read ahead, as dialogue.sh allows).
async function reads(what, selector, want, how = 'is') {
  let text;
  for (const started = Date.now(); Date.now() - started < 5000; await new Promise((go) => setTimeout(go, 20))) {
    text = await tab.evaluate((selector) => document.querySelector(selector)?.textContent ?? null, selector);
    if (how === 'is' ? text === want : text?.[how](want)) return;
  }
  failures.push(`${what}: ${selector} reads\n${text}\nnot\n${want}`);
}
async function type(text, end) {
  await tab.type('#line', text);
  await (end ? tab.controlD() : tab.enter());
}
// The lines a transcript writes and types, as the screen shows them.
const shown = (line) => line.replace(/^[<>] ?/, '').replaceAll('\\a', '🔔').replace(/\\c$/, '') + (/\\c$/.test(line) ? '' : '\n');

async function play(transcript) {
  const lines = readFileSync(transcript, 'utf8').split('\n');
  if (lines.some((line) => /^output |^<.*\\r/.test(line))) return;
  await tab.goto(url);
  let want = '';
  for (const line of lines) {
    if (line.startsWith('>')) want += shown(line);
    if (!line.startsWith('<') && line !== '^D') continue;
    await reads(transcript, '#screen', want, 'startsWith');
    if (line === '^D') await type('', true);
    else await type(shown(line).replace(/\n$/, ''), /\\c$/.test(line));
    if (line !== '^D') want += shown(line);
  }
  await reads(transcript, '#screen', want);
  await reads(transcript, '#status', `終了ステータス ${lines.find((line) => line.startsWith('exit '))?.slice(5) ?? 0})`, 'includes');
  await type('70', false);
  await reads(`${transcript}, typed after the end`, '#screen', want);
}

for (const transcript of transcripts) await play(transcript);
// The consultation's lines written and typed, by dialogue.sh's rules: comments anywhere.
const consultation = readFileSync(transcripts.find((file) => file.endsWith('/consultation.txt')), 'utf8')
  .split('\n').filter((line) => /^[<>]/.test(line));
const said = consultation.filter((line) => line.startsWith('>')).map(shown);
const greeting = said[0] + said[1];
await tab.goto(url);
await type('😀70', false);
await reads('an emoji, sent as ?', '#screen', `${greeting}😀70\n${greeting}`);
await tab.evaluate((text) => { document.getElementById('line').value = text; }, '7'.repeat(10240)); // pasted
await type('', false);
await reads('a 10 KB line', '#screen', `${greeting}😀70\n${greeting}${'7'.repeat(10240)}\n${said[2]}`);
await tab.click('#again');
await reads('started again', '#screen', greeting);
if (await tab.evaluate(() => document.getElementById('line').value) !== '') failures.push('started again: the line is not empty');
// axe-core's audit, which must find nothing.
const axe = readFileSync(new URL('node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');
async function audited(what) {
  const found = await tab.evaluate(async (source) => {
    if (!window.axe) (0, eval)(source);
    return (await window.axe.run()).violations.map((rule) => `${rule.id} (${rule.nodes.length})`).join(', ');
  }, axe);
  if (found) failures.push(`${what}: axe-core finds ${found}`);
}
// What has the focus, whether 送る can act, and whether the cursor shows.
const state = () => tab.evaluate(() => [document.activeElement.id, document.getElementById('send').disabled,
  getComputedStyle(document.getElementById('screen'), '::after').content !== 'none'].join());
const holds = async (what, want) => (await state()) === want || failures.push(`${what}: ${await state()}, not ${want}`);
// The button that sends, and a height typed with the point button, as on a
// keypad that has only a comma.
await tab.type('#line', '70');
await tab.click('#send');
await holds('after 送る', 'line,false,true');
await audited('mid-consultation');
await tab.type('#line', '1');
await tab.click('#point');
await type('75', false);
const report = consultation.slice(0, -1).map(shown).join('');
await reads('the point button', '#screen', report);
await holds('at the closing wait', 'line,false,true');
// What was typed is told apart by more than its colour, also in print and
// in forced colours (only Chromium emulates those).
const apart = async (what) => {
  const [typed, written] = await tab.evaluate(() => ['typed', 'written'].map((kind) => getComputedStyle(document.querySelector(`#screen .${kind}`)))
    .map((style) => `${style.textDecorationLine} ${style.fontWeight} ${style.fontStyle}`));
  if (typed === written) failures.push(`${what}: what was typed looks as what bmi wrote (${typed})`);
};
await apart('on screen');
if (name === 'chromium') {
  const cdp = await tab.page.createCDPSession();
  await cdp.send('Emulation.setEmulatedMedia', { features: [{ name: 'forced-colors', value: 'active' }] });
  await apart('in forced colours');
  await cdp.send('Emulation.setEmulatedMedia', { media: 'print', features: [] });
  await apart('printed');
  await cdp.send('Emulation.setEmulatedMedia', { media: '', features: [] });
}
await tab.click('#again');
await tab.type('#line', '0');
await tab.click('#end');
await reads('the end button', '#screen', `${greeting}0${said[2]}`);
await reads('the end button', '#status', '終了ステータス 1', 'includes');
// At the end, the word that it has ended is in view, at every size tried.
const inView = async (what) => (await tab.evaluate(() => ['again', 'status'].every((id) => {
  const { top, bottom } = document.getElementById(id).getBoundingClientRect();
  return top >= 0 && bottom <= innerHeight;
}))) || failures.push(`${what}: the end is out of view`);
await inView('at the end');
await holds('after the end', 'again,true,false');
await audited('after the end');
// Ctrl+D where the key in D's place is not called d.
await tab.click('#again');
await tab.evaluate(() => document.getElementById('line').dispatchEvent(
  new KeyboardEvent('keydown', { key: 'в', code: 'KeyD', ctrlKey: true, bubbles: true })));
await reads('Ctrl+D on a Russian layout', '#status', '終了ステータス 1', 'includes');
// An input method's text is not typed until it is committed: Ctrl+D or Enter
// while it composes sends nothing (synthetic, then through CDP's IME in Chromium).
await tab.click('#again');
await tab.evaluate(() => {
  document.getElementById('line').value = 'なな';
  for (const key of ['d', 'Enter']) {
    document.getElementById('line').dispatchEvent(new KeyboardEvent('keydown', { key, code: 'KeyD', ctrlKey: key === 'd', isComposing: true, bubbles: true }));
  }
});
await reads('Ctrl+D while composing', '#screen', greeting);
if (name === 'chromium') {
  await tab.evaluate(() => { document.getElementById('line').value = ''; });
  await (await tab.page.createCDPSession()).send('Input.imeSetComposition', { text: '７０', selectionStart: 2, selectionEnd: 2 });
  await tab.controlD();
  await reads('Ctrl+D while an IME composes', '#screen', greeting);
}
// The line is described by the question asked; every button is at least
// 24 px square; Ctrl+D ends the input from anywhere in the form.
const question = await tab.evaluate(() => document.getElementById(document.getElementById('line').getAttribute('aria-describedby'))?.textContent);
if (question !== said[1]) failures.push(`the line is described by ${question}`);
const smaller = async (size, what) => {
  const small = await tab.evaluate((size) => [...document.querySelectorAll(size > 24 ? 'button, input' : 'button')]
    .filter((target) => target.offsetWidth < size || target.offsetHeight < size).map((target) => target.id).join(), size);
  if (small) failures.push(`${what}, smaller than ${size} px: ${small}`);
};
await smaller(24, 'at a mouse');
await tab.click('#again');
await tab.evaluate(() => document.getElementById('point').focus());
await tab.controlD();
await reads('Ctrl+D on the point button', '#status', '終了ステータス 1', 'includes');
// A phone's screen with its keyboard up: after each Enter, the line typed
// into is still in view. Not in Firefox: Debian 12's ESR without its
// security updates cannot set a viewport through BiDi, and Firefox kept the
// line in view even when the page scrolled the output instead.
if (name !== 'firefox') {
  await tab.resize(320, 250);
  await tab.click('#again');
  for (const entry of ['70', '5', '70', '5', '70', '5']) {
    await type(entry, false);
    const place = await tab.evaluate(() => JSON.stringify([document.getElementById('line').getBoundingClientRect(), innerHeight]));
    const [{ top, bottom }, height] = JSON.parse(place);
    if (top < 0 || bottom > height) failures.push(`on a phone, the line is out of view after ${entry}: ${place}`);
  }
  for (const entry of ['70', '1.75', 'x']) await type(entry, false);
  await inView('on a phone, at the end');
  await tab.resize(800, 600);
}
if (readFileSync(page, 'latin1').indexOf('<meta charset') >= 1024) failures.push('the encoding is declared after byte 1024');
// Served over HTTP under the README's policy the page runs and asks for
// nothing else; without 'wasm-unsafe-eval' it says the site blocks it.
const policy = readFileSync(new URL('../README.md', import.meta.url), 'utf8').match(/Content-Security-Policy: (.*)/)[1];
const requests = [];
// A slow server sends the page but its scripts, and the rest a second late;
// the host is a site with the page in a frame far down, sandboxed.
const host = '<link rel="icon" href="data:,"><div style="height: 3000px"></div><iframe src="/bmi.html" sandbox="allow-scripts" onload="document.title = 1"></iframe>';
const server = createServer((request, response) => {
  requests.push(request.url);
  response.writeHead(/\/(bmi|host)\.html$/.test(request.url) ? 200 : 404, { 'content-type': 'text/html',
    'content-security-policy': request.url.startsWith('/blocked/') ? policy.replace(" 'wasm-unsafe-eval'", '')
      : request.url.endsWith('/host.html') ? "img-src data:" : policy });
  const text = request.url.endsWith('/host.html') ? host : request.url.endsWith('/bmi.html') ? readFileSync(page, 'utf8') : '';
  if (!request.url.startsWith('/slow/')) return response.end(text);
  response.write(text.slice(0, text.indexOf('<script>')));
  setTimeout(() => response.end(text.slice(text.indexOf('<script>'))), 1000);
});
await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
const site = `http://127.0.0.1:${server.address().port}`;
await tab.goto(`${site}/bmi.html`);
await type('70', false);
await reads('over HTTP under the policy', '#screen', report.slice(0, report.indexOf('1.75')));
// Printed: black on white, without the form (only Chromium emulates print).
if (name === 'chromium') {
  await tab.page.emulateMediaType('print');
  const printed = await tab.evaluate(() => ['entry', 'screen'].map((id) => getComputedStyle(document.getElementById(id)))
    .map((style) => `${style.display} ${style.color} ${style.backgroundColor}`).join());
  if (!/^none .*,block rgb\(0, 0, 0\) rgba\(0, 0, 0, 0\)$/.test(printed)) failures.push(`printed: ${printed}`);
  if (await tab.evaluate(() => getComputedStyle(document.getElementById('screen'), '::after').content) !== 'none') failures.push('the cursor is printed');
  await tab.page.emulateMediaType(null);
  // The cursor is no text to a screen reader; with reduced motion neither it
  // nor the bell moves; a dark style where one is preferred.
  if (JSON.stringify(await tab.page.accessibility.snapshot()).includes('_')) failures.push('the cursor is read as text');
  await tab.page.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }, { name: 'prefers-color-scheme', value: 'dark' }]);
  const still = await tab.evaluate(() => {
    const screen = document.getElementById('screen');
    screen.classList.add('bell'); // as at a refused height
    return [getComputedStyle(screen), getComputedStyle(screen, '::after')].map((style) => style.animationName).join();
  });
  if (still !== 'none,none') failures.push(`with reduced motion, it moves: ${still}`);
  if (await tab.evaluate(() => getComputedStyle(document.body).color) === 'rgb(0, 0, 0)') failures.push('no dark style');
  await tab.page.emulateMediaFeatures([]);
}
// Whether the word of what it needs shows, and no console.
const needs = async (what, word) => {
  const shows = await tab.evaluate(() => ['screen', 'entry']
    .filter((id) => document.getElementById(id).getClientRects().length).join() + document.body.innerText);
  shows.startsWith('BMI') && shows.includes(word) || failures.push(`${what}: ${shows}`);
};
// With a finger, targets of 44 px; a copy saved as one file, which runs no
// scripts, says how to start.
if (name === 'chromium') {
  const cdp = await tab.page.createCDPSession();
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 1 });
  await tab.goto(url);
  await smaller(44, 'at a touch screen');
  await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: false });
  const { data } = await cdp.send('Page.captureSnapshot', { format: 'mhtml' });
  writeFileSync(join(folder, 'saved.mhtml'), data);
  await tab.goto(pathToFileURL(join(folder, 'saved.mhtml')).href);
  await needs('a saved copy', 'bmi.html');
}
// While it loads, no word that scripts are off. (WebKit's driver waits for the load.)
tab.evaluate((url) => { location.href = url; }, `${site}/slow/bmi.html`).catch(() => {});
await new Promise((go) => setTimeout(go, 500));
const loading = await tab.evaluate(() => document.body?.innerText ?? '');
if (loading.includes('JavaScript')) failures.push(`while it loads, it says: ${loading}`);
await reads('loaded slowly', '#screen', greeting);
// A guest in another site: the host's view and focus stay, and in a frame
// sandboxed with allow-scripts alone Enter works.
await tab.goto(`${site}/host.html`);
await reads('the host', 'title', '1');
const stays = await tab.evaluate(() => `${scrollY} ${document.activeElement.tagName}`);
if (stays !== '0 BODY') failures.push(`the host's scroll and focus became ${stays}`);
if (name !== 'firefox') { // its BiDi finds only about:blank in a sandboxed frame
  await tab.frame(0);
  // By script: WebKit's driver finds nothing in it focusable.
  await tab.evaluate(() => (document.getElementById('line').value = '70') && document.getElementById('send').click());
  await reads('in a sandboxed frame', '#screen', `${greeting}70\n${said[2]}`);
  await tab.frame(null);
}
tab.page?.removeAllListeners('pageerror'); // a blocked module is one
await tab.goto(`${site}/blocked/bmi.html`);
await needs('a policy without wasm', 'Content-Security-Policy');
server.close();
if (requests.join() !== '/bmi.html,/slow/bmi.html,/host.html,/bmi.html,/blocked/bmi.html') failures.push(`over HTTP it asked for ${requests.join()}`);
// Without scripts (Firefox's BiDi cannot turn them off), without
// WebAssembly, or without a Shift_JIS decoder, it says what it needs, and
// only that (WebDriver can do none of these to WebKit).
if (tab.page) {
  if (name === 'chromium') {
    await tab.page.setJavaScriptEnabled(false);
    await tab.goto(url);
    await needs('without scripts', 'JavaScript');
    await tab.page.setJavaScriptEnabled(true);
  }
  await tab.page.evaluateOnNewDocument(() => delete globalThis.WebAssembly);
  await tab.goto(url);
  await needs('without WebAssembly', 'WebAssembly');
  await tab.page.evaluateOnNewDocument(() => {
    const decoder = TextDecoder;
    globalThis.TextDecoder = function (label) { if (/shift/i.test(label)) throw new RangeError(label); return new decoder(label); };
  });
  await tab.goto(url);
  await needs('without a Shift_JIS decoder', 'Shift_JIS');
}
await tab.close();
rmSync(folder, { recursive: true });
console.log(failures.length ? `FAIL: ${failures.join('\nFAIL: ')}` : `${name}: every transcript reads as written`);
process.exit(failures.length ? 1 : 0);
