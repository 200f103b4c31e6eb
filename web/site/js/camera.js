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
// browsers that do not send it. A camera that is on but sends no frame for
// STALL_MILLISECONDS (a hung driver, a frame that never came back) is started
// again once; if that one sends none either, or cannot start, it is reported
// as ended. While the page is hidden the camera is stopped, so its light goes
// off; it starts again when the page is shown if it was playing.
// Every VideoFrame read from the track is closed, whatever happens to it: a
// frame left to the garbage collector keeps one of the camera's few buffers,
// and once they are all held the camera sends nothing more.

import { recall, remember } from './storage.js';

const CHECK_MILLISECONDS = 1000;
// The camera chosen by the switch where the cameras say nothing of the way
// they face (a laptop's own and a USB webcam): its deviceId.
const CHOSEN_DEVICE_KEY = 'camera/device';
const STALL_MILLISECONDS = 3000;
// A camera's first frame may take longer: some wake slowly.
const FIRST_FRAME_MILLISECONDS = 10000;

export class Camera extends EventTarget {
  constructor(video) {
    super();
    this.video = video;
    this.stream = null;
    this.back = false;
    this.resolution = null; // { width, height, frameRate } or null: defaultResolution
    this.defaultResolution = null; // the module's, as the page sets it
    this.resumeWhenShown = false;
    this.checkTimer = 0;
    this.starting = null;
    /** @type {(source: VideoFrame | HTMLVideoElement) => Promise<void>} */
    this.onFrame = async () => {};
    this.device = recall(CHOSEN_DEVICE_KEY) ?? ''; // '' for the one facing the chosen way
    this.frames = 0;
    this.lastFrameAt = 0; // performance.now() of the last frame taken or handed over
    this.sentFrames = false; // whether the stream open sent any
    this.stallRestarts = 0; // restarts since the last frame, for a camera that sent none
    this.frame = null; // the VideoFrame being handed over, closed by close()
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
    const r = this.resolution ?? this.defaultResolution;
    // The chosen device where one was chosen; a browser that no longer has
    // it takes another.
    /** @type {MediaTrackConstraints} */
    const video = {
      ...(this.device ? { deviceId: { ideal: this.device } } : { facingMode: this.back ? 'environment' : 'user' }),
      ...(r ? { width: { ideal: r.width }, height: { ideal: r.height } } : {}),
    };
    if (r?.frameRate)
      video.frameRate = { ideal: r.frameRate };
    return { video, audio: false };
  }

  // Starts the camera; true when it runs. A failure is reported as a
  // 'problem' event (of kind `failure` if given) and leaves the camera off.
  async start(failure = null) {
    if (this.stream)
      return true;
    if (this.starting)
      return this.starting;
    this.starting = this.open(failure).finally(() => { this.starting = null; });
    return this.starting;
  }

  async open(failure) {
    if (!navigator.mediaDevices?.getUserMedia) {
      this.problem(failure ?? 'none');
      return false;
    }
    let stream;
    try {
      stream = await navigator.mediaDevices.getUserMedia(this.constraints());
    } catch (error) {
      this.problem(failure ?? kindOf(error));
      return false;
    }
    // Hidden while it was asked for: not now.
    if (document.hidden) {
      stopTracks(stream);
      this.resumeWhenShown = true;
      return false;
    }
    this.stream = stream;
    this.lastFrameAt = performance.now();
    this.sentFrames = false;
    const track = this.track;
    track.addEventListener('ended', () => this.ended(stream));
    this.checkTimer = setInterval(() => {
      if (track.readyState === 'ended')
        this.ended(stream);
      else if (performance.now() - this.lastFrameAt
               > (this.sentFrames ? STALL_MILLISECONDS : FIRST_FRAME_MILLISECONDS))
        this.stalled(stream);
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
        if (stream === this.stream) {
          this.frame = frame;
          await this.handOver(frame);
        }
      } finally {
        if (this.frame === frame)
          this.frame = null;
        frame.close();
      }
    }
    // The frames the stream still holds are read and closed (cancelling it
    // would drop them unclosed); its track is stopped, so it ends.
    for (;;) {
      let rest;
      try {
        rest = await reader.read();
      } catch {
        break;
      }
      if (rest.done)
        break;
      rest.value.close();
    }
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
    this.lastFrameAt = performance.now();
    this.sentFrames = true;
    this.stallRestarts = 0;
    try {
      await this.onFrame(source);
    } catch (error) {
      console.warn('frostpane: a camera frame was not taken', error);
    }
    this.lastFrameAt = performance.now();
    ++this.frames;
  }

  stop() {
    this.resumeWhenShown = false;
    this.stallRestarts = 0;
    this.close();
  }

  close() {
    if (!this.stream)
      return;
    clearInterval(this.checkTimer);
    // A frame still being handed over (a copy that does not finish) is
    // closed now, not when the copy gives up.
    this.frame?.close();
    this.frame = null;
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

  // `stream` is on but has sent no frame for a while: started again once,
  // as if it had been unplugged and plugged back; gone if that fails.
  stalled(stream) {
    if (stream !== this.stream)
      return;
    if (this.stallRestarts > 0) {
      this.stallRestarts = 0;
      this.ended(stream);
      return;
    }
    console.warn('frostpane: the camera sent no frames; starting it again');
    ++this.stallRestarts;
    this.close();
    this.start('ended').then((started) => {
      if (!started)
        this.stallRestarts = 0; // the next start is the parent's own
    });
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

// The kind of problem a getUserMedia error is; 'none' for the rest
// (NotFoundError, OverconstrainedError and the like).
const PROBLEM_KINDS = { NotAllowedError: 'denied', SecurityError: 'denied', NotReadableError: 'busy', AbortError: 'busy' };

function kindOf(error) {
  return PROBLEM_KINDS[error?.name] ?? 'none';
}
