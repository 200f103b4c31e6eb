// Browser tests of the browser edition in Debian's Chromium, headless, with
// a fake camera that plays a clip made at test time. The site must be built
// first (build-wasm/site, or FROSTPANE_SITE); Playwright starts the project's
// own small server for it and stops it afterwards.
import { execFileSync } from 'node:child_process';
import { dirname } from 'node:path';
import { fileURLToPath } from 'node:url';
import { defineConfig } from '@playwright/test';
import { CLIP_DIR, OUTPUT_DIR, SITE_DIR } from './tests/support/site.js';
import { clipPath } from './tests/support/clips.js';

// A port of this run's own, so that two runs on one machine do not meet;
// Playwright's workers inherit it from the runner that chose it.
process.env.FROSTPANE_TEST_PORT ??= String(20000 + (process.pid % 20000));
const port = Number(process.env.FROSTPANE_TEST_PORT);
const chromium = process.env.FROSTPANE_CHROMIUM ?? '/usr/bin/chromium';
const fakeCamera = ['--use-fake-device-for-media-stream'];
// A school's server on the network, as the browser meets it: a name of its
// own that Chromium resolves to this machine, reached over plain http.
const SCHOOL_HOST = 'school.test';
// A server that answers only the Host names it is told is told this one too.
const here = dirname(fileURLToPath(import.meta.url));
const serverHosts = execFileSync('python3', ['serve.py', '--help'], { cwd: here, encoding: 'utf8' }).includes('--host')
  ? ` --host ${SCHOOL_HOST}` : '';

export default defineConfig({
  testDir: './tests/chromium',
  outputDir: `${OUTPUT_DIR}/playwright`,
  globalSetup: './tests/chromium/global_setup.js',
  fullyParallel: false,
  workers: 1,
  retries: 0,
  forbidOnly: true,
  timeout: 60_000,
  expect: { timeout: 10_000 },
  reporter: [['list']],
  use: {
    baseURL: `http://127.0.0.1:${port}/`,
    viewport: { width: 640, height: 480 },
    serviceWorkers: 'allow',
    trace: 'off',
  },
  webServer: {
    command: `python3 serve.py --port ${port}${serverHosts} "${SITE_DIR}"`,
    url: `http://127.0.0.1:${port}/`,
    reuseExistingServer: false,
    stdout: 'ignore',
    timeout: 20_000,
  },
  projects: [
    {
      // The camera allowed, showing the bouncing ball.
      name: 'chromium',
      testIgnore: /(denied|black|snow|wide_camera|school)\.test\.js/,
      use: {
        launchOptions: {
          executablePath: chromium,
          args: [...fakeCamera, '--use-fake-ui-for-media-stream',
            `--use-file-for-fake-video-capture=${clipPath(CLIP_DIR, 'ball')}`],
        },
      },
    },
    {
      // The camera refused, as a parent who says no.
      name: 'chromium-denied',
      testMatch: /denied\.test\.js/,
      use: {
        launchOptions: {
          executablePath: chromium,
          args: [...fakeCamera, '--deny-permission-prompts'],
        },
      },
    },
    {
      // A camera that sees nothing move.
      name: 'chromium-black',
      testMatch: /black\.test\.js/,
      use: {
        launchOptions: {
          executablePath: chromium,
          args: [...fakeCamera, '--use-fake-ui-for-media-stream',
            `--use-file-for-fake-video-capture=${clipPath(CLIP_DIR, 'black')}`],
        },
      },
    },
    {
      // A camera that sees everything move.
      name: 'chromium-snow',
      testMatch: /snow\.test\.js/,
      use: {
        launchOptions: {
          executablePath: chromium,
          args: [...fakeCamera, '--use-fake-ui-for-media-stream',
            `--use-file-for-fake-video-capture=${clipPath(CLIP_DIR, 'snow')}`],
        },
      },
    },
    {
      // A 1280 x 720 camera, which the browser crops and scales to 640 x 480.
      name: 'chromium-720',
      testMatch: /wide_camera\.test\.js/,
      use: {
        launchOptions: {
          executablePath: chromium,
          args: [...fakeCamera, '--use-fake-ui-for-media-stream',
            `--use-file-for-fake-video-capture=${clipPath(CLIP_DIR, 'ball720')}`],
        },
      },
    },
    {
      // A school's server over plain http: no secure context.
      name: 'chromium-school',
      testMatch: /school\.test\.js/,
      use: {
        baseURL: `http://${SCHOOL_HOST}:${port}/`,
        launchOptions: {
          executablePath: chromium,
          args: [...fakeCamera, '--use-fake-ui-for-media-stream', `--host-resolver-rules=MAP ${SCHOOL_HOST} 127.0.0.1`],
        },
      },
    },
  ],
});
