// What the WebKit tests run on: a private X server (Xvfb), a private sound
// server (WebKit plays sound through GStreamer, which needs one), the
// project's page server and WebKitWebDriver, each on a display or port of
// its own that is free now, so that runs beside each other never meet. All
// of them are stopped by `stop()`, and by the end of the node process
// whatever way it ends.
import { spawn, spawnSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, rmSync } from 'node:fs';
import { createServer } from 'node:http';
import { createServer as createNetServer } from 'node:net';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { Session } from './webdriver.js';
import { SITE_DIR, WEB_DIR } from '../support/site.js';

const DRIVER = process.env.FROSTPANE_WEBKIT_DRIVER ?? '/usr/bin/WebKitWebDriver';
export const MINIBROWSER = process.env.FROSTPANE_MINIBROWSER
  ?? '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const START_MILLISECONDS = 20_000;

const children = new Set();
let tempDirs = [];

function track(child) {
  children.add(child);
  child.once('exit', () => children.delete(child));
  return child;
}

function killAll() {
  for (const child of children)
    child.kill('SIGKILL');
  for (const dir of tempDirs)
    rmSync(dir, { recursive: true, force: true });
  tempDirs = [];
}
process.once('exit', killAll);

export function delay(milliseconds) {
  return new Promise((resolve) => setTimeout(resolve, milliseconds));
}

// Calls `check` until it returns a truthy value, which it returns; throws
// `what` after `timeout` ms.
export async function waitFor(what, check, timeout = 10_000, every = 50) {
  const until = Date.now() + timeout;
  let last;
  for (;;) {
    try {
      const value = await check();
      if (value)
        return value;
      last = value;
    } catch (error) {
      last = error;
    }
    if (Date.now() > until)
      throw new Error(`waited ${timeout} ms for ${what}; last: ${last?.message ?? JSON.stringify(last)}`);
    await delay(every);
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const server = createNetServer();
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// Xvfb picks a free display itself and names it on the descriptor given.
async function startXvfb() {
  const xvfb = track(spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1600x1400x24', '-nolisten', 'tcp'],
    { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] }));
  const display = await new Promise((resolve, reject) => {
    let text = '';
    xvfb.stdio[3].on('data', (data) => {
      text += data;
      if (text.includes('\n'))
        resolve(`:${text.trim()}`);
    });
    xvfb.once('exit', (code) => reject(new Error(`Xvfb ended with ${code}`)));
  });
  return { process: xvfb, display };
}

// A PulseAudio of its own with one null sink, never a desktop's server.
async function startPulse() {
  const dir = mkdtempSync(join(tmpdir(), 'frostpane-webkit-pulse-'));
  tempDirs.push(dir);
  mkdirSync(join(dir, 'runtime'), { mode: 0o700 });
  mkdirSync(join(dir, 'home'));
  const socket = join(dir, 'native');
  const env = { ...process.env, XDG_RUNTIME_DIR: join(dir, 'runtime'), HOME: join(dir, 'home') };
  track(spawn('pulseaudio', ['--daemonize=no', '--exit-idle-time=-1', '--disable-shm=yes', '-n',
    '--load=module-null-sink sink_name=frostpane_sink rate=48000',
    `--load=module-native-protocol-unix auth-anonymous=1 socket=${socket}`, '--log-target=stderr'],
  { env, stdio: 'ignore' }));
  const server = `unix:${socket}`;
  await waitFor('the private sound server', () => spawnSync('pactl', ['info'],
    { env: { ...process.env, PULSE_SERVER: server }, stdio: 'ignore' }).status === 0, START_MILLISECONDS, 100);
  return server;
}

// The project's own page server on a port it picks; resolves to its origin.
export async function startPageServer() {
  const server = track(spawn('python3', [join(WEB_DIR, 'serve.py'), '--port', '0', SITE_DIR],
    { stdio: ['ignore', 'pipe', 'inherit'] }));
  const firstLine = await new Promise((resolve, reject) => {
    server.stdout.once('data', (data) => resolve(String(data)));
    server.once('exit', (code) => reject(new Error(`the page server ended with ${code}`)));
  });
  return { process: server, origin: firstLine.match(/http:\/\/[\d.]+:\d+/)[0] };
}

// A server in front of `origin` that hands out the page with one more
// classic script, `/test-init.js`, ahead of the page's own: what it holds
// (set `script`) runs before any of the page's scripts. Everything else,
// headers included, is the page server's.
async function startInitServer(origin) {
  const state = { script: '' };
  const server = createServer(async (request, response) => {
    try {
      const path = new URL(request.url, 'http://x').pathname;
      if (path === '/test-init.js') {
        response.writeHead(200, { 'content-type': 'text/javascript', 'cache-control': 'no-store' });
        response.end(state.script);
        return;
      }
      const upstream = await fetch(`${origin}${request.url}`, { method: request.method });
      let body = Buffer.from(await upstream.arrayBuffer());
      const headers = Object.fromEntries(upstream.headers);
      delete headers['content-length'];
      delete headers['content-encoding'];
      delete headers['transfer-encoding'];
      if (path === '/' || path === '/index.html') {
        body = Buffer.from(String(body).replace('<head>', '<head>\n  <script src="test-init.js"></script>'));
        headers['cache-control'] = 'no-store';
      }
      response.writeHead(upstream.status, headers);
      response.end(body);
    } catch (error) {
      response.writeHead(502);
      response.end(String(error));
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  state.origin = `http://127.0.0.1:${server.address().port}`;
  state.close = () => new Promise((resolve) => server.close(resolve));
  return state;
}

async function startDriver(display, pulseServer) {
  for (let attempt = 0; ; ++attempt) {
    const port = await freePort();
    const driver = track(spawn(DRIVER, [`--port=${port}`],
      { env: { ...process.env, DISPLAY: display, PULSE_SERVER: pulseServer }, stdio: 'ignore' }));
    const base = `http://127.0.0.1:${port}`;
    const exited = new Promise((resolve) => driver.once('exit', () => resolve('exited')));
    const ready = waitFor('WebKitWebDriver', async () => (await (await fetch(`${base}/status`)).json()).value?.ready,
      START_MILLISECONDS);
    if (await Promise.race([ready, exited]) !== 'exited')
      return { process: driver, base };
    if (attempt >= 3)
      throw new Error('WebKitWebDriver did not start');
    // The port was taken meanwhile: another one.
  }
}

export class WebKit {
  async start() {
    try {
      const { display } = await startXvfb();
      this.display = display;
      this.pulseServer = await startPulse();
      this.page = await startPageServer();
      this.origin = this.page.origin;
      this.init = await startInitServer(this.origin);
      this.driver = await startDriver(display, this.pulseServer);
    } catch (error) {
      await this.stop();
      throw error;
    }
  }

  // A new MiniBrowser with a private profile of its own, its page area
  // `width` x `height` CSS pixels.
  async session(width = 640, height = 480) {
    const session = await Session.create(this.driver.base, {
      browserName: 'MiniBrowser',
      'webkitgtk:browserOptions': {
        binary: MINIBROWSER,
        args: ['--automation', '--enable-media-stream=true', '--enable-mock-capture-devices=true',
          '--enable-webaudio=true'],
      },
    });
    try {
      await session.setTimeouts({ script: 30_000 });
      await session.navigate('about:blank');
      await setPageSize(session, width, height);
    } catch (error) {
      await session.close().catch(() => {});
      throw error;
    }
    return session;
  }

  async stop() {
    await this.init?.close();
    killAll();
  }
}

// Resizes the window until its page area is `width` x `height`: the window
// has a frame and a toolbar around the page.
export async function setPageSize(session, width, height) {
  for (let attempt = 0; attempt < 4; ++attempt) {
    const [innerWidth, innerHeight] = await session.execute('return [innerWidth, innerHeight]');
    if (innerWidth === width && innerHeight === height)
      return;
    const rect = await session.windowRect();
    await session.setWindowRect({ x: 0, y: 0, width: rect.width + width - innerWidth,
      height: rect.height + height - innerHeight });
    await waitFor('the window\'s new size', async () => {
      const [w, h] = await session.execute('return [innerWidth, innerHeight]');
      return w !== innerWidth || h !== innerHeight || (w === width && h === height);
    }, 3000).catch(() => {});
  }
  const [w, h] = await session.execute('return [innerWidth, innerHeight]');
  if (w !== width || h !== height)
    throw new Error(`the page area is ${w} x ${h}, not ${width} x ${height}`);
}
