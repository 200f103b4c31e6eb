// The yardstick of tools/measure_load_web.sh: a page that only shows the
// camera, asked for as the game asks for it.
const video = document.getElementById('camera');
globalThis.startCamera = async () => {
  video.srcObject = await navigator.mediaDevices.getUserMedia({
    video: { facingMode: 'user', width: { ideal: 640 }, height: { ideal: 480 } }, audio: false,
  });
  await video.play();
};
