// The game's sound through Web Audio: an AudioWorklet runs the game's own
// synthesis (module/sound.wasm, built from sound/ and
// web/module/sound_bindings.cpp). This side only compiles the module, starts
// the audio on the first tap (browsers allow sound only after one) and posts
// what happens in the game; the worklet renders.

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

  get running() {
    return this.context?.state === 'running' && this.node !== null;
  }

  // Call from a tap: makes the audio context there, which a browser allows
  // only in a user gesture; everything after that may wait.
  start() {
    if (this.starting)
      return this.starting;
    const AudioContextClass = globalThis.AudioContext ?? globalThis.webkitAudioContext;
    if (!AudioContextClass)
      return Promise.resolve(false);
    this.context = new AudioContextClass({ latencyHint: 'interactive' });
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

  tap() { this.post({ tap: true }); }
  setWipeAmount(amount) { this.post({ wipeAmount: amount }); }
  setBannerShown(shown) { this.post({ bannerShown: shown }); }
  setEnabled(enabled) {
    this.enabled = enabled;
    this.post({ enabled });
  }
  // The worklet reports its level from now on (for tests and diagnostics).
  meter(on) { this.post({ meter: on }); }
  resetPeak() { this.peak = 0; }
}
