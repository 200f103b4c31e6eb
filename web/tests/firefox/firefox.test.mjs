// The main checks again in Firefox ESR, driven over WebDriver BiDi by
// Puppeteer, under node's own test runner. Firefox's fake camera shows one
// flat colour that does not move, so here the camera is only started and
// stopped, and a mouse stroke stands in for motion; what the moving ball
// shows is Chromium's part.
import { spawn, spawnSync } from 'node:child_process';
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import puppeteer from 'puppeteer-core';
import { madeUpCamera } from '../support/made_up_camera.js';
import { changedPixels, decodePng, meanDifference } from '../support/png.js';
import { PROJECT_DIR, SHOT_DIR, SITE_DIR, WEB_DIR } from '../support/site.js';

// The server picks a free port and names it in its first line.
let ORIGIN = '';
const FIREFOX = process.env.FROSTPANE_FIREFOX ?? '/usr/bin/firefox-esr';
const WAIT = 10_000;
// One press of a tool icon per 500 ms counts, the first 500 ms after the
// page started: taps wait that out.
const GATE_MILLISECONDS = 550;

let server;
let browser;
let pulse;
let pulseDir;

// Firefox plays sound only through a sound server (it has no silent output of
// its own): a private PulseAudio with one null sink, which never meets a
// desktop's own server and is stopped by its process.
async function startPulse() {
  pulseDir = mkdtempSync(join(tmpdir(), 'frostpane-pulse-'));
  mkdirSync(join(pulseDir, 'runtime'), { mode: 0o700 });
  mkdirSync(join(pulseDir, 'home'));
  const socket = join(pulseDir, 'native');
  pulse = spawn('pulseaudio', ['--daemonize=no', '--exit-idle-time=-1', '--disable-shm=yes', '-n',
    '--load=module-null-sink sink_name=frostpane_sink rate=48000',
    `--load=module-native-protocol-unix auth-anonymous=1 socket=${socket}`, '--log-target=stderr'],
  { env: { ...process.env, XDG_RUNTIME_DIR: join(pulseDir, 'runtime'), HOME: join(pulseDir, 'home') },
    stdio: 'ignore' });
  const server = `unix:${socket}`;
  for (const started = Date.now(); Date.now() - started < WAIT;) {
    if (spawnSync('pactl', ['info'], { env: { ...process.env, PULSE_SERVER: server }, stdio: 'ignore' }).status === 0)
      return server;
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Error('the private sound server did not start');
}

before(async () => {
  assert.ok(existsSync(join(SITE_DIR, 'index.html')), `no site in ${SITE_DIR}: build it first`);
  const pulseServer = await startPulse();
  server = spawn('python3', [join(WEB_DIR, 'serve.py'), '--port', '0', SITE_DIR],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const firstLine = await new Promise((resolve, reject) => {
    server.stdout.once('data', (data) => resolve(String(data)));
    server.once('exit', (code) => reject(new Error(`the server ended with ${code}`)));
  });
  ORIGIN = firstLine.match(/http:\/\/[\d.]+:\d+/)[0];
  browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath: FIREFOX,
    headless: true,
    env: { ...process.env, PULSE_SERVER: pulseServer },
    extraPrefsFirefox: {
      'media.navigator.streams.fake': true,
      'media.navigator.permission.disabled': true,
    },
  });
});

after(async () => {
  await browser?.close();
  server?.kill('SIGINT');
  pulse?.kill();
  if (pulseDir)
    rmSync(pulseDir, { recursive: true, force: true });
});

// A page of its own (own storage, own service worker) at 640 x 480.
async function newGame(path = '/') {
  const context = await browser.createBrowserContext();
  const page = await context.newPage();
  await page.setViewport({ width: 640, height: 480 });
  const requests = [];
  page.on('request', (request) => requests.push(request.url()));
  const response = await page.goto(`${ORIGIN}${path}`);
  await page.waitForSelector('#game[data-state="ready"]', { timeout: WAIT });
  return { context, page, response, requests, lastTap: 0 };
}

async function shot(page, name) {
  mkdirSync(SHOT_DIR, { recursive: true });
  const png = Buffer.from(await page.screenshot());
  writeFileSync(join(SHOT_DIR, `firefox-${name}.png`), png);
  return decodePng(png);
}

async function tap(page, x, y) {
  await page.mouse.move(x, y);
  await page.mouse.down();
  await page.mouse.up();
}

async function tapTool(game, selector) {
  const { page } = game;
  await page.waitForSelector(`${selector}:not([hidden]):not(.faded)`, { timeout: WAIT });
  await page.waitForFunction((gate) => performance.now() - globalThis.frostpaneTest.startedAt() > gate,
    { timeout: WAIT }, GATE_MILLISECONDS);
  const left = GATE_MILLISECONDS - (Date.now() - game.lastTap);
  if (left > 0)
    await new Promise((resolve) => setTimeout(resolve, left)); // the gate's own time
  const box = await (await page.$(selector)).boundingBox();
  await tap(page, box.x + box.width / 2, box.y + box.height / 2);
  game.lastTap = Date.now();
}

async function showTools(page) {
  await tap(page, 64, 432);
  await page.waitForSelector('#settingsIcon:not([hidden]):not(.faded)', { timeout: WAIT });
}

async function attribute(page, name) {
  return page.$eval('#game', (e, n) => e.getAttribute(n), name);
}

describe('Firefox ESR', () => {
  test('at 640 x 480 the start page shows what the desktop window shows', async () => {
    const { context, page } = await newGame();
    const box = await (await page.$('#cameraIcon')).boundingBox();
    assert.deepEqual([Math.round(box.x), Math.round(box.y)], [294, 166]);
    const image = await shot(page, 'start-640x480');
    const desktop = decodePng(readFileSync(join(PROJECT_DIR, 'docs', 'screenshots', 'start-window.png')));
    assert.ok(meanDifference(image, desktop) < 1.5, `differs from the desktop by ${meanDifference(image, desktop)}`);
    assert.equal(await attribute(page, 'data-simd'), 'WASM');
    await context.close();
  });

  test('a mouse stroke wipes its path; the ice grows back by itself', async () => {
    const { context, page } = await newGame();
    const start = await shot(page, 'stroke-start');
    await page.mouse.move(60, 300);
    await page.mouse.down();
    for (let x = 60; x <= 580; x += 20)
      await page.mouse.move(x, 300);
    await page.mouse.up();
    await page.waitForSelector('#game[data-scene="play"]', { timeout: WAIT });
    const wiped = await shot(page, 'stroke-wiped');
    const band = { x: 100, y: 296, width: 440, height: 8 };
    assert.ok(changedPixels(start, wiped, band) > band.width * band.height / 2, 'the path shows the photo');
    assert.equal(changedPixels(start, wiped, { x: 100, y: 40, width: 440, height: 60 }), 0);
    assert.equal(await page.$('#settingsIcon.faded') !== null, true, 'a stroke is no tap');
    await page.waitForSelector('#game[data-cleaned="0.000"]', { timeout: 15_000 });
    await context.close();
  });

  test('a tap shows the tools; idle, they fade and hide', async () => {
    const { context, page } = await newGame();
    await showTools(page);
    const box = await (await page.$('#settingsIcon')).boundingBox();
    assert.deepEqual([Math.round(box.x), Math.round(box.y)], [422, 166]);
    await shot(page, 'tools-640x480');
    await page.waitForFunction(() => Number(document.getElementById('settingsIcon').style.opacity) < 1,
      { timeout: 8000, polling: 20 });
    await page.waitForSelector('#settingsIcon.faded', { timeout: 3000 });
    assert.equal(await attribute(page, 'data-fade'), 'stopped');
    await context.close();
  });

  test('a screen reader\'s activation presses a faded tool, once per half second, and moves the focus', async () => {
    const { context, page } = await newGame();
    await page.waitForFunction((gate) => performance.now() - globalThis.frostpaneTest.shownAt() > gate,
      { timeout: WAIT }, GATE_MILLISECONDS);
    assert.equal(await page.$('#nextPictureIcon.faded') !== null, true);
    // Drummed: five activations at once count once.
    await page.$eval('#nextPictureIcon', (tool) => {
      for (let i = 0; i < 5; ++i)
        tool.click();
      globalThis.activatedAt = performance.now();
    });
    assert.equal(await attribute(page, 'data-picture'), '2');
    await page.waitForFunction((gate) => performance.now() - globalThis.activatedAt > gate,
      { timeout: WAIT }, GATE_MILLISECONDS);
    await page.$eval('#settingsIcon', (tool) => tool.click());
    await page.waitForSelector('#settingsPanel:not([hidden])', { timeout: WAIT });
    assert.equal(await page.evaluate(() => document.activeElement?.id), 'sensitivitySlider');
    await page.keyboard.press('Escape');
    await page.waitForSelector('#settingsPanel[hidden]', { timeout: WAIT });
    assert.equal(await page.evaluate(() => document.activeElement?.id), 'settingsIcon');
    await context.close();
  });

  test('a changed freezing speed survives a reload; a bad stored value falls back', async () => {
    const game = await newGame();
    const { context, page } = game;
    await showTools(page);
    await tapTool(game, '#settingsIcon');
    await page.waitForSelector('#settingsPanel:not([hidden])', { timeout: WAIT });
    assert.equal(await page.$eval('#freezingSlider', (e) => e.value), '10');
    await shot(page, 'settings-640x480');
    await page.$eval('#freezingSlider', (e) => { e.value = '42'; });
    await page.click('#okButton');
    assert.equal(await page.evaluate(() => localStorage.getItem('game/freezingSpeed')), '42');
    await page.evaluate(() => localStorage.setItem('game/cameraSensitivity', 'very'));
    await page.reload();
    await page.waitForSelector('#game[data-state="ready"]', { timeout: WAIT });
    game.lastTap = 0;
    await showTools(page);
    await tapTool(game, '#settingsIcon');
    await page.waitForSelector('#settingsPanel:not([hidden])', { timeout: WAIT });
    assert.equal(await page.$eval('#freezingSlider', (e) => e.value), '42');
    assert.equal(await page.$eval('#sensitivitySlider', (e) => e.value), '249'); // the default, 20
    await context.close();
  });

  test('the policy header is there and every request stays on the origin', async () => {
    const game = await newGame();
    const { context, page, response, requests } = game;
    const policy = response.headers()['content-security-policy'];
    assert.match(policy, /script-src 'self' 'wasm-unsafe-eval'(;|$)/);
    assert.doesNotMatch(policy, /unsafe-inline|https?:/);
    await tapTool(game, '#cameraIcon');
    await page.waitForSelector('#game[data-camera="on"]', { timeout: WAIT });
    await page.waitForFunction(() => globalThis.frostpaneTest.sound().running, { timeout: WAIT });
    assert.ok(requests.length > 10);
    assert.deepEqual(requests.filter((url) => !url.startsWith(`${ORIGIN}/`) && !/^(blob|data):/.test(url)), []);
    await context.close();
  });

  test('the camera starts and stops by its icon', async () => {
    const game = await newGame();
    const { context, page } = game;
    await tapTool(game, '#cameraIcon');
    await page.waitForSelector('#game[data-camera="on"]', { timeout: WAIT });
    assert.equal(await page.$eval('#cameraIcon img', (e) => e.getAttribute('src')), 'images/camera_on.png');
    await showTools(page);
    await tapTool(game, '#cameraIcon');
    await page.waitForSelector('#game[data-camera="off"]', { timeout: WAIT });
    await context.close();
  });

  test('a camera that stops sending frames is started again and plays on', async () => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.setViewport({ width: 640, height: 480 });
    // The camera is a canvas's captured stream at a rate of 30.
    await page.evaluateOnNewDocument(madeUpCamera, 30);
    await page.goto(`${ORIGIN}/`);
    await page.waitForSelector('#game[data-state="ready"]', { timeout: WAIT });
    await page.evaluate(() => globalThis.frostpaneTest.startCamera());
    await page.waitForFunction(() => globalThis.frostpaneTest.frames() >= 3, { timeout: WAIT });
    await page.evaluate(() => { globalThis.silent = (number) => number === 1; });
    await page.waitForFunction(() => globalThis.cameraOpens === 2, { timeout: 15_000 });
    const restarted = await page.evaluate(() => globalThis.frostpaneTest.frames());
    await page.waitForFunction((from) => globalThis.frostpaneTest.frames() >= from + 10, { timeout: WAIT }, restarted);
    assert.equal(await attribute(page, 'data-camera'), 'on');
    assert.equal(await page.evaluate(() => globalThis.cameraOpens), 2);
    await context.close();
  });

  test('the first tap starts the sound worklet and a tool\'s tap makes a tick', async () => {
    const game = await newGame();
    const { context, page } = game;
    assert.equal(await page.evaluate(() => globalThis.frostpaneTest.sound().started), false);
    await showTools(page);
    await page.waitForFunction(() => globalThis.frostpaneTest.sound().running, { timeout: WAIT });
    await page.evaluate(() => {
      globalThis.frostpaneTest.meterSound();
      globalThis.frostpaneTest.resetSoundPeak();
    });
    await tapTool(game, '#nextPictureIcon');
    await page.waitForFunction(() => globalThis.frostpaneTest.sound().peak > 0.01, { timeout: WAIT });
    assert.equal(await attribute(page, 'data-picture'), '2');
    await context.close();
  });
});
