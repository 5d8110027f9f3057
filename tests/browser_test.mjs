// Opens the page alone in a folder, from file://, in a headless browser, and
// plays the transcripts a page can type: the screen must read as written,
// with each typed line echoed and the bell as 🔔, and the status must name
// the exit status; typing after the end must change nothing. Then what only
// a page meets: an emoji, a 10 KB line, the button, starting again.
// Usage: browser_test.mjs chromium|firefox PAGE TRANSCRIPT...
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const [name, page, ...transcripts] = process.argv.slice(2);
const skip = (why) => (console.log(`skipped: ${why}`), process.exit(77));
const program = process.env.BMI_NEEDS;
const executablePath = process.env.PATH.split(':').map((dir) => join(dir, program)).find(existsSync);
if (!executablePath) skip(`${program} is not installed`);
const { default: puppeteer } = await import('puppeteer-core').catch(() =>
  skip('puppeteer-core is not installed (npm ci --prefix tests)'));

const folder = mkdtempSync(join(tmpdir(), 'bmi-page-'));
copyFileSync(page, join(folder, 'bmi.html'));
const url = pathToFileURL(join(folder, 'bmi.html')).href;
// As root, Chromium runs only without its sandbox; nothing may reach out.
const args = ['--no-sandbox', '--disable-background-networking', '--disable-component-update', '--no-first-run'];
const browser = await puppeteer.launch({ browser: name === 'firefox' ? 'firefox' : 'chrome', executablePath,
  headless: true, args: name === 'chromium' ? args : [] });
const tab = await browser.newPage();
const failures = [];
tab.on('request', (request) => request.url() === url || failures.push(`it asked for ${request.url()}`));
tab.on('pageerror', (error) => failures.push(`the page failed: ${error.message}`));

// Waits until the element's text is the text wanted, or with "startsWith"
// or "includes" has it so; before a line is typed, the screen need only have
// come so far (a C library may have read ahead, as dialogue.sh allows).
async function reads(what, selector, want, how = 'is') {
  await tab.waitForFunction((selector, want, how) => {
    const text = document.querySelector(selector).textContent;
    return how === 'is' ? text === want : text[how](want);
  }, { timeout: 5000 }, selector, want, how).catch(async () =>
    failures.push(`${what}: ${selector} reads\n${await tab.$eval(selector, (e) => e.textContent)}\nnot\n${want}`));
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
await tab.$eval('#line', (element, text) => { element.value = text; }, '7'.repeat(10240)); // pasted
await type('', false);
await reads('a 10 KB line', '#screen', `${greeting}😀70\n${greeting}${'7'.repeat(10240)}\n${shown(consultation[4])}`);
await tab.click('#again');
await reads('started again', '#screen', greeting);
if (await tab.$eval('#line', (element) => element.value) !== '') failures.push('started again: the line is not empty');
await tab.type('#line', '0');
await tab.click('#end');
await reads('the end button', '#screen', `${greeting}0${shown(consultation[4])}`);
await reads('the end button', '#status', '終了ステータス 1', 'includes');
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
