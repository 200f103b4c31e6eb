// The game's sound through Web Audio: an AudioWorklet runs the game's own
// synthesis (module/sound.wasm, built from sound/ and
// web/module/sound_bindings.cpp). This side only compiles the module, starts
// the audio on the first tap (browsers allow sound only after one) and posts
// what happens in the game; the worklet renders.
//
// After two seconds of silence (nothing wiped, Sound off) the audio sleeps:
// the context is suspended, so that neither the worklet nor the sound
// device costs anything while nothing is heard. The next message that could
// make a sound wakes it. Each such message carries a number; the worklet's
// report of silence names the last one it had, so a report that crossed a
// newer message on the way is ignored.

const WORKLET = new URL('./sound_worklet.js', import.meta.url);
const MODULE = new URL('../module/sound.wasm', import.meta.url);

export class Sound {
  constructor() {
    this.context = null;
    this.node = null;
    this.enabled = true;
    this.starting = null;
    this.moduleReady = this.compile();
    // What the worklet last measured: its output's peak over about 0.1 s;
    // the loudest such since resetPeak(); the blocks rendered so far.
    this.level = 0;
    this.peak = 0;
    this.blocks = 0;
    this.number = 0; // of the last message that could make a sound
    this.sleeping = false;
    this.wipeAmount = 0;
    this.bannerShown = false;
  }

  async compile() {
    try {
      return await WebAssembly.compileStreaming(fetch(MODULE));
    } catch {
      // A server that sends another type: compile from the bytes.
      const response = await fetch(MODULE);
      return WebAssembly.compile(await response.arrayBuffer());
    }
  }

  // The worklet is there, playing or asleep.
  get running() {
    return this.node !== null && (this.context?.state === 'running' || this.sleeping);
  }

  // Call from a tap: makes the audio context there, which a browser allows
  // only in a user gesture; everything after that may wait.
  start() {
    if (this.starting)
      return this.starting;
    const AudioContextClass = globalThis.AudioContext ?? globalThis.webkitAudioContext;
    if (!AudioContextClass)
      return Promise.resolve(false);
    // Twenty milliseconds of buffer rather than the smallest the device
    // has: the worklet and the sound device then wake half as often (their
    // CPU while the crackle plays falls from about 4 % of a core to about
    // 2 % in tools/measure_load_web.sh), and a tap's tick still comes
    // within a tenth of a second.
    this.context = new AudioContextClass({ latencyHint: 0.02 });
    const resumed = this.context.resume();
    this.starting = (async () => {
      try {
        await this.context.audioWorklet.addModule(WORKLET);
        const module = await this.moduleReady;
        this.node = new AudioWorkletNode(this.context, 'frostpane-sound', {
          numberOfInputs: 0,
          numberOfOutputs: 1,
          outputChannelCount: [1],
          processorOptions: { module, seed: (Math.random() * 0x100000000) >>> 0, enabled: this.enabled },
        });
        this.node.port.onmessage = (event) => {
          if (event.data.level !== undefined) {
            this.level = event.data.level;
            this.peak = Math.max(this.peak, this.level);
            this.blocks = event.data.blocks;
          }
          if (event.data.silentAfter === this.number)
            this.sleep();
        };
        this.node.connect(this.context.destination);
        await resumed;
        return true;
      } catch (error) {
        console.warn('frostpane: the sound could not start; playing on silently', error);
        this.node = null;
        return false;
      }
    })();
    return this.starting;
  }

  post(message) {
    this.node?.port.postMessage(message);
  }

  // Posts a message that may make a sound, waking the audio for it. With
  // Sound off nothing can be heard: the message goes unnumbered and lets
  // the audio sleep on.
  postAudible(message) {
    if (!this.node)
      return;
    if (!this.enabled) {
      this.post(message);
      return;
    }
    this.post({ ...message, number: ++this.number });
    if (this.sleeping) {
      this.sleeping = false;
      this.context.resume().catch(() => {});
    }
  }

  // Only silence may sleep: with Sound on, a crackle may still come while
  // ice is being wiped, however quiet it is just now.
  sleep() {
    if (this.sleeping || (this.enabled && this.wipeAmount > 0) || this.context?.state !== 'running')
      return;
    this.sleeping = true;
    this.context.suspend().catch(() => {});
  }

  tap() { this.postAudible({ tap: true }); }
  // What the crackle and the chime follow, after each step; posted only
  // when it differs from what the worklet last had (nothing is kept before
  // the worklet is there, so the first step after it starts tells it all).
  follow(wipeAmount, bannerShown) {
    if (!this.node || (wipeAmount === this.wipeAmount && bannerShown === this.bannerShown))
      return;
    this.wipeAmount = wipeAmount;
    this.bannerShown = bannerShown;
    this.postAudible({ wipeAmount, bannerShown });
  }
  setWipeAmount(amount) { this.follow(amount, this.bannerShown); }
  setEnabled(enabled) {
    this.enabled = enabled;
    this.postAudible({ enabled });
  }
  // The worklet reports its level from now on (for tests and diagnostics).
  meter(on) { this.post({ meter: on }); }
  resetPeak() { this.peak = 0; }
}
