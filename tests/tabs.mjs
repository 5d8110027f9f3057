// A tab in a browser, with what the browser test and the benchmark ask of
// one: Chromium and Firefox through puppeteer, WebKit through its WebDriver.
import { spawn } from 'node:child_process';

export async function puppeteerTab(name, executablePath) {
  const { default: puppeteer } = await import('puppeteer-core');
  // As root, Chromium runs only without its sandbox; nothing may reach out.
  const args = ['--no-sandbox', '--disable-background-networking', '--disable-component-update', '--no-first-run'];
  const browser = await puppeteer.launch({ browser: name === 'firefox' ? 'firefox' : 'chrome', executablePath,
    headless: true, args: name === 'chromium' ? args : [] });
  const page = await browser.newPage();
  let frame = page; // where evaluate and type act: the page, or one of its frames
  return { page, goto: (url) => page.goto(url), evaluate: (fn, ...args) => frame.evaluate(fn, ...args),
    type: (selector, text) => frame.type(selector, text), enter: () => page.keyboard.press('Enter'),
    frame: async (index) => { frame = index === null ? page : page.frames()[index + 1]; },
    controlD: () => page.keyboard.down('Control').then(() => page.keyboard.press('d')).then(() => page.keyboard.up('Control')),
    click: (selector) => page.click(selector), close: () => browser.close(),
    resize: (width, height) => page.setViewport({ width, height }) };
}

// MiniBrowser, which puppeteer cannot drive, started by WebKitWebDriver on a
// display of Xvfb's, and driven through plain W3C WebDriver calls.
export async function webkitTab(miniBrowser) {
  const port = 20000 + Math.floor(Math.random() * 20000);
  const driver = spawn('xvfb-run', ['-a', 'WebKitWebDriver', `--port=${port}`], { detached: true, stdio: 'ignore' });
  const stop = () => { try { process.kill(-driver.pid); } catch {} }; // with Xvfb and MiniBrowser
  process.on('exit', stop);
  const call = async (method, path, body) => {
    const response = await fetch(`http://127.0.0.1:${port}${path}`, {
      method, headers: { 'content-type': 'application/json' }, body: body && JSON.stringify(body) });
    const { value } = await response.json();
    if (value?.error) throw new Error(`WebDriver ${path}: ${value.error}: ${value.message}`);
    return value;
  };
  let session;
  for (let tries = 0; !session; tries++) { // the driver takes a moment to listen
    session = await call('POST', '/session', { capabilities: { alwaysMatch: { browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] } } } })
      .catch((error) => (tries < 100 && error.cause ? new Promise((go) => setTimeout(go, 100)) : Promise.reject(error)));
  }
  const at = `/session/${session.sessionId}`;
  await call('POST', `${at}/timeouts`, { script: 600000 });
  const element = async (selector) =>
    Object.values(await call('POST', `${at}/element`, { using: 'css selector', value: selector }))[0];
  // Characters beyond the BMP do not survive send-keys: those go in as a paste would.
  const type = async (selector, text) => {
    const [plain, rest] = [...text].some((c) => c.codePointAt(0) > 0xffff) ? ['', text] : [text, ''];
    if (rest) await tab.evaluate((s, t) => { document.querySelector(s).value += t; }, selector, rest);
    if (plain) await call('POST', `${at}/element/${await element(selector)}/value`, { text: plain });
  };
  const keys = (...values) => call('POST', `${at}/actions`, { actions: [{ type: 'key', id: 'keys', actions: [
    ...values.map((value) => ({ type: 'keyDown', value })), ...values.reverse().map((value) => ({ type: 'keyUp', value }))] }] });
  const tab = {
    goto: (url) => call('POST', `${at}/url`, { url }),
    frame: (index) => call('POST', `${at}/frame`, { id: index }),
    evaluate: (fn, ...args) => call('POST', `${at}/execute/sync`, { script: `return (${fn}).apply(null, arguments)`, args }),
    type,
    enter: () => keys('\uE007'),
    controlD: () => keys('\uE009', 'd'),
    resize: (width, height) => call('POST', `${at}/window/rect`, { width, height }),
    click: async (selector) => call('POST', `${at}/element/${await element(selector)}/click`, {}),
    close: async () => {
      await call('DELETE', at).catch(() => {});
      stop();
    },
  };
  return tab;
}
