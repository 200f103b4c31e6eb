// The yardsticks of tools/measure_load_web.sh, asked for the camera as the
// game asks for it:
// - startCamera(): a page that only shows the camera;
// - startCamera({ copy: true }): a page that does the least any page must do
//   that reads each camera frame and draws a picture of its own: it copies
//   each frame as RGBA (as the game does) and draws those pixels into a
//   canvas in the video's place, the video itself hidden as the game hides
//   it. No game, no sound.
const video = document.getElementById('camera');
const canvas = document.getElementById('copy');

function copyEachFrame() {
  const g = canvas.getContext('2d', { alpha: false });
  let bytes = null;
  const next = async () => {
    const frame = new VideoFrame(video);
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
    video.requestVideoFrameCallback(next);
  };
  video.requestVideoFrameCallback(next);
}

globalThis.startCamera = async ({ copy = false } = {}) => {
  video.srcObject = await navigator.mediaDevices.getUserMedia({
    video: { facingMode: 'user', width: { ideal: 640 }, height: { ideal: 480 } }, audio: false,
  });
  await video.play();
  if (copy) {
    document.body.classList.add('copying');
    copyEachFrame();
  }
};
