// Runs in the AudioWorkletGlobalScope: the game's synthesis, compiled to a
// bare WebAssembly module without any JavaScript glue, renders each 128-frame
// block straight into the output. Nothing here allocates while it renders;
// only the optional level report (every 32 blocks, when asked) posts a small
// message.

const METER_BLOCKS = 32;

class FrostpaneSound extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const { module, seed, enabled } = options.processorOptions;
    this.exports = new WebAssembly.Instance(module, {}).exports;
    this.exports.sound_start(sampleRate, seed);
    this.exports.sound_set_enabled(enabled ? 1 : 0);
    this.capacity = this.exports.sound_block_frames();
    this.block = new Float32Array(this.exports.memory.buffer, this.exports.sound_block(), this.capacity);
    this.metering = false;
    this.peak = 0;
    this.counted = 0;
    this.blocks = 0;
    this.port.onmessage = (event) => this.receive(event.data);
  }

  receive(message) {
    if (message.wipeAmount !== undefined)
      this.exports.sound_set_wipe_amount(message.wipeAmount);
    if (message.bannerShown !== undefined)
      this.exports.sound_set_banner_shown(message.bannerShown ? 1 : 0);
    if (message.tap)
      this.exports.sound_tap();
    if (message.enabled !== undefined)
      this.exports.sound_set_enabled(message.enabled ? 1 : 0);
    if (message.meter !== undefined)
      this.metering = message.meter;
  }

  process(inputs, outputs) {
    const channels = outputs[0];
    const frames = channels[0].length;
    for (let done = 0; done < frames;) {
      const count = this.exports.sound_render(Math.min(frames - done, this.capacity));
      if (count <= 0)
        break;
      for (const channel of channels) {
        for (let i = 0; i < count; ++i)
          channel[done + i] = this.block[i];
      }
      if (this.metering) {
        for (let i = 0; i < count; ++i)
          this.peak = Math.max(this.peak, Math.abs(this.block[i]));
      }
      done += count;
    }
    ++this.blocks;
    if (this.metering && ++this.counted >= METER_BLOCKS) {
      this.port.postMessage({ level: this.peak, blocks: this.blocks });
      this.peak = 0;
      this.counted = 0;
    }
    return true;
  }
}

registerProcessor('frostpane-sound', FrostpaneSound);
