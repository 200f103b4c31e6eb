// The camera as a browser has it: getUserMedia with the front ("user") or
// back ("environment") camera. It tells the page what happened through
// events, hands it each frame, and never decides about the game.
//   'change'  the camera started or stopped (see `active`)
//   'problem' detail: 'denied' | 'none' | 'busy' | 'ended', for the page's
//             message
// Each frame goes to `onFrame(source)`, one at a time: a VideoFrame where the
// browser reads a track's frames itself (MediaStreamTrackProcessor), else the
// <video> playing the camera, at each new frame. The first way spares the
// browser a video element that plays the camera for nobody to see: on
// Chromium that halves what reading the camera costs
// (tools/measure_load_web.sh). `frames` counts the frames taken so far.
// A camera that ends by itself (unplugged, taken by the system) is noticed
// from its track's 'ended' event, and by a look at the track every second for
// browsers that do not send it. While the page is hidden the camera is
// stopped, so its light goes off; it starts again when the page is shown if
// it was playing.

import { recall, remember } from './storage.js';

const CHECK_MILLISECONDS = 1000;
// The camera chosen by the switch where the cameras say nothing of the way
// they face (a laptop's own and a USB webcam): its deviceId.
const CHOSEN_DEVICE_KEY = 'camera/device';

export class Camera extends EventTarget {
  constructor(video) {
    super();
    this.video = video;
    this.stream = null;
    this.back = false;
    this.resolution = null; // { width, height, frameRate } or null: 640 x 480
    this.resumeWhenShown = false;
    this.checkTimer = 0;
    this.starting = null;
    this.onFrame = async () => {};
    this.device = recall(CHOSEN_DEVICE_KEY) ?? ''; // '' for the one facing the chosen way
    this.frames = 0;
    document.addEventListener('visibilitychange', () => this.visibilityChanged());
  }

  get active() {
    return this.stream !== null;
  }

  get track() {
    return this.stream?.getVideoTracks()[0] ?? null;
  }

  // The id of the camera in use ('' before one ran).
  get deviceId() {
    return this.track?.getSettings().deviceId ?? '';
  }

  // The ranges the running camera offers, or null.
  capabilities() {
    const track = this.track;
    if (!track)
      return null;
    if (typeof track.getCapabilities === 'function') {
      const c = track.getCapabilities();
      if (c.width && c.height)
        return c;
    }
    // A browser that reports no ranges: the size it runs at is the one known.
    const s = track.getSettings();
    return { width: { min: s.width, max: s.width }, height: { min: s.height, max: s.height },
      frameRate: { max: s.frameRate ?? 0 } };
  }

  // How many cameras the browser lists.
  async count() {
    return (await this.devices()).length;
  }

  // The cameras the browser lists (names and ids only after permission).
  async devices() {
    if (!navigator.mediaDevices?.enumerateDevices)
      return [];
    const devices = await navigator.mediaDevices.enumerateDevices();
    return devices.filter((d) => d.kind === 'videoinput');
  }

  // Whether the cameras say which way they face: a phone's do, and there
  // the switch turns between front and back.
  async facingKnown() {
    if (this.track?.getSettings().facingMode)
      return true;
    const devices = await this.devices().catch(() => []);
    return devices.some((d) => (d.getCapabilities?.().facingMode ?? []).length > 0);
  }

  // The next camera after the one in use, by deviceId, remembered for the
  // next visit; false when there is no other.
  async nextDevice() {
    const ids = (await this.devices().catch(() => [])).map((d) => d.deviceId).filter((id) => id);
    if (ids.length < 2)
      return false;
    const now = ids.indexOf(this.deviceId || this.device);
    this.device = ids[(now + 1) % ids.length];
    remember(CHOSEN_DEVICE_KEY, this.device);
    return true;
  }

  constraints() {
    const r = this.resolution ?? { width: 640, height: 480 };
    // The chosen device where one was chosen; a browser that no longer has
    // it takes another.
    const video = {
      ...(this.device ? { deviceId: { ideal: this.device } } : { facingMode: this.back ? 'environment' : 'user' }),
      width: { ideal: r.width },
      height: { ideal: r.height },
    };
    if (r.frameRate)
      video.frameRate = { ideal: r.frameRate };
    return { video, audio: false };
  }

  // Starts the camera; true when it runs. A failure is reported as a
  // 'problem' event and leaves the camera off.
  async start() {
    if (this.stream)
      return true;
    if (this.starting)
      return this.starting;
    this.starting = this.open().finally(() => { this.starting = null; });
    return this.starting;
  }

  async open() {
    if (!navigator.mediaDevices?.getUserMedia) {
      this.problem('none');
      return false;
    }
    let stream;
    try {
      stream = await navigator.mediaDevices.getUserMedia(this.constraints());
    } catch (error) {
      this.problem(kindOf(error));
      return false;
    }
    // Hidden while it was asked for: not now.
    if (document.hidden) {
      stopTracks(stream);
      this.resumeWhenShown = true;
      return false;
    }
    this.stream = stream;
    const track = this.track;
    track.addEventListener('ended', () => this.ended(stream));
    this.checkTimer = setInterval(() => {
      if (track.readyState === 'ended')
        this.ended(stream);
    }, CHECK_MILLISECONDS);
    this.dispatchEvent(new Event('change'));
    if (typeof MediaStreamTrackProcessor === 'function')
      this.readFrames(stream);
    else
      await this.playFrames(stream);
    return true;
  }

  // Reads the track's frames straight from the browser while `stream` is
  // the one open.
  async readFrames(stream) {
    let reader;
    try {
      reader = new MediaStreamTrackProcessor({ track: stream.getVideoTracks()[0] }).readable.getReader();
    } catch {
      await this.playFrames(stream);
      return;
    }
    while (stream === this.stream) {
      let read;
      try {
        read = await reader.read();
      } catch {
        break; // the track ended; its 'ended' tells the page
      }
      if (read.done)
        break;
      const frame = read.value;
      try {
        if (stream === this.stream)
          await this.handOver(frame);
      } finally {
        frame.close();
      }
    }
    reader.cancel().catch(() => {});
  }

  // Plays `stream` in the video element and hands the element over at each
  // new frame, while `stream` is the one open.
  async playFrames(stream) {
    const video = this.video;
    video.srcObject = stream;
    const waitForFrame = () => {
      if (stream !== this.stream)
        return;
      const next = () => {
        if (stream === this.stream)
          this.handOver(video).finally(waitForFrame);
      };
      if (video.requestVideoFrameCallback)
        video.requestVideoFrameCallback(next);
      else
        requestAnimationFrame(next);
    };
    waitForFrame();
    try {
      await video.play();
    } catch {
      // Autoplay of a muted video is always allowed; a failure here only
      // means no frame comes yet.
    }
  }

  async handOver(source) {
    try {
      await this.onFrame(source);
    } catch (error) {
      console.warn('frostpane: a camera frame was not taken', error);
    }
    ++this.frames;
  }


  stop() {
    this.resumeWhenShown = false;
    this.close();
  }

  close() {
    if (!this.stream)
      return;
    clearInterval(this.checkTimer);
    stopTracks(this.stream);
    this.stream = null;
    this.video.srcObject = null;
    this.dispatchEvent(new Event('change'));
  }

  // Stopped and started again with the current side and resolution, if it
  // was running.
  async restart() {
    if (!this.stream)
      return false;
    this.close();
    return this.start();
  }

  ended(stream) {
    if (stream !== this.stream)
      return;
    this.close();
    this.problem('ended');
  }

  problem(kind) {
    this.dispatchEvent(new CustomEvent('problem', { detail: kind }));
  }

  visibilityChanged() {
    if (document.hidden) {
      if (this.stream) {
        this.resumeWhenShown = true;
        this.close();
      }
    } else if (this.resumeWhenShown) {
      this.resumeWhenShown = false;
      this.start();
    }
  }
}

function stopTracks(stream) {
  for (const track of stream.getTracks())
    track.stop();
}

function kindOf(error) {
  switch (error?.name) {
    case 'NotAllowedError':
    case 'SecurityError':
      return 'denied';
    case 'NotReadableError':
    case 'AbortError':
      return 'busy';
    default:
      return 'none'; // NotFoundError, OverconstrainedError and the like
  }
}
