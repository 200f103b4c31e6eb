// A small W3C WebDriver client over node's own fetch, for WebKitWebDriver.
// The tests need a dozen commands (navigate, execute, window size, pointer
// actions, screenshots, a file input); a client of our own covers them in a
// page and brings no package of its own, where webdriverio would bring a
// tree of them into package-lock.json for the same few calls.

export class WebDriverError extends Error {
  constructor(command, value) {
    super(`${command}: ${value?.error ?? 'failed'}: ${value?.message ?? ''}`);
    this.error = value?.error;
  }
}

// The key under which W3C WebDriver names an element in its answers.
const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';

export class Session {
  constructor(base, id) {
    this.base = base;
    this.id = id;
  }

  // Asks `base` (the driver's address) for a session with `capabilities`.
  static async create(base, capabilities) {
    const value = await command(base, 'POST', '/session', { capabilities: { alwaysMatch: capabilities } });
    return new Session(base, value.sessionId);
  }

  call(method, path, body) {
    return command(this.base, method, `/session/${this.id}${path}`, body);
  }

  close() { return this.call('DELETE', ''); }
  navigate(url) { return this.call('POST', '/url', { url }); }
  refresh() { return this.call('POST', '/refresh', {}); }

  // Runs `script` (a function's body; `arguments` holds `args`) in the page.
  execute(script, ...args) { return this.call('POST', '/execute/sync', { script, args }); }
  // The same, awaiting the promise the body returns.
  evaluate(script, ...args) {
    return this.call('POST', '/execute/async', {
      script: `const done = arguments[arguments.length - 1];
        Promise.resolve().then(() => (async function () { ${script} }).apply(null, Array.from(arguments).slice(0, -1)))
          .then((value) => done({ value }), (error) => done({ error: String(error && error.stack || error) }));`,
      args,
    }).then((answer) => {
      if (answer?.error)
        throw new Error(`in the page: ${answer.error}`);
      return answer?.value;
    });
  }

  setTimeouts(timeouts) { return this.call('POST', '/timeouts', timeouts); }
  windowRect() { return this.call('GET', '/window/rect'); }
  setWindowRect(rect) { return this.call('POST', '/window/rect', rect); }
  async screenshot() { return Buffer.from(await this.call('GET', '/screenshot'), 'base64'); }

  async find(selector) {
    const value = await this.call('POST', '/element', { using: 'css selector', value: selector });
    return value[ELEMENT];
  }

  // Types into an element; for a file input, `text` names the files (one
  // path a line).
  async sendKeys(selector, text) {
    const element = await this.find(selector);
    return this.call('POST', `/element/${element}/value`, { text });
  }

  // One pointer of `kind` ('mouse', 'pen', 'touch') doing `steps`, each
  // { type: 'pointerMove', x, y } | { type: 'pointerDown' } | { type: 'pointerUp' } | { type: 'pause', duration }.
  async pointer(kind, steps) {
    const actions = steps.map((step) => (step.type === 'pointerDown' || step.type === 'pointerUp'
      ? { button: 0, ...step }
      : step.type === 'pointerMove' ? { duration: 0, origin: 'viewport', ...step } : step));
    await this.call('POST', '/actions', {
      actions: [{ type: 'pointer', id: `${kind}1`, parameters: { pointerType: kind }, actions }],
    });
    await this.call('DELETE', '/actions');
  }
}

async function command(base, method, path, body) {
  const response = await fetch(`${base}${path}`, {
    method,
    headers: body === undefined ? {} : { 'content-type': 'application/json; charset=utf-8' },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const answer = await response.json().catch(() => ({}));
  if (!response.ok || answer.value?.error)
    throw new WebDriverError(`${method} ${path}`, answer.value);
  return answer.value;
}
