// What the page does with the camera's frames when things go wrong: every
// VideoFrame closed whatever happens to it, and a camera that stops sending
// frames started again. The camera is made up in the page, so that the
// test decides when frames come.
import { expect, test } from '@playwright/test';
import { cameraFrames, openGame, tapTool } from './helpers.js';
import { madeUpCamera } from '../support/made_up_camera.js';

// A MediaStreamTrackProcessor whose frames the test makes and counts: drawn
// from a canvas in bursts of `burst`, each burst queued in the stream at once
// (as a browser that buffers frames does), while the track is live. The
// frames not closed yet are in `globalThis.openFrames`.
function madeUpProcessor() {
  globalThis.openFrames = new Set();
  globalThis.framesMade = 0;
  globalThis.burst = 1;
  globalThis.afterBurst = () => {};
  const close = VideoFrame.prototype.close;
  VideoFrame.prototype.close = function closeAndCount() {
    globalThis.openFrames.delete(this);
    return close.call(this);
  };
  const canvas = new OffscreenCanvas(640, 480);
  const g = canvas.getContext('2d');
  globalThis.MediaStreamTrackProcessor = class {
    constructor({ track }) {
      let timer = 0;
      this.readable = new ReadableStream({
        start(controller) {
          timer = setInterval(() => {
            if (track.readyState === 'ended') {
              clearInterval(timer);
              controller.close();
              return;
            }
            for (let i = 0; i < globalThis.burst && controller.desiredSize > 0; ++i) {
              g.fillStyle = `hsl(${(globalThis.framesMade * 47) % 360} 70% 50%)`;
              g.fillRect(0, 0, 640, 480);
              const frame = new VideoFrame(canvas, { timestamp: ++globalThis.framesMade * 33333 });
              globalThis.openFrames.add(frame);
              controller.enqueue(frame);
            }
            globalThis.afterBurst();
          }, 33);
        },
        cancel() {
          clearInterval(timer);
        },
      }, { highWaterMark: 4 });
    }
  };
}

async function startCamera(page) {
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await cameraFrames(page, 3);
}

// Every way a frame's life can end early, each closing all frames made.
const FRAME_CASES = [
  {
    name: 'stopped with frames still queued in the stream',
    async act(page) {
      await page.evaluate(() => {
        globalThis.burst = 4;
        // Right after a burst: four frames wait while the page reads one.
        globalThis.afterBurst = () => {
          globalThis.afterBurst = () => {};
          globalThis.frostpaneTest.stopCamera();
        };
      });
    },
  },
  {
    name: 'stopped while a frame is being copied',
    async act(page) {
      await page.evaluate(() => {
        globalThis.copying = 0;
        // A copy that never finishes, as a hung GPU readback would.
        VideoFrame.prototype.copyTo = function hang() {
          ++globalThis.copying;
          return new Promise(() => {});
        };
      });
      await page.waitForFunction(() => globalThis.copying > 0);
      await page.evaluate(() => globalThis.frostpaneTest.stopCamera());
    },
  },
  {
    name: 'frames the page could not copy',
    async act(page) {
      await page.evaluate(() => {
        VideoFrame.prototype.copyTo = () => Promise.reject(new DOMException('no copy', 'OperationError'));
      });
      await cameraFrames(page, 5);
      await page.evaluate(() => globalThis.frostpaneTest.stopCamera());
    },
  },
];

for (const { name, act } of FRAME_CASES) {
  test(`every camera frame is closed: ${name}`, async ({ page }) => {
    await page.addInitScript(madeUpProcessor);
    await openGame(page);
    await startCamera(page);
    await act(page);
    await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off');
    await expect.poll(() => page.evaluate(() => globalThis.openFrames.size)).toBe(0);
    expect(await page.evaluate(() => globalThis.framesMade)).toBeGreaterThan(3);
  });
}

test('a camera that stops sending frames is started again and plays on', async ({ page }) => {
  await page.addInitScript(madeUpCamera, 0);
  await openGame(page);
  await startCamera(page);
  const before = await page.evaluate(() => globalThis.frostpaneTest.frames());
  await page.evaluate(() => { globalThis.silent = (number) => number === 1; });
  await page.waitForFunction(() => globalThis.cameraOpens === 2, null, { timeout: 15_000 });
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await cameraFrames(page, 10);
  expect(await page.evaluate(() => globalThis.frostpaneTest.frames())).toBeGreaterThanOrEqual(before + 10);
  await expect(page.locator('#notice')).toBeHidden();
  expect(await page.evaluate(() => globalThis.cameraOpens)).toBe(2);
});

// After the one restart, the camera is given up as one that went away.
const GIVE_UP_CASES = [
  { name: 'the camera started again sends nothing either', setup: () => { globalThis.silent = () => true; } },
  {
    name: 'the camera cannot be started again',
    setup: () => {
      globalThis.refuseFrom = 2;
      globalThis.silent = () => true;
    },
  },
];

for (const { name, setup } of GIVE_UP_CASES) {
  test(`a silent camera is reported as gone when ${name}`, async ({ page }) => {
    await page.addInitScript(madeUpCamera, 0);
    await openGame(page);
    await startCamera(page);
    await page.evaluate(setup);
    await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off', { timeout: 30_000 });
    await expect(page.locator('#notice')).toContainText('The camera went away');
    await expect(page.locator('#cameraIcon img')).toHaveAttribute('src', 'images/camera_off.png');
    expect(await page.evaluate(() => globalThis.cameraOpens)).toBe(2);
  });
}
