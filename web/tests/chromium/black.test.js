// A camera that sees nothing move (black) wipes nothing and makes no sound.
import { expect, test } from '@playwright/test';
import { changedPixels } from '../support/png.js';
import { cameraFrames, meterSound, openGame, screenshot, tapTool } from './helpers.js';

test('black wipes nothing and stays silent', async ({ page }) => {
  await openGame(page);
  const start = await screenshot(page, 'black-start');
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await cameraFrames(page, 10);
  await meterSound(page);
  // Sixty frames of black: the time passing is the point.
  await cameraFrames(page, 60);
  await expect(page.locator('#game')).toHaveAttribute('data-scene', 'play');
  expect(await page.evaluate(() => globalThis.frostpaneTest.scene().cleanedFraction)).toBe(0);
  const shot = await screenshot(page, 'black-played');
  // The picture is the ice it was (the camera icon above it turned on).
  expect(changedPixels(start, shot, { x: 0, y: 0, width: 640, height: 150 })).toBe(0);
  expect(changedPixels(start, shot, { x: 0, y: 230, width: 640, height: 250 })).toBe(0);
  expect(await page.evaluate(() => globalThis.frostpaneTest.sound().peak)).toBe(0);
});
