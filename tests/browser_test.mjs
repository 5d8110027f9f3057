// Opens the page alone in a folder, from file://, in a browser, and plays
// the transcripts a page can type: the screen must read as written, with
// each typed line echoed and the bell as 🔔, and the status must name the
// exit status; typing after the end must change nothing. Then what only a
// page meets: an emoji, a 10 KB line, the button, starting again.
// Usage: browser_test.mjs chromium|firefox|webkit PAGE TRANSCRIPT..., with
// BMI_NEEDS the browser's program and, for WebKit, BMI_MINIBROWSER its path.
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
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
tab.page?.on('request', (request) => /\/bmi\.html$|^data:,$/.test(request.url()) || failures.push(`it asked for ${request.url()}`));
tab.page?.on('pageerror', (error) => failures.push(`the page failed: ${error.message}`));

// Waits until the element's text is the text wanted, or with "startsWith"
// or "includes" has it so; before a line is typed, the screen need only have
// come so far (a C library may have read ahead, as dialogue.sh allows).
async function reads(what, selector, want, how = 'is') {
  let text;
  for (const started = Date.now(); Date.now() - started < 5000; await new Promise((go) => setTimeout(go, 20))) {
    text = await tab.evaluate((selector) => document.querySelector(selector).textContent, selector);
    if (how === 'is' ? text === want : text[how](want)) return;
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
await tab.click('#again');
await tab.type('#line', '0');
await tab.click('#end');
await reads('the end button', '#screen', `${greeting}0${said[2]}`);
await reads('the end button', '#status', '終了ステータス 1', 'includes');
await holds('after the end', 'again,true,false');
await audited('after the end');
// Ctrl+D where the key in D's place is not called d.
await tab.click('#again');
await tab.evaluate(() => document.getElementById('line').dispatchEvent(
  new KeyboardEvent('keydown', { key: 'в', code: 'KeyD', ctrlKey: true, bubbles: true })));
await reads('Ctrl+D on a Russian layout', '#status', '終了ステータス 1', 'includes');
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
  await tab.resize(800, 600);
}
if (readFileSync(page, 'latin1').indexOf('<meta charset') >= 1024) failures.push('the encoding is declared after byte 1024');
// Served over HTTP under the README's policy the page runs and asks for
// nothing else; without 'wasm-unsafe-eval' it says the site blocks it.
const policy = readFileSync(new URL('../README.md', import.meta.url), 'utf8').match(/Content-Security-Policy: (.*)/)[1];
const requests = [];
const server = createServer((request, response) => {
  requests.push(request.url);
  response.writeHead(request.url.endsWith('/bmi.html') ? 200 : 404, { 'content-type': 'text/html',
    'content-security-policy': request.url.startsWith('/blocked/') ? policy.replace(" 'wasm-unsafe-eval'", '') : policy });
  response.end(request.url.endsWith('/bmi.html') ? readFileSync(page) : '');
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
  await tab.page.emulateMediaType(null);
}
// Whether only the word of what it needs shows, and that word.
const needs = async (what, word) => {
  const shows = await tab.evaluate(() => ['needs', 'screen', 'entry']
    .filter((id) => document.getElementById(id).getClientRects().length).join() + document.getElementById('needs').textContent);
  shows.startsWith('needs') && shows.includes(word) || failures.push(`${what}: ${shows}`);
};
tab.page?.removeAllListeners('pageerror'); // a blocked module is one
await tab.goto(`${site}/blocked/bmi.html`);
await needs('a policy without wasm', 'Content-Security-Policy');
server.close();
if (requests.join() !== '/bmi.html,/blocked/bmi.html') failures.push(`over HTTP it asked for ${requests.join()}`);
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
