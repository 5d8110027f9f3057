// A benchmark, not a test: in each engine, how long the page takes from an
// Enter to its answer laid out, at 1,000 entries and after a 1 MB paste
// (medians of 50), and how tall the page has grown.
// Usage: node tests/page_benchmark.mjs PAGE MINIBROWSER
import { pathToFileURL } from 'node:url';
import { resolve } from 'node:path';
import { puppeteerTab, webkitTab } from './tabs.mjs';

const [page, miniBrowser] = process.argv.slice(2);
const engines = {
  chromium: () => puppeteerTab('chromium', '/usr/bin/chromium'),
  firefox: () => puppeteerTab('firefox', '/usr/bin/firefox-esr'),
  webkit: () => webkitTab(miniBrowser),
};
for (const [name, open] of Object.entries(engines)) {
  const tab = await open();
  await tab.goto(pathToFileURL(resolve(page)).href);
  const [at1000, afterPaste, height] = await tab.evaluate(() => {
    const [line, form] = ['line', 'entry'].map((id) => document.getElementById(id));
    const enter = (text) => {
      const started = performance.now();
      line.value = text;
      form.requestSubmit();
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
