// A benchmark, not a test: in each engine, how long the page takes from an
// Enter to its answer laid out, at 1,000 entries and after a 1 MB paste
// (medians of 50), and how tall the page has grown; and its first paint,
// which shows the first prompt, against a static page of the same two lines
// (medians of 10).
// Usage: node benchmarks/page.mjs PAGE MINIBROWSER (of WebKitGTK, under xvfb-run)
import { readFileSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { puppeteerTab, webkitTab } from '../tests/tabs.mjs';

const [page, miniBrowser] = process.argv.slice(2);
const greeting = readFileSync(new URL('../tests/dialogues/consultation.txt', import.meta.url), 'utf8').split('\n')
  .filter((line) => line.startsWith('> ')).slice(0, 2).map((line) => line.slice(2)).join('\n');
const still = join(tmpdir(), 'bmi-still.html');
writeFileSync(still, `<!DOCTYPE html><html lang="ja"><meta charset="utf-8"><title>BMI</title><pre>${greeting}</pre>`);
// Medians of 10 first paints of each page, loaded in turn so that neither
// has the browser warmer.
async function firstPaints(tab, ...urls) {
  const times = urls.map(() => []);
  for (let i = 0; i < 10; i++) {
    for (const [at, url] of urls.entries()) {
      await tab.goto(url);
      times[at].push(await tab.evaluate(() => new Promise((painted) => {
        new PerformanceObserver((list) => list.getEntriesByName('first-contentful-paint').forEach((entry) =>
          painted(entry.startTime))).observe({ type: 'paint', buffered: true });
        setTimeout(() => painted(NaN), 3000);
      })));
    }
  }
  return times.map((each) => each.sort((a, b) => a - b)[5]);
}
const engines = {
  chromium: () => puppeteerTab('chromium', '/usr/bin/chromium'),
  firefox: () => puppeteerTab('firefox', '/usr/bin/firefox-esr'),
  webkit: () => webkitTab(miniBrowser),
};
// Chromium also at a slow phone's pace: its CPU throttled 4 times.
for (const [name, open] of [...Object.entries(engines), ['chromium at 4x CPU', engines.chromium]]) {
  const tab = await open();
  if (name.endsWith('4x CPU')) await (await tab.page.createCDPSession()).send('Emulation.setCPUThrottlingRate', { rate: 4 });
  const [painted, stillPainted] = await firstPaints(tab, pathToFileURL(resolve(page)).href, pathToFileURL(still).href);
  console.log(`${name}: first paint ${painted.toFixed(0)} ms, a static page's ${stillPainted.toFixed(0)} ms`);
  await tab.goto(pathToFileURL(resolve(page)).href);
  const [at1000, afterPaste, height] = await tab.evaluate(() => {
    const [line, send] = ['line', 'send'].map((id) => document.getElementById(id));
    const enter = (text) => {
      const started = performance.now();
      line.value = text;
      send.click();
      void document.body.offsetHeight;
      return performance.now() - started;
    };
    const median = () => Array.from({ length: 50 }, (_, i) => enter(i % 2 ? '5' : '70')).sort((a, b) => a - b)[25];
    for (let i = 0; i < 950; i++) enter(i % 2 ? '5' : '70');
    const figures = [median()];
    enter('7'.repeat(1 << 20));
    return [...figures, median(), document.body.scrollHeight];
  });
  console.log(`${name}: an Enter at 1,000 entries ${at1000.toFixed(1)} ms, after a 1 MB paste ${afterPaste.toFixed(1)} ms;`,
    `the page ${height} px tall`);
  await tab.close();
}
