// The fake camera's pictures, made at test time with GStreamer's test source
// (a few tens of megabytes each, so never kept in the repository). Chromium
// plays a clip in a loop as its camera.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';

const PATTERNS = { ball: 'ball', snow: 'snow', black: 'black' };

export function clipPath(directory, kind) {
  return join(directory, `${kind}.y4m`);
}

export function makeClips(directory, kinds = Object.keys(PATTERNS)) {
  mkdirSync(directory, { recursive: true });
  for (const kind of kinds) {
    const target = clipPath(directory, kind);
    if (existsSync(target))
      continue;
    execFileSync('gst-launch-1.0', ['-q', 'videotestsrc', `pattern=${PATTERNS[kind]}`, 'num-buffers=60', '!',
      'video/x-raw,format=I420,width=640,height=480,framerate=30/1', '!', 'y4menc', '!', 'filesink',
      `location=${target}`], { stdio: 'inherit' });
  }
}
