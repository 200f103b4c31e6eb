// The page served over plain http from a school's server: not a secure
// context, so the browser hides the camera and turns off the audio worklet
// and the service worker. The page says so, and how to serve it instead.
import { expect, test } from '@playwright/test';
import { openGame, screenshot, tapTool } from './helpers.js';

test('over plain http from a school server the page tells what needs https', async ({ page }) => {
  await openGame(page);
  expect(new URL(page.url()).hostname).toBe('school.test');
  expect(await page.evaluate(() => window.isSecureContext)).toBe(false);
  const notice = page.locator('#notice');
  await expect(notice).toBeVisible();
  await expect(notice).toContainText('https://');
  await expect(notice).toContainText('localhost');
  await screenshot(page, 'not-secure-640x480');

  // A tap on the camera: the same advice, not a missing camera.
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-camera-problem', 'none');
  await expect(notice).toBeVisible();
  await expect(notice).toContainText('https://');
  await expect(notice).not.toContainText('No camera was found');
});

test.describe('in German', () => {
  test.use({ locale: 'de-DE' });
  test('the advice is in the family\'s language', async ({ page }) => {
    await openGame(page);
    await expect(page.locator('#notice')).toContainText('nicht sicher');
    await expect(page.locator('#notice')).toContainText('https://');
  });
});
