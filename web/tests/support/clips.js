// The fake camera's pictures, made at test time with GStreamer's test source
// (a few tens of megabytes each, so never kept in the repository). Chromium
// plays a clip in a loop as its camera.
import { execFileSync } from 'node:child_process';
import { existsSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';

// Each clip: the test source's pattern and the camera's size. `ball720` is a
// camera whose frames the browser crops and scales to the size asked for.
const CLIPS = {
  ball: { pattern: 'ball', width: 640, height: 480 },
  snow: { pattern: 'snow', width: 640, height: 480 },
  black: { pattern: 'black', width: 640, height: 480 },
  ball720: { pattern: 'ball', width: 1280, height: 720 },
};

export function clipPath(directory, kind) {
  return join(directory, `${kind}.y4m`);
}

export function makeClips(directory, kinds = Object.keys(CLIPS)) {
  mkdirSync(directory, { recursive: true });
  for (const kind of kinds) {
    const target = clipPath(directory, kind);
    if (existsSync(target))
      continue;
    const { pattern, width, height } = CLIPS[kind];
    execFileSync('gst-launch-1.0', ['-q', 'videotestsrc', `pattern=${pattern}`, 'num-buffers=60', '!',
      `video/x-raw,format=I420,width=${width},height=${height},framerate=30/1`, '!', 'y4menc', '!', 'filesink',
      `location=${target}`], { stdio: 'inherit' });
  }
}
