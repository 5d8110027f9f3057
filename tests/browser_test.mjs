// Opens the page alone in a folder, from file://, in a browser, and plays
// the transcripts a page can type: the screen must read as written, with
// each typed line echoed and the bell as 🔔, and the status must name the
// exit status; typing after the end must change nothing. Then what only a
// page meets: an emoji, a 10 KB line, the button, starting again.
// Usage: browser_test.mjs chromium|firefox|webkit PAGE TRANSCRIPT..., with
// BMI_NEEDS the browser's program and, for WebKit, BMI_MINIBROWSER its path.
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { webkitTab } from './webdriver.mjs';

const [name, page, ...transcripts] = process.argv.slice(2);
const skip = (why) => (console.log(`skipped: ${why}`), process.exit(77));
const program = process.env.BMI_NEEDS.split(' ')[0];
const executablePath = process.env.PATH.split(':').map((dir) => join(dir, program)).find(existsSync);
if (!executablePath) skip(`${program} is not installed`);

const folder = mkdtempSync(join(tmpdir(), 'bmi-page-'));
copyFileSync(page, join(folder, 'bmi.html'));
const url = pathToFileURL(join(folder, 'bmi.html')).href;
const failures = [];
// Chromium and Firefox through puppeteer, which also sees every request the
// page makes and every error it throws.
async function puppeteerTab() {
  const { default: puppeteer } = await import('puppeteer-core').catch(() =>
    skip('puppeteer-core is not installed (npm ci --prefix tests)'));
  // As root, Chromium runs only without its sandbox; nothing may reach out.
  const args = ['--no-sandbox', '--disable-background-networking', '--disable-component-update', '--no-first-run'];
  const browser = await puppeteer.launch({ browser: name === 'firefox' ? 'firefox' : 'chrome', executablePath,
    headless: true, args: name === 'chromium' ? args : [] });
  const page = await browser.newPage();
  page.on('request', (request) => request.url() === url || failures.push(`it asked for ${request.url()}`));
  page.on('pageerror', (error) => failures.push(`the page failed: ${error.message}`));
  return { page, goto: (url) => page.goto(url), evaluate: (fn, ...args) => page.evaluate(fn, ...args),
    type: (selector, text) => page.type(selector, text), enter: () => page.keyboard.press('Enter'),
    controlD: () => page.keyboard.down('Control').then(() => page.keyboard.press('d')).then(() => page.keyboard.up('Control')),
    click: (selector) => page.click(selector), close: () => browser.close() };
}
const tab = name === 'webkit' ? await webkitTab(process.env.BMI_MINIBROWSER) : await puppeteerTab();

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
const consultation = readFileSync(transcripts.find((file) => file.endsWith('/consultation.txt')), 'utf8').split('\n');
const greeting = shown(consultation[1]) + shown(consultation[2]);
await tab.goto(url);
await type('😀70', false);
await reads('an emoji, sent as ?', '#screen', `${greeting}😀70\n${greeting}`);
await tab.evaluate((text) => { document.getElementById('line').value = text; }, '7'.repeat(10240)); // pasted
await type('', false);
await reads('a 10 KB line', '#screen', `${greeting}😀70\n${greeting}${'7'.repeat(10240)}\n${shown(consultation[4])}`);
await tab.click('#again');
await reads('started again', '#screen', greeting);
if (await tab.evaluate(() => document.getElementById('line').value) !== '') failures.push('started again: the line is not empty');
await tab.type('#line', '0');
await tab.click('#end');
await reads('the end button', '#screen', `${greeting}0${shown(consultation[4])}`);
await reads('the end button', '#status', '終了ステータス 1', 'includes');
// Without scripts (Firefox's BiDi cannot turn them off), or without
// WebAssembly, it says what it needs, and only that (WebDriver can do
// neither to WebKit).
const needs = async (what) => (await tab.page.$$eval('#needs, #screen, #entry', (parts) =>
  parts.filter((part) => part.getClientRects().length).map((part) => part.id).join())) === 'needs' ||
  failures.push(`${what}: no word of what it needs`);
if (tab.page) {
  tab.page.removeAllListeners('pageerror');
  if (name === 'chromium') {
    await tab.page.setJavaScriptEnabled(false);
    await tab.goto(url);
    await needs('without scripts');
    await tab.page.setJavaScriptEnabled(true);
  }
  await tab.page.evaluateOnNewDocument(() => delete globalThis.WebAssembly);
  await tab.goto(url);
  await needs('without WebAssembly');
}
await tab.close();
rmSync(folder, { recursive: true });
console.log(failures.length ? `FAIL: ${failures.join('\nFAIL: ')}` : `${name}: every transcript reads as written`);
process.exit(failures.length ? 1 : 0);
