// Play: the ball on the fake camera, the mouse and a finger wipe the ice, the
// bar follows, and the ice grows back.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { expect, test } from '@playwright/test';
import { changedPixels, decodePng, meanDifference, photoPixels, pixel } from '../support/png.js';
import { PROJECT_DIR } from '../support/site.js';
import { expectOutOfSight, meterSound, openGame, screenshot, tapTool } from './helpers.js';

const PHOTO = decodePng(readFileSync(join(PROJECT_DIR, 'assets', 'images', 'frostpane_001.png')));
const ICE = decodePng(readFileSync(join(PROJECT_DIR, 'assets', 'images', 'frostpane_001_ice.png')));
const WHOLE = { x: 0, y: 0, width: 640, height: 480 };

// The page's own account of what it drew last.
function shown(page) {
  return page.evaluate(() => {
    const s = globalThis.frostpaneTest.scene();
    return { bar: s.bar, barColor: s.barColor, cleaned: s.cleanedFraction };
  });
}

function cleaned(page) {
  return page.evaluate(() => Number(document.getElementById('game').dataset.cleaned));
}

test('a tap starts the camera and the ball wipes its path; the bar grows', async ({ page }) => {
  await openGame(page);
  const start = await screenshot(page, 'play-start');
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await meterSound(page);
  await expect.poll(() => cleaned(page), { timeout: 15_000 }).toBeGreaterThan(0.01);
  // The ice the ball wipes crackles.
  await expect.poll(() => page.evaluate(() => globalThis.frostpaneTest.sound().peak)).toBeGreaterThan(0.001);
  const played = await screenshot(page, 'ball-wiped');
  // The ball's trail shows the photo; most of the picture is still ice.
  expect(photoPixels(played, PHOTO, ICE, WHOLE)).toBeGreaterThan(2000);
  expect(changedPixels(start, played, WHOLE)).toBeLessThan(640 * 480 / 2);
  // The bar keeps changing while the ball plays: its left end, a pixel in,
  // is the bar whatever its width was when the screenshot was taken.
  const { bar, barColor } = await shown(page);
  expect(bar.width).toBeGreaterThan(2);
  const [r, g, b] = pixel(played, Math.trunc(bar.x + 1), Math.trunc(bar.y + bar.height / 2));
  expect(`#${[r, g, b].map((c) => c.toString(16).padStart(2, '0')).join('')}`).toBe(barColor);
});

test('a mouse stroke wipes its path with no camera, and the ice grows back', async ({ page }) => {
  await openGame(page);
  await page.mouse.move(60, 240);
  await page.mouse.down();
  for (let x = 60; x <= 580; x += 20)
    await page.mouse.move(x, 240);
  await page.mouse.up();
  await expect(page.locator('#game')).toHaveAttribute('data-scene', 'play');
  const wiped = await screenshot(page, 'mouse-stroke');
  // A band along the path shows the photo; far from it, the ice.
  const band = { x: 100, y: 236, width: 440, height: 8 };
  expect(photoPixels(wiped, PHOTO, ICE, band, false)).toBeGreaterThan(band.width * band.height * 0.9);
  expect(photoPixels(wiped, PHOTO, ICE, { x: 100, y: 60, width: 440, height: 40 })).toBe(0);
  // No tap: the tools stay hidden.
  await expectOutOfSight(page.locator('#settingsIcon'));
  // The ice closes again by itself, and then nothing more is stepped.
  await expect.poll(() => cleaned(page), { timeout: 15_000 }).toBe(0);
  await expect.poll(() => page.evaluate(() => globalThis.frostpaneTest.stepping())).toBe(false);
  const refrozen = await screenshot(page, 'mouse-stroke-refrozen');
  expect(meanDifference(refrozen, ICE, { x: 100, y: 200, width: 440, height: 80 })).toBeLessThan(3);
});

test.describe('on a tablet', () => {
  test.use({ viewport: { width: 820, height: 1180 }, deviceScaleFactor: 2, hasTouch: true, isMobile: true });

  test('a finger stroke wipes with no camera, at the screen\'s own pixels', async ({ page }) => {
    await openGame(page);
    const start = await screenshot(page, 'tablet-start');
    const cdp = await page.context().newCDPSession(page);
    const touch = (type, x, y) => cdp.send('Input.dispatchTouchEvent', {
      type, touchPoints: type === 'touchEnd' ? [] : [{ x, y, id: 1 }],
    });
    // Across the picture, which sits in the middle of the portrait screen.
    await touch('touchStart', 100, 590);
    for (let x = 130; x <= 720; x += 30)
      await touch('touchMove', x, 590);
    await touch('touchEnd');
    await expect(page.locator('#game')).toHaveAttribute('data-scene', 'play');
    const shot = await screenshot(page, 'tablet-finger-stroke');
    expect(shot.width).toBe(1640);
    // In device pixels: the stroke's band changed from the ice, a band of
    // the picture far above it did not.
    const picture = await page.evaluate(() => globalThis.frostpaneTest.scene().pictureRect);
    const band = { x: 300, y: 1176, width: 1000, height: 8 };
    const far = { x: 300, y: Math.trunc(picture.y) + 40, width: 1000, height: 8 };
    expect(changedPixels(start, shot, band)).toBeGreaterThan(band.width * band.height / 2);
    expect(changedPixels(start, shot, far)).toBe(0);
    // A stroke is no tap: the tools stay hidden.
    await expectOutOfSight(page.locator('#settingsIcon'));
  });
});
