// Where the tests find the built site and the server that serves it.
import { dirname, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

const here = dirname(fileURLToPath(import.meta.url));
export const WEB_DIR = resolve(here, '..', '..');
export const PROJECT_DIR = resolve(WEB_DIR, '..');
export const SITE_DIR = process.env.FROSTPANE_SITE ?? resolve(PROJECT_DIR, 'build-wasm', 'site');
export const OUTPUT_DIR = process.env.FROSTPANE_TEST_OUTPUT ?? resolve(WEB_DIR, 'test-results');
export const CLIP_DIR = resolve(OUTPUT_DIR, 'clips');
export const SHOT_DIR = resolve(OUTPUT_DIR, 'screenshots');
