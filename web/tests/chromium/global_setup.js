import { existsSync } from 'node:fs';
import { join } from 'node:path';
import { makeClips } from '../support/clips.js';
import { CLIP_DIR, SITE_DIR } from '../support/site.js';

export default function globalSetup() {
  if (!existsSync(join(SITE_DIR, 'index.html')))
    throw new Error(`no site in ${SITE_DIR}: build it first (./run.sh --web or ./test.sh)`);
  makeClips(CLIP_DIR, ['ball', 'black', 'snow', 'ball720']);
}
