// A camera full of snow wipes everything: the banner comes, with the chime.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { expect, test } from '@playwright/test';
import { decodePng } from '../support/png.js';
import { PROJECT_DIR } from '../support/site.js';
import { meterSound, openGame, screenshot, tapTool } from './helpers.js';

test('snow brings the banner, the full bar and the chime', async ({ page }) => {
  await openGame(page);
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await meterSound(page);
  await expect(page.locator('#game')).toHaveAttribute('data-banner', 'shown', { timeout: 20_000 });
  const shot = await screenshot(page, 'snow-banner');
  const { banner, cleaned } = await page.evaluate(() => {
    const s = globalThis.frostpaneTest.scene();
    return { banner: s.banner, cleaned: s.cleanedFraction };
  });
  expect(cleaned).toBeGreaterThan(0.95);
  // The banner's picture, scaled into its place, is what shows there.
  const picture = decodePng(readFileSync(join(PROJECT_DIR, 'assets', 'images', 'congratulations.png')));
  const opaqueRow = Math.trunc(picture.height / 2);
  const y = Math.trunc(banner.y + (opaqueRow + 0.5) * banner.height / picture.height);
  let sum = 0;
  let count = 0;
  for (let x = Math.trunc(banner.x) + 4; x < banner.x + banner.width - 4; x += 8) {
    const source = Math.trunc((x - banner.x) * picture.width / banner.width);
    const i = (opaqueRow * picture.width + source) * 4;
    if (picture.rgba[i + 3] < 255)
      continue;
    const j = (y * shot.width + x) * 4;
    sum += Math.abs(shot.rgba[j] - picture.rgba[i]) + Math.abs(shot.rgba[j + 1] - picture.rgba[i + 1])
      + Math.abs(shot.rgba[j + 2] - picture.rgba[i + 2]);
    ++count;
  }
  expect(count).toBeGreaterThan(10);
  expect(sum / count / 3).toBeLessThan(40);
  // The chime rang when the banner came.
  await expect.poll(() => page.evaluate(() => globalThis.frostpaneTest.sound().peak)).toBeGreaterThan(0.05);
});
