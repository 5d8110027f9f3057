// Opens the page alone in a folder, from file://, in a headless browser, and
// plays the transcripts a page can type: the screen must read as written,
// with each typed line echoed and the bell as 🔔, and the status must name
// the exit status; typing after the end must change nothing. Then what only
// a page meets: an emoji, a 10 KB line, the button, starting again.
// Usage: browser_test.mjs chromium|firefox PAGE [-n | -u] TRANSCRIPT...
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const [name, page, ...rest] = process.argv.slice(2);
const nan = /^-[nu]$/.test(rest[0]) ? rest.shift() : '';
const skip = (why) => (console.log(`skipped: ${why}`), process.exit(77));
const program = { chromium: 'chromium', firefox: 'firefox-esr' }[name];
const executablePath = process.env.PATH.split(':').map((dir) => join(dir, program)).find(existsSync);
if (!executablePath) skip(`${program} is not installed`);
const { default: puppeteer } = await import('puppeteer-core').catch(() =>
  skip('puppeteer-core is not installed (npm ci --prefix tests)'));

const folder = mkdtempSync(join(tmpdir(), 'bmi-page-'));
copyFileSync(page, join(folder, 'bmi.html'));
const url = pathToFileURL(join(folder, 'bmi.html')).href;
const browser = await puppeteer.launch({
  browser: name === 'firefox' ? 'firefox' : 'chrome', executablePath, headless: true,
  args: name === 'chromium' ? ['--no-sandbox', '--disable-gpu', '--disable-background-networking',
    '--disable-component-update', '--disable-sync', '--no-first-run'] : [],
});
const tab = await browser.newPage();
const failures = [];
tab.on('request', (request) => request.url() === url || failures.push(`it asked for ${request.url()}`));
tab.on('pageerror', (error) => failures.push(`the page failed: ${error.message}`));

const screen = () => tab.$eval('#screen', (element) => element.textContent);
// Before a line is typed, the screen must have come so far (a C library may
// have read ahead, as dialogue.sh allows); at the end, exactly so far.
async function shows(want, what, sofar = false) {
  await tab.waitForFunction((text, sofar) => {
    const shown = document.getElementById('screen').textContent;
    return sofar ? shown.startsWith(text) : shown === text;
  }, { timeout: 5000 }, want, sofar).catch(async () => failures.push(`${what}: the screen reads\n${await screen()}\nnot\n${want}`));
}
async function type(text, end) {
  await tab.type('#line', text);
  await (end ? tab.keyboard.down('Control').then(() => tab.keyboard.press('d')).then(() => tab.keyboard.up('Control'))
    : tab.keyboard.press('Enter'));
}
// The lines a transcript writes and types, as the screen shows them.
const shown = (line) => line.replace(/^[<>] ?/, '').replaceAll('\\a', '🔔').replace(/\\c$/, '') + (/\\c$/.test(line) ? '' : '\n');

async function play(transcript) {
  const lines = readFileSync(transcript, 'utf8').split('\n');
  if (lines.some((line) => /^output |^<.*\\r/.test(line) || (nan === '-u' && /^<.*-nan/.test(line)))) return;
  await tab.goto(url);
  let want = '';
  for (const line of lines) {
    if (line.startsWith('>')) want += shown(line).replace(/-nan/g, nan === '-n' ? 'nan' : '-nan');
    if (!line.startsWith('<') && line !== '^D') continue;
    await shows(want, transcript, true);
    if (line === '^D') await type('', true);
    else await type(shown(line).replace(/\n$/, ''), /\\c$/.test(line));
    if (line !== '^D') want += shown(line);
  }
  await shows(want, transcript);
  const status = `終了ステータス ${lines.find((line) => line.startsWith('exit '))?.slice(5) ?? 0})`;
  await tab.waitForFunction((text) => document.getElementById('status').textContent.includes(text),
    { timeout: 5000 }, status).catch(() => failures.push(`${transcript}: no "${status}"`));
  await type('70', false);
  await shows(want, `${transcript}, typed after the end`);
}

for (const transcript of rest) await play(transcript);
const consultation = readFileSync(rest.find((file) => file.endsWith('/consultation.txt')), 'utf8').split('\n');
const greeting = shown(consultation[1]) + shown(consultation[2]);
await tab.goto(url);
await type('😀70', false);
await shows(`${greeting}😀70\n${greeting}`, 'an emoji, sent as ?');
await tab.$eval('#line', (element, text) => { element.value = text; }, '7'.repeat(10240)); // pasted
await type('', false);
await shows(`${greeting}😀70\n${greeting}${'7'.repeat(10240)}\n${shown(consultation[4])}`, 'a 10 KB line');
await tab.click('#again');
await shows(greeting, 'started again');
if (await tab.$eval('#line', (element) => element.value) !== '') failures.push('started again: the line is not empty');
await type('0', false);
await tab.click('#end');
await tab.waitForFunction(() => document.getElementById('status').textContent.includes('終了ステータス 1'),
  { timeout: 5000 }).catch(() => failures.push('the end button: no status 1'));
// Without scripts (Firefox's BiDi cannot turn them off), or without
// WebAssembly, it says what it needs, and only that.
const needs = async (what) => (await tab.$$eval('#needs, #screen, #entry', (parts) =>
  parts.filter((part) => part.getClientRects().length).map((part) => part.id).join())) === 'needs' ||
  failures.push(`${what}: no word of what it needs`);
tab.removeAllListeners('pageerror');
if (name === 'chromium') {
  await tab.setJavaScriptEnabled(false);
  await tab.goto(url);
  await needs('without scripts');
  await tab.setJavaScriptEnabled(true);
}
await tab.evaluateOnNewDocument(() => delete globalThis.WebAssembly);
await tab.goto(url);
await needs('without WebAssembly');
await browser.close();
rmSync(folder, { recursive: true });
console.log(failures.length ? `FAIL: ${failures.join('\nFAIL: ')}` : `${name}: every transcript reads as written`);
process.exit(failures.length ? 1 : 0);
