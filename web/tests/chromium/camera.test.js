// The camera, on Chromium's fake device playing the bouncing-ball clip.
import { expect, test } from '@playwright/test';
import { changedPixels } from '../support/png.js';
import { cameraFrames, openGame, screenshot, showTools, tap, tapTool } from './helpers.js';

const PICTURE = { x: 0, y: 0, width: 640, height: 480 };

async function startCamera(page) {
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await expect(page.locator('#cameraIcon img')).toHaveAttribute('src', 'images/camera_on.png');
}

test('a tap starts the camera; the eye shows its moving picture', async ({ page }) => {
  await openGame(page);
  await startCamera(page);
  const track = await page.evaluate(() => {
    const camera = globalThis.frostpaneTest.camera();
    return { width: camera.width, height: camera.height, state: camera.trackState };
  });
  expect(track).toEqual({ width: 640, height: 480, state: 'live' });

  await showTools(page);
  await tapTool(page, '#eyeIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-view', 'camera');
  await expect(page.locator('#eyeIcon img')).toHaveAttribute('src', 'images/view_man.png');
  await cameraFrames(page, 1);
  // Two looks a few frames apart: the ball has moved.
  const first = await screenshot(page, 'camera-view-1');
  await cameraFrames(page, 5);
  const second = await screenshot(page, 'camera-view-2');
  expect(changedPixels(first, second, PICTURE)).toBeGreaterThan(200);
  // Chromium copies its frames in the order asked for: past the frames
  // held against the canvas, the game still takes them by the copy.
  await cameraFrames(page, 70);
  expect(await page.evaluate(() => globalThis.frostpaneTest.frameCopies())).toBe(true);

  // A second tap on the camera icon stops it.
  await showTools(page);
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off');
  expect(await page.evaluate(() => globalThis.frostpaneTest.camera().open)).toBe(false);
});

test('a camera that goes away turns the icon off within 3 s; one tap starts it again', async ({ page }) => {
  await openGame(page);
  await startCamera(page);
  // As when the camera is unplugged: the track ends without the page's doing.
  await page.evaluate(() => globalThis.frostpaneTest.unplugCamera());
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off', { timeout: 3000 });
  await expect(page.locator('#cameraIcon img')).toHaveAttribute('src', 'images/camera_off.png');
  await expect(page.locator('#notice')).toContainText('The camera went away');
  await startCamera(page);
  await expect(page.locator('#notice')).toBeHidden();
});

test('the camera stops while the page is hidden and comes back when it is shown', async ({ page }) => {
  await openGame(page);
  await startCamera(page);
  // Headless Chromium keeps every tab visible (neither another tab in front
  // nor a minimized window hides it), so the page is told as the browser
  // would tell it.
  const setHidden = (hidden) => page.evaluate((h) => {
    Object.defineProperty(document, 'hidden', { configurable: true, get: () => h });
    document.dispatchEvent(new Event('visibilitychange'));
  }, hidden);
  await setHidden(true);
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off');
  expect(await page.evaluate(() => globalThis.frostpaneTest.camera().open)).toBe(false);
  await setHidden(false);
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');

  // A camera stopped by its icon stays stopped across hiding.
  await showTools(page);
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off');
  await setHidden(true);
  await setHidden(false);
  await expect(page.locator('#cameraIcon img')).toHaveAttribute('src', 'images/camera_off.png');
  expect(await page.evaluate(() => globalThis.frostpaneTest.camera().starting)).toBe(false);
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off');
});

test('the settings offer the resolutions the camera\'s track has', async ({ page }) => {
  await openGame(page);
  await startCamera(page);
  await showTools(page);
  await tapTool(page, '#settingsIcon');
  await expect(page.locator('#settingsPanel')).toBeVisible();
  const slider = page.locator('#resolutionSlider');
  await expect(slider).toBeEnabled();
  await expect(page.locator('#resolutionLabel')).toHaveText('Camera width = 640, height = 480');
  const max = Number(await slider.getAttribute('max'));
  expect(max).toBeGreaterThan(0);
  await screenshot(page, 'settings-camera-on');
  // The slider runs from small to large: its left end is the smallest size
  // the camera's ranges hold.
  await slider.fill('0');
  await expect(page.locator('#resolutionLabel')).toHaveText('Camera width = 320, height = 240');
  await tap(page, 20, 460); // cancel: a tap on the picture
  await expect(page.locator('#settingsPanel')).toBeHidden();
});

// A laptop with a USB webcam: two cameras that say nothing of the way they
// face, each handing out a canvas's frames of its own colour.
function twoUnnamedCameras() {
  const cameras = [{ deviceId: 'laptop', color: '#c02020' }, { deviceId: 'usb', color: '#2020c0' }];
  globalThis.openedCameras = [];
  navigator.mediaDevices.enumerateDevices = async () => cameras.map(({ deviceId }) => ({
    kind: 'videoinput', deviceId, groupId: deviceId, label: '', toJSON() { return this; },
  }));
  navigator.mediaDevices.getUserMedia = async ({ video }) => {
    const wanted = video.deviceId?.exact ?? video.deviceId?.ideal;
    const camera = cameras.find((c) => c.deviceId === wanted) ?? cameras[0];
    globalThis.openedCameras.push(camera.deviceId);
    const canvas = document.createElement('canvas');
    canvas.width = 640;
    canvas.height = 480;
    const g = canvas.getContext('2d');
    let frame = 0;
    const draw = () => {
      g.fillStyle = camera.color;
      g.fillRect(0, 0, 640, 480);
      g.fillStyle = '#fff';
      g.fillRect((frame++ * 8) % 600, 200, 40, 40);
    };
    draw();
    setInterval(draw, 40);
    const stream = canvas.captureStream(25);
    const track = stream.getVideoTracks()[0];
    const settings = track.getSettings.bind(track);
    track.getSettings = () => ({ ...settings(), deviceId: camera.deviceId, width: 640, height: 480 });
    return stream;
  };
}

test('with two cameras that do not say how they face, the switch steps to the other and remembers it',
  async ({ page }) => {
    await page.addInitScript(twoUnnamedCameras);
    await openGame(page);
    await startCamera(page);
    expect(await page.evaluate(() => globalThis.openedCameras)).toEqual(['laptop']);
    await showTools(page);
    await tapTool(page, '#switchCameraIcon');
    await expect.poll(() => page.evaluate(() => globalThis.frostpaneTest.camera().deviceId)).toBe('usb');
    await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
    // The mirroring stays as it was: only the camera changed.
    expect(await page.evaluate(() => globalThis.frostpaneTest.camera().back)).toBe(false);

    await page.reload();
    await expect(page.locator('#game')).toHaveAttribute('data-state', 'ready');
    await startCamera(page);
    expect(await page.evaluate(() => globalThis.openedCameras)).toEqual(['usb']);
    await showTools(page);
    await tapTool(page, '#switchCameraIcon');
    await expect.poll(() => page.evaluate(() => globalThis.frostpaneTest.camera().deviceId)).toBe('laptop');
  });
