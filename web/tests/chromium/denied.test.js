// The camera refused: the page says so kindly and play goes on.
import { expect, test } from '@playwright/test';
import { openGame, screenshot, showTools, tapTool } from './helpers.js';

test('a refused camera gives a message, the icon stays off and the tools still work', async ({ page }) => {
  await openGame(page);
  await tapTool(page, '#cameraIcon');
  await expect(page.locator('#notice')).toBeVisible();
  await expect(page.locator('#notice')).toContainText('The camera may not be used here');
  await expect(page.locator('#game')).toHaveAttribute('data-camera', 'off');
  await expect(page.locator('#cameraIcon img')).toHaveAttribute('src', 'images/camera_off.png');
  await screenshot(page, 'camera-denied');
  await showTools(page);
  await expect(page.locator('#notice')).toBeHidden();
  await tapTool(page, '#nextPictureIcon');
  await expect(page.locator('#game')).toHaveAttribute('data-picture', '2');
});
