// A camera the page gets from getUserMedia, for tests that need to stop its
// frames or its starts: a canvas's captured stream, drawn every 33 ms in a
// new colour while `globalThis.silent(its number)` is false. Cameras are
// numbered from 1 as the page asks for them (`globalThis.cameraOpens`); from
// number `globalThis.refuseFrom` on, none can start.
//
// Runs in the page before its scripts (Playwright's addInitScript, Puppeteer's
// evaluateOnNewDocument), so it holds everything it needs. `captureRate` is
// captureStream()'s: 0 sends a frame at each requestFrame() (Chromium); a
// rate sends changed frames at it (Firefox shows a video element one frame
// only of a rate-0 stream).
export function madeUpCamera(captureRate) {
  globalThis.cameraOpens = 0;
  globalThis.silent = () => false;
  globalThis.refuseFrom = Infinity;
  navigator.mediaDevices.getUserMedia = async () => {
    const number = ++globalThis.cameraOpens;
    if (number >= globalThis.refuseFrom)
      throw new DOMException('the camera is gone', 'NotReadableError');
    const canvas = document.createElement('canvas');
    canvas.width = 640;
    canvas.height = 480;
    const g = canvas.getContext('2d');
    const stream = canvas.captureStream(captureRate);
    const track = stream.getVideoTracks()[0];
    let n = 0;
    const timer = setInterval(() => {
      if (track.readyState === 'ended') {
        clearInterval(timer);
        return;
      }
      if (globalThis.silent(number))
        return;
      g.fillStyle = `hsl(${(n++ * 47) % 360} 70% 50%)`;
      g.fillRect(0, 0, 640, 480);
      if (captureRate === 0)
        track.requestFrame();
    }, 33);
    return stream;
  };
}
