// A browser driven over plain WebDriver (HTTP), offered as the part of
// puppeteer's Browser and Page that the page's tests use, so that the same
// tests run in an engine that puppeteer cannot drive (WebKit). Plain
// WebDriver has one window here and no events: the console and uncaught
// errors are recorded by a hook that every script run installs in the page
// (so from the first command after a navigation on), and failed requests
// are not seen at all (watchesRequests is false).
import { cropPicture, decodePng, encodePng } from './png.mjs';

// puppeteer's key names as WebDriver's key codes.
const KEYS = {
  Enter: '\uE007', Escape: '\uE00C', Home: '\uE011', End: '\uE010', Shift: '\uE008', Space: ' ', ' ': ' ',
  ArrowLeft: '\uE012', ArrowRight: '\uE014', Delete: '\uE017', Backspace: '\uE003',
};

// Installs the record of console messages and uncaught errors once a
// document, and hands over (and empties) what it holds.
const TAKE_RECORD = `
  if (!window.__orvelRecord) {
    const record = window.__orvelRecord = [];
    for (const type of ['log', 'debug', 'info', 'warn', 'error']) {
      const original = console[type];
      console[type] = function (...parts) {
        record.push({ kind: 'console', type, text: parts.map(String).join(' ') });
        return original.apply(this, parts);
      };
    }
    addEventListener('error', (e) => record.push({ kind: 'pageerror', text: String(e.error || e.message) }));
    addEventListener('unhandledrejection', (e) => record.push({ kind: 'pageerror', text: String(e.reason) }));
  }
  const taken = window.__orvelRecord.splice(0);`;

export async function connectWebDriver(base, capabilities, { close: closeDriver }) {
  async function command(method, path, body) {
    const response = await fetch(base + path, {
      method,
      headers: { 'Content-Type': 'application/json; charset=utf-8' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const { value } = await response.json();
    if (value && value.error) throw new Error(`WebDriver ${method} ${path}: ${value.error}: ${value.message}`);
    return value;
  }
  const { sessionId } = await command('POST', '/session', { capabilities: { alwaysMatch: capabilities } });
  const session = (method, path, body) => command(method, `/session/${sessionId}${path}`, body);
  let open = null;

  return {
    async newPage() {
      if (open) throw new Error('this WebDriver browser holds one page at a time: close the last one first');
      open = new Page(session, () => { open = null; });
      await open.setViewport({ width: 800, height: 600 });
      return open;
    },
    async close() {
      try {
        await session('DELETE', '');
      } finally {
        await closeDriver();
      }
    },
  };
}

class Page {
  constructor(session, closed) {
    this.session = session;
    this.closed = closed;
    this.handlers = { console: [], pageerror: [] };
    this.watchesRequests = false;
    this.keyboard = {
      press: (key) => this.keys([{ type: 'keyDown', value: code(key) }, { type: 'keyUp', value: code(key) }]),
      down: (key) => this.keys([{ type: 'keyDown', value: code(key) }]),
      up: (key) => this.keys([{ type: 'keyUp', value: code(key) }]),
    };
    this.mouse = {
      click: async (x, y, { button = 'left' } = {}) => {
        const number = { left: 0, middle: 1, right: 2 }[button];
        // WebKitGTK's driver (2.50) releases the right button as a left
        // button's mouseup and click, which no real right click sends: that
        // one click is kept from the page.
        if (button === 'right') {
          await this.run(`() => addEventListener('contextmenu', () => addEventListener('click',
            (e) => e.stopImmediatePropagation(), { capture: true, once: true }), { capture: true, once: true })`, []);
        }
        return this.session('POST', '/actions', { actions: [{ type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' },
          actions: [{ type: 'pointerMove', origin: 'viewport', x: Math.round(x), y: Math.round(y), duration: 0 },
            { type: 'pointerDown', button: number }, { type: 'pointerUp', button: number }] }] });
      },
    };
  }

  on(event, handler) {
    if (!this.handlers[event]) throw new Error(`plain WebDriver reports no "${event}" events`);
    this.handlers[event].push(handler);
  }

  keys(actions) {
    return this.session('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  // Runs source, an expression of a function, with args in the page;
  // resolves to its (awaited) result, as JSON carries it.
  async run(source, args) {
    const script = `${TAKE_RECORD}
      const done = arguments[arguments.length - 1];
      const args = Array.prototype.slice.call(arguments, 0, -1);
      Promise.resolve().then(() => (${source})(...args)).then(
        (value) => done({ value: value === undefined ? null : value, taken }),
        (e) => done({ error: String(e && e.stack || e), taken }));`;
    const { value, error, taken } = await this.session('POST', '/execute/async', { script, args });
    for (const entry of taken) {
      if (entry.kind === 'console') {
        for (const h of this.handlers.console) h({ type: () => entry.type, text: () => entry.text });
      } else {
        for (const h of this.handlers.pageerror) h(entry.text);
      }
    }
    if (error !== undefined) throw new Error(`in the page: ${error}`);
    return value;
  }

  evaluate(fn, ...args) {
    return this.run(String(fn), args);
  }

  $eval(selector, fn, ...args) {
    return this.run(`(selector, ...rest) => {
      const element = document.querySelector(selector);
      if (!element) throw new Error('no element matches ' + selector);
      return (${fn})(element, ...rest);
    }`, [selector, ...args]);
  }

  $$eval(selector, fn, ...args) {
    return this.run(`(selector, ...rest) => (${fn})([...document.querySelectorAll(selector)], ...rest)`,
      [selector, ...args]);
  }

  async waitForFunction(fn, { timeout = 30000, polling = 100 } = {}, ...args) {
    const end = Date.now() + timeout;
    for (;;) {
      if (await this.run(String(fn), args)) return;
      if (Date.now() > end) throw new Error(`waiting for ${String(fn).slice(0, 80)} failed: ${timeout} ms exceeded`);
      await new Promise((r) => setTimeout(r, polling));
    }
  }

  async goto(url) {
    await this.session('POST', '/url', { url });
    await this.run('() => {}', []);
  }

  // The window is sized so that its content area is width by height CSS
  // pixels; no device is emulated.
  async setViewport({ width, height, deviceScaleFactor = 1, isMobile = false, hasTouch = false }) {
    if (deviceScaleFactor !== 1 || isMobile || hasTouch)
      throw new Error('plain WebDriver emulates no device: no pixel ratio, mobile or touch');
    let chrome = { width: 0, height: 0 };
    for (let attempt = 0; attempt < 2; ++attempt) {
      await this.session('POST', '/window/rect', { width: width + chrome.width, height: height + chrome.height });
      const inner = await this.run('() => [innerWidth, innerHeight]', []);
      if (inner[0] === width && inner[1] === height) return;
      const outer = await this.session('GET', '/window/rect');
      chrome = { width: outer.width - inner[0], height: outer.height - inner[1] };
    }
    throw new Error(`the window's content area cannot be made ${width}x${height}`);
  }

  // A click at the middle of the element, as puppeteer's: WebKit's element
  // click refuses the items of a menu placed with position: fixed.
  async click(selector) {
    const [x, y] = await this.run(`(s) => {
      const element = document.querySelector(s);
      if (!element) throw new Error('no element matches ' + s);
      const r = element.getBoundingClientRect();
      return [r.left + r.width / 2, r.top + r.height / 2];
    }`, [selector]);
    await this.mouse.click(x, y);
  }

  // The element's part of a screenshot of the window: WebKit's own element
  // screenshot leaves a WebGL canvas black.
  async $(selector) {
    const found = await this.run('(s) => !!document.querySelector(s)', [selector]);
    if (!found) return null;
    return {
      screenshot: async () => {
        const box = await this.run(`(s) => {
          const r = document.querySelector(s).getBoundingClientRect();
          return [r.left, r.top, r.width, r.height].map((v) => Math.round(v * devicePixelRatio));
        }`, [selector]);
        // The screenshot shows what was painted last: the page's latest
        // changes first get two animation frames to be painted in.
        await this.run('() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)))', []);
        const window = decodePng(Buffer.from(await this.session('GET', '/screenshot'), 'base64'));
        return encodePng(cropPicture(window, ...box));
      },
    };
  }

  async close() {
    try {
      await this.session('POST', '/url', { url: 'about:blank' });
    } finally {
      this.closed();
    }
  }
}

function code(key) {
  const value = KEYS[key] ?? (key.length === 1 ? key : undefined);
  if (value === undefined) throw new Error(`no WebDriver code for the key "${key}"`);
  return value;
}
