// The yardsticks of tools/measure_load_web.sh, asked for the camera as the
// game asks for it:
// - startCamera(): a page that only shows the camera;
// - startCamera({ copy: true }): a page that does the least any page must do
//   that reads each camera frame and draws a picture of its own, the way the
//   game does it: each frame read from the track (MediaStreamTrackProcessor,
//   no video element), copied as RGBA, and drawn into a desynchronized
//   canvas in the video's place. No game, no sound.
const video = document.getElementById('camera');
const canvas = document.getElementById('copy');

async function copyEachFrame(track) {
  const g = canvas.getContext('2d', { alpha: false, desynchronized: true });
  const reader = new MediaStreamTrackProcessor({ track }).readable.getReader();
  let bytes = null;
  for (;;) {
    const { value: frame, done } = await reader.read();
    if (done)
      return;
    try {
      const { width, height } = frame.visibleRect;
      if (canvas.width !== width || canvas.height !== height) {
        canvas.width = width;
        canvas.height = height;
        bytes = new Uint8ClampedArray(width * height * 4);
      }
      await frame.copyTo(bytes, { format: 'RGBA', layout: [{ offset: 0, stride: width * 4 }] });
      g.putImageData(new ImageData(bytes, width, height), 0, 0);
    } finally {
      frame.close();
    }
  }
}

globalThis.startCamera = async ({ copy = false } = {}) => {
  const stream = await navigator.mediaDevices.getUserMedia({
    video: { facingMode: 'user', width: { ideal: 640 }, height: { ideal: 480 } }, audio: false,
  });
  if (copy) {
    document.body.classList.add('copying');
    copyEachFrame(stream.getVideoTracks()[0]);
    return;
  }
  video.srcObject = stream;
  await video.play();
};
