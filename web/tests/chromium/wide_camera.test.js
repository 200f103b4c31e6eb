// A camera of another size than the one asked for: the browser crops and
// scales its frames, and the ball still wipes where it goes.
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { expect, test } from '@playwright/test';
import { decodePng, photoPixels } from '../support/png.js';
import { PROJECT_DIR } from '../support/site.js';
import { openGame, screenshot, tapTool } from './helpers.js';

const image = (name) => decodePng(readFileSync(join(PROJECT_DIR, 'assets', 'images', name)));

test('a 1280 x 720 camera\'s ball wipes its path too', async ({ page }) => {
  await openGame(page);
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'on');
  await expect.poll(() => page.evaluate(() => Number(document.getElementById('game').dataset.cleaned)),
    { timeout: 15_000 }).toBeGreaterThan(0.01);
  const played = await screenshot(page, 'wide-ball-wiped');
  const whole = { x: 0, y: 0, width: 640, height: 480 };
  expect(photoPixels(played, image('frostpane_001.png'), image('frostpane_001_ice.png'), whole))
    .toBeGreaterThan(2000);
});
