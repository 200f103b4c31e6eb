// The browser edition in WebKit, Safari's engine (WebKitGTK's MiniBrowser,
// driven by WebKitWebDriver over plain W3C WebDriver), under node's own test
// runner. Each test has a browser of its own, with a private profile that
// ends with it. WebKit differs where the game lives: its camera frames come
// without MediaStreamTrackProcessor, its private profile refuses Blobs in
// IndexedDB, and its mock camera shows a moving test picture of its own.
//
// What WebDriver cannot see here, and how these tests do without it:
// - There is no script injected before a page's scripts in classic
//   WebDriver (WebKitWebDriver has no BiDi): a small server in front of the
//   page server adds a classic script ahead of the page's own
//   (`harness.init`); the camera is refused that way, as under automation
//   WebKit always allows it.
// - There are no network events: the requests are the page's Resource
//   Timing entries, which name every file, image and fetch of the page (a
//   worker's own fetches are not among them).
// - A touch action arrives as a mouse, so a finger is not tried here; the
//   pen and the mouse arrive as real Pointer Events.
// - The private profile refuses Blobs in IndexedDB, so photos kept as Blobs
//   by earlier versions cannot be put here: their loading is Chromium's test
//   (tests/chromium/photos.test.js).
// - A real device's shell is not WebKitGTK's: an iPad's home screen, its
//   safe areas (env() is 0 here; the page's own custom properties over it
//   stand in) and an iPhone's missing element full screen (taken away from
//   the page here) are only imitated.
import { existsSync, mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { changedPixels, decodePng, meanDifference, photoPixels, pixel, solidPng } from '../support/png.js';
import { PROJECT_DIR, SHOT_DIR, SITE_DIR } from '../support/site.js';
import { WebKit, delay, startPageServer, waitFor } from './harness.js';

const WAIT = 15_000;
// One press of a tool icon per 500 ms counts, the first 500 ms after the
// page started: taps on icons wait that out.
const GATE_MILLISECONDS = 550;
const PHOTO = decodePng(readFileSync(join(PROJECT_DIR, 'assets', 'images', 'frostpane_001.png')));
const ICE = decodePng(readFileSync(join(PROJECT_DIR, 'assets', 'images', 'frostpane_001_ice.png')));
const WHOLE = { x: 0, y: 0, width: 640, height: 480 };

const webkit = new WebKit();
let files;

before(async () => {
  assert.ok(existsSync(join(SITE_DIR, 'index.html')), `no site in ${SITE_DIR}: build it first`);
  await webkit.start();
  files = mkdtempSync(join(tmpdir(), 'frostpane-webkit-files-'));
});

after(async () => {
  await webkit.stop();
  if (files)
    rmSync(files, { recursive: true, force: true });
});

// A browser of its own on the game at `origin`, its page area `width` x
// `height`; closed after `body` whatever happens.
async function withGame(options, body) {
  const { width = 640, height = 480, origin = webkit.origin } = options;
  const session = await webkit.session(width, height);
  const game = { session, lastTap: 0, origin };
  try {
    await open(game);
    await body(game);
  } finally {
    await session.close().catch(() => {});
  }
}

async function open(game) {
  await game.session.navigate(`${game.origin}/`);
  await ready(game);
}

// The start page is shown, and the other built-in pictures are in the
// module: while the page still decodes them, a tap on a busy machine was
// sometimes not acted on.
async function ready(game) {
  await waitForAttribute(game, 'data-state', 'ready');
  await waitFor('the other pictures', () => game.session.execute('return globalThis.frostpaneTest.builtInPicturesLoaded()'));
  game.lastTap = 0;
}

function attribute(game, name) {
  return game.session.execute('return document.getElementById("game").getAttribute(arguments[0])', name);
}

function waitForAttribute(game, name, value, timeout = WAIT) {
  return waitFor(`${name}="${value}"`, async () => (await attribute(game, name)) === value, timeout);
}

// Whether an element is in sight: a faded tool stays in the page for screen
// readers and switch devices, out of sight.
function visible(game, id) {
  return game.session.execute('const e = document.getElementById(arguments[0]); return !!e && !e.hidden'
    + ' && !e.classList.contains("faded") && e.getBoundingClientRect().width > 0', id);
}

function box(game, id) {
  return game.session.execute('const b = document.getElementById(arguments[0]).getBoundingClientRect();'
    + ' return { x: b.x, y: b.y, width: b.width, height: b.height }', id);
}

// A screenshot after two animation frames (one taken at once can show the
// frame before), kept for a person to look at, and its pixels.
async function shot(game, name) {
  await game.session.evaluate('await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));');
  const png = await game.session.screenshot();
  mkdirSync(SHOT_DIR, { recursive: true });
  writeFileSync(join(SHOT_DIR, `webkit-${name}.png`), png);
  return decodePng(png);
}

function tap(game, x, y, kind = 'mouse') {
  return game.session.pointer(kind, [{ type: 'pointerMove', x: Math.round(x), y: Math.round(y) },
    { type: 'pointerDown' }, { type: 'pointerUp' }]);
}

async function tapCenter(game, id) {
  const b = await box(game, id);
  await tap(game, b.x + b.width / 2, b.y + b.height / 2);
}

// Taps a tool icon as a child would, once the press gate lets it count. The
// gate's first 500 ms run from when the module first hears from the page,
// which on a busy machine can be well after the page's start: the wait
// counts from the start page shown (`shownAt`), which comes after it.
async function tapTool(game, id) {
  await waitFor(`#${id} shown`, () => visible(game, id));
  await waitFor('the press gate', () => game.session.execute(
    'return performance.now() - globalThis.frostpaneTest.shownAt() > arguments[0]', GATE_MILLISECONDS));
  const left = GATE_MILLISECONDS - (Date.now() - game.lastTap);
  if (left > 0)
    await delay(left); // the gate's own time
  await tapCenter(game, id);
  game.lastTap = Date.now();
}

// Shows the tools with a tap on the picture away from any icon.
async function showTools(game) {
  const [width, height] = await game.session.execute('return [innerWidth, innerHeight]');
  await tap(game, width * 0.1, height * 0.9);
  await waitFor('the tools', () => visible(game, 'settingsIcon'));
}

// A stroke of `kind` from (x0, y) to (x1, y) in many short moves: a move with
// a duration would arrive as one event.
function stroke(game, kind, y, x0 = 60, x1 = 580) {
  const steps = [{ type: 'pointerMove', x: x0, y }, { type: 'pointerDown' }];
  for (let x = x0 + 20; x <= x1; x += 20)
    steps.push({ type: 'pointerMove', x, y });
  steps.push({ type: 'pointerUp' });
  return game.session.pointer(kind, steps);
}

async function openSettings(game) {
  await showTools(game);
  await tapTool(game, 'settingsIcon');
  await waitFor('the settings panel', () => visible(game, 'settingsPanel'));
}

function middleColour(image) {
  const [r, g, b] = pixel(image, 320, 240);
  return ['red', 'green', 'blue'][[r, g, b].indexOf(Math.max(r, g, b))];
}

// The previous picture (the last one: the photos come after the built-in
// pictures) until its middle shows `colour`.
async function expectLastPhoto(game, number, colour, name) {
  await showTools(game);
  await tapTool(game, 'previousPictureIcon');
  await waitForAttribute(game, 'data-picture', String(number));
  await waitFor(`picture ${number} drawn in ${colour}`, async () => middleColour(await shot(game, name)) === colour);
}

describe('WebKit', () => {
  test('at 640 x 480 the start page shows what the desktop window shows', () => withGame({}, async (game) => {
    const camera = await box(game, 'cameraIcon');
    assert.deepEqual([camera.x, camera.y, Math.round(camera.width * 10)], [294, 166, 512]);
    for (const id of ['settingsIcon', 'nextPictureIcon', 'switchCameraIcon'])
      assert.equal(await visible(game, id), false, `${id} hidden`);
    const image = await shot(game, 'start-640x480');
    const desktop = decodePng(readFileSync(join(PROJECT_DIR, 'docs', 'screenshots', 'start-window.png')));
    assert.equal(image.width, 640);
    const difference = meanDifference(image, desktop);
    assert.ok(difference < 1.5, `differs from the desktop by ${difference}`);
    assert.equal(await attribute(game, 'data-simd'), 'WASM');
  }));

  test('in a portrait tablet window the tools sit where the desktop puts them', () =>
    withGame({ width: 820, height: 1180 }, async (game) => {
      await tap(game, 80, 1100, 'pen');
      await waitFor('the tools', () => visible(game, 'settingsIcon'));
      // 8 % of the longer side, the height: 94.4 pixels; the camera centred
      // on (0.5, 0.4) of the screen.
      const camera = await box(game, 'cameraIcon');
      assert.equal(Math.round(camera.width * 10), 944);
      assert.deepEqual([camera.x, camera.y], [Math.trunc(410 - 47.2), Math.trunc(472 - 47.2)]);
      const picture = await game.session.execute('return globalThis.frostpaneTest.scene().pictureRect');
      assert.deepEqual([picture.x, picture.width], [0, 820]); // across the width, 4:3
      const image = await shot(game, 'tablet-820x1180');
      assert.deepEqual([image.width, image.height], [820, 1180]);
      // Above and below the picture: black.
      assert.deepEqual(pixel(image, 410, 40), [0, 0, 0]);
      assert.deepEqual(pixel(image, 410, 1140), [0, 0, 0]);
    }));

  // On a phone with a notch, or a tablet's home indicator, the browser tells
  // the insets through env(safe-area-inset-*), which are 0 on a desktop:
  // here the page's own custom properties over them stand in for a
  // phone's with a notch at the top and a home indicator below. The game's
  // area stays over 480 pixels high: in a lower one (399) the module puts
  // the settings panel's top label 6 pixels above the area's edge, as it
  // does in a desktop window as low.
  test('tools and panels keep inside the safe areas, and strokes wipe under the pointer', () =>
    withGame({ width: 640, height: 600 }, async (game) => {
      const { session } = game;
      const safe = { top: 60, right: 47, bottom: 21, left: 47 };
      await session.execute(`const safe = arguments[0];
        for (const [side, inset] of Object.entries(safe))
          document.documentElement.style.setProperty('--safe-' + side, inset + 'px');
        dispatchEvent(new Event('resize'));`, safe);
      const inside = { left: safe.left, top: safe.top, right: 640 - safe.right, bottom: 600 - safe.bottom };
      const outside = async (ids) => {
        const out = [];
        for (const id of ids) {
          const b = await box(game, id);
          if (b.width > 0 && (b.x < inside.left || b.y < inside.top || b.x + b.width > inside.right
              || b.y + b.height > inside.bottom))
            out.push([id, b]);
        }
        return out;
      };
      await showTools(game);
      const tools = ['switchCameraIcon', 'eyeIcon', 'aboutIcon', 'cameraIcon', 'settingsIcon',
        'previousPictureIcon', 'nextPictureIcon'];
      assert.deepEqual(await outside([...tools, 'pictureCanvas']), []);
      // The picture spans the game's width: 546 x 409.5, in the middle.
      const picture = await box(game, 'pictureCanvas');
      assert.deepEqual([picture.x, picture.width], [inside.left, inside.right - inside.left]);
      await tapTool(game, 'settingsIcon');
      await waitFor('the settings panel', () => visible(game, 'settingsPanel'));
      await shot(game, 'safe-area-settings');
      assert.deepEqual(await outside(['resolutionBox', 'resolutionSlider', 'sensitivityBox', 'sensitivitySlider',
        'soundBox', 'freezingBox', 'freezingSlider', 'okBox', 'photosBox']), []);
      await tapCenter(game, 'okButton');
      await waitForAttribute(game, 'data-panel', 'none');
      await waitFor('the tools hidden', async () => !await visible(game, 'settingsIcon'), 10_000);

      // A stroke along y = 300 of the page wipes there, not where the page's
      // corner would put it without the insets (60 pixels higher).
      const before = await shot(game, 'safe-area-before-stroke');
      await stroke(game, 'mouse', 300, 100, 540);
      await waitForAttribute(game, 'data-scene', 'play');
      const after = await shot(game, 'safe-area-stroke');
      const at = changedPixels(before, after, { x: 140, y: 296, width: 360, height: 8 });
      const above = changedPixels(before, after, { x: 140, y: 236, width: 360, height: 8 });
      assert.ok(at > 360 * 8 / 2, `wiped under the pointer: ${at} pixels`);
      assert.equal(above, 0);
    }));

  test('as a home-screen app: its icon, full screen, the whole screen, inline video', () =>
    withGame({}, async (game) => {
      const page = await game.session.evaluate(`
        const meta = (name) => document.querySelector('meta[name="' + name + '"]')?.content ?? null;
        const link = document.querySelector('link[rel="apple-touch-icon"]');
        const bitmap = await createImageBitmap(await (await fetch(link.href)).blob());
        const g = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
        g.drawImage(bitmap, 0, 0);
        const corners = [[0, 0], [bitmap.width - 1, 0], [0, bitmap.height - 1], [bitmap.width - 1, bitmap.height - 1]]
          .map(([x, y]) => g.getImageData(x, y, 1, 1).data[3]);
        const manifest = await (await fetch(document.querySelector('link[rel="manifest"]').href)).json();
        return {
          icon: [bitmap.width, bitmap.height, Math.min(...corners)],
          capable: [meta('apple-mobile-web-app-capable'), meta('mobile-web-app-capable')],
          statusBar: meta('apple-mobile-web-app-status-bar-style'),
          viewportFit: /viewport-fit=cover/.test(meta('viewport')),
          display: manifest.display,
          videos: Array.from(document.querySelectorAll('video')).map((v) => [v.playsInline, v.muted]),
        };`);
      assert.deepEqual(page, {
        icon: [180, 180, 255], // opaque: a home screen shows transparency as black
        capable: ['yes', 'yes'],
        statusBar: 'black-translucent',
        viewportFit: true,
        display: 'fullscreen',
        videos: [[true, true]],
      });
    }));

  test('the camera icon starts the mock camera; its moving picture wipes ice, and it crackles', () =>
    withGame({}, async (game) => {
      const { session } = game;
      assert.equal(await session.execute('return typeof MediaStreamTrackProcessor'), 'undefined');
      const start = await shot(game, 'camera-start');
      await tapTool(game, 'cameraIcon');
      await waitForAttribute(game, 'data-camera', 'on');
      await waitFor('the sound worklet', () => session.execute('return globalThis.frostpaneTest.sound().running'));
      await session.execute('globalThis.frostpaneTest.meterSound(); globalThis.frostpaneTest.resetSoundPeak();');
      const frames = await session.execute('return globalThis.frostpaneTest.frames()');
      await waitFor('30 camera frames taken', async () =>
        await session.execute('return globalThis.frostpaneTest.frames()') >= frames + 30);
      await waitFor('some ice wiped', async () => Number(await attribute(game, 'data-cleaned')) > 0.01);
      await waitFor('a crackle', () => session.execute('return globalThis.frostpaneTest.sound().peak > 0.001'));
      const played = await shot(game, 'camera-wiping');
      // WebKit's test picture moves where its text and shapes change: there
      // the photo shows; most of the picture is still ice.
      assert.ok(photoPixels(played, PHOTO, ICE, WHOLE) > 2000, 'the photo shows where the picture moved');
      assert.ok(photoPixels(start, PHOTO, ICE, WHOLE) < 100, 'before, only ice');

      // The eye shows the camera's picture as the game has it: its colour
      // bars (which stand still in WebKit's test picture) as the browser
      // itself draws the camera, mirrored for the front camera.
      await showTools(game);
      await tapTool(game, 'eyeIcon');
      await waitForAttribute(game, 'data-view', 'camera');
      await waitForAttribute(game, 'data-scene', 'camera');
      const view = await shot(game, 'camera-view');
      const drawn = decodePng(Buffer.from((await session.execute(`
        const canvas = document.createElement('canvas');
        canvas.width = 640;
        canvas.height = 480;
        const g = canvas.getContext('2d');
        g.setTransform(-1, 0, 0, 1, 640, 0);
        g.drawImage(document.getElementById('camera'), 0, 0, 640, 480);
        return canvas.toDataURL('image/png');`)).split(',')[1], 'base64'));
      const bars = { x: 456, y: 316, width: 158, height: 16 };
      const difference = meanDifference(view, drawn, bars);
      assert.ok(difference < 8, `the colour bars differ by ${difference.toFixed(1)} from the browser's own`);
    }));

  for (const kind of ['pen', 'mouse']) {
    test(`a ${kind} stroke wipes its path with no camera`, () => withGame({}, async (game) => {
      await stroke(game, kind, 240);
      await waitForAttribute(game, 'data-scene', 'play');
      const wiped = await shot(game, `${kind}-stroke`);
      const band = { x: 100, y: 236, width: 440, height: 8 };
      const shown = photoPixels(wiped, PHOTO, ICE, band, false);
      assert.ok(shown > band.width * band.height * 0.9, `the path shows the photo (${shown} pixels)`);
      assert.equal(photoPixels(wiped, PHOTO, ICE, { x: 100, y: 60, width: 440, height: 40 }), 0);
      assert.equal(await visible(game, 'settingsIcon'), false, 'a stroke is no tap');
      assert.equal(await attribute(game, 'data-camera'), 'off');
      await waitForAttribute(game, 'data-cleaned', '0.000', 20_000); // the ice grows back
    }));
  }

  test('the settings panel; a changed freezing speed survives a reload, a bad value falls back', () =>
    withGame({}, async (game) => {
      const { session } = game;
      await openSettings(game);
      assert.equal(await session.execute('return document.getElementById("freezingSlider").value'), '10');
      await shot(game, 'settings-640x480');
      await session.execute('document.getElementById("freezingSlider").value = "42"');
      await tapCenter(game, 'okButton');
      await waitForAttribute(game, 'data-panel', 'none');
      assert.equal(await session.execute('return localStorage.getItem("game/freezingSpeed")'), '42');
      await session.execute('localStorage.setItem("game/cameraSensitivity", "very")');
      await session.refresh();
      await ready(game);
      await openSettings(game);
      assert.equal(await session.execute('return document.getElementById("freezingSlider").value'), '42');
      assert.equal(await session.execute('return document.getElementById("sensitivitySlider").value'),
        '249'); // the default, 20
    }));

  test('a parent\'s photo added through the file input shows, and is still there after a reload', () =>
    withGame({}, async (game) => {
      const { session } = game;
      const path = join(files, 'garden.png');
      writeFileSync(path, solidPng(800, 600, [0x10, 0xc0, 0x10]));
      await openSettings(game);
      await session.sendKeys('#photoFiles', path);
      await waitForAttribute(game, 'data-photos', '1', 30_000);
      await waitForAttribute(game, 'data-photo-work', 'idle');
      assert.equal(await visible(game, 'notice'), false, 'no note: the photo was kept');
      await tapCenter(game, 'okButton');
      await waitForAttribute(game, 'data-panel', 'none');
      await expectLastPhoto(game, 7, 'green', 'photo-added');
      await session.refresh();
      await ready(game);
      await waitForAttribute(game, 'data-photos', '1');
      await expectLastPhoto(game, 7, 'green', 'photo-after-reload');
    }));

  test('a refused camera gives its message, and strokes still play', async () => {
    webkit.init.script = `MediaDevices.prototype.getUserMedia = function () {
      return Promise.reject(new DOMException('refused by the test', 'NotAllowedError'));
    };`;
    await withGame({ origin: webkit.init.origin }, async (game) => {
      await tapTool(game, 'cameraIcon');
      await waitFor('the notice', () => visible(game, 'notice'));
      assert.match(await game.session.execute('return document.getElementById("notice").textContent'),
        /The camera may not be used here/);
      assert.equal(await attribute(game, 'data-camera'), 'off');
      assert.equal(await attribute(game, 'data-camera-problem'), 'denied');
      await shot(game, 'camera-refused');
      await stroke(game, 'mouse', 300);
      await waitForAttribute(game, 'data-scene', 'play');
      assert.ok(photoPixels(await shot(game, 'refused-stroke'), PHOTO, ICE, { x: 100, y: 296, width: 440, height: 8 },
        false) > 440 * 8 * 0.9);
    });
  });

  // A double tap asks for full screen. iPad Safari has element full
  // screen; iPhone Safari has none at all, and there the double tap must
  // leave the game as it was.
  const DOUBLE_TAPS = [
    { name: 'with element full screen (an iPad) a double tap switches it on', remove: false, fullScreen: true },
    { name: 'without element full screen (an iPhone) a double tap harms nothing', remove: true, fullScreen: false },
  ];
  for (const { name, remove, fullScreen } of DOUBLE_TAPS) {
    test(name, async () => {
      webkit.init.script = `
        globalThis.pageErrors = [];
        addEventListener('error', (event) => pageErrors.push(String(event.message)));
        addEventListener('unhandledrejection', (event) => pageErrors.push(String(event.reason)));
        if (${remove}) {
          for (const name of ['requestFullscreen', 'webkitRequestFullscreen', 'webkitRequestFullScreen'])
            delete Element.prototype[name];
        }`;
      await withGame({ origin: webkit.init.origin }, async (game) => {
        const { session } = game;
        assert.equal(await session.execute('return typeof document.documentElement.requestFullscreen'),
          remove ? 'undefined' : 'function');
        await session.pointer('mouse', [{ type: 'pointerMove', x: 100, y: 400 }, { type: 'pointerDown' },
          { type: 'pointerUp' }, { type: 'pointerDown' }, { type: 'pointerUp' }]);
        if (fullScreen)
          await waitFor('full screen', () => session.execute('return document.fullscreenElement !== null'));
        else
          await waitFor('the tools', () => visible(game, 'settingsIcon'));
        assert.equal(await session.execute('return document.fullscreenElement !== null'), fullScreen);
        assert.deepEqual(await session.execute('return globalThis.pageErrors'), []);
        assert.equal(await attribute(game, 'data-state'), 'ready');
        await stroke(game, 'pen', 300);
        await waitForAttribute(game, 'data-scene', 'play');
      });
    });
  }

  test('offline: a reload with the server stopped still plays', async () => {
    const server = await startPageServer();
    try {
      await withGame({ origin: server.origin }, async (game) => {
        const { session } = game;
        await session.evaluate(`
          await navigator.serviceWorker.ready;
          if (!navigator.serviceWorker.controller)
            await new Promise((resolve) => navigator.serviceWorker.addEventListener('controllerchange', resolve,
              { once: true }));`);
        server.process.kill('SIGINT');
        await waitFor('the server stopped', () => fetch(`${server.origin}/`).then(() => false, () => true));
        await session.refresh();
        await ready(game);
        await stroke(game, 'mouse', 240);
        await waitForAttribute(game, 'data-scene', 'play');
        assert.ok(Number(await attribute(game, 'data-cleaned')) > 0);
        await shot(game, 'offline-stroke');
      });
    } finally {
      server.process.kill('SIGKILL');
    }
  });

  test('the page\'s policy: no request leaves its origin, nothing is refused', async () => {
    webkit.init.script = `
      globalThis.violations = [];
      document.addEventListener('securitypolicyviolation', (event) =>
        violations.push(event.violatedDirective + ' ' + event.blockedURI));`;
    const response = await fetch(`${webkit.init.origin}/`);
    const policy = response.headers.get('content-security-policy');
    assert.match(policy, /script-src 'self' 'wasm-unsafe-eval'(;|$)/);
    assert.doesNotMatch(policy, /unsafe-inline|https?:/);
    await withGame({ origin: webkit.init.origin }, async (game) => {
      const { session } = game;
      await tapTool(game, 'cameraIcon');
      await waitForAttribute(game, 'data-camera', 'on');
      await waitFor('the sound worklet', () => session.execute('return globalThis.frostpaneTest.sound().running'));
      await showTools(game);
      await tapTool(game, 'nextPictureIcon');
      await waitForAttribute(game, 'data-shown', '2');
      const requests = await session.execute(
        'return performance.getEntriesByType("resource").map((e) => e.name).concat(location.href)');
      assert.ok(requests.length > 10, `${requests.length} requests`);
      assert.deepEqual(requests.filter((url) => !url.startsWith(`${game.origin}/`) && !/^(blob|data):/.test(url)),
        []);
      assert.ok(requests.some((url) => url.endsWith('/module/frostpane.wasm')));
      assert.deepEqual(await session.execute('return globalThis.violations'), []);
    });
  });
});

