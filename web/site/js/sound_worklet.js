// Runs in the AudioWorkletGlobalScope: the game's synthesis, compiled to a
// bare WebAssembly module without any JavaScript glue, renders each 128-frame
// block straight into the output. Nothing here allocates while it renders;
// only the optional level report (every 32 blocks, when asked) and the
// report of lasting silence post a small message.

const METER_BLOCKS = 32;
// After this many seconds of exact silence the page may let the audio sleep.
const SILENCE_SECONDS = 2;

class FrostpaneSound extends AudioWorkletProcessor {
  constructor(options) {
    super();
    const { module, seed, enabled } = options.processorOptions;
    /** @type {import('../module/sound_exports').Exports} */
    this.exports = /** @type {any} */ (new WebAssembly.Instance(module, {}).exports);
    this.exports.sound_start(sampleRate, seed);
    this.exports.sound_set_enabled(enabled ? 1 : 0);
    this.capacity = this.exports.sound_block_frames();
    this.block = new Float32Array(this.exports.memory.buffer, this.exports.sound_block(), this.capacity);
    this.metering = false;
    this.peak = 0;
    this.counted = 0;
    this.blocks = 0;
    // Silent frames rendered since the last sound, and the number of the
    // last message that could make one: the page knows from it whether a
    // sound was asked for after this silence began.
    this.silentFrames = 0;
    this.heard = 0;
    this.silenceReported = false;
    this.port.onmessage = (event) => this.receive(event.data);
  }

  receive(message) {
    if (message.number !== undefined) {
      this.heard = message.number;
      this.silentFrames = 0;
      this.silenceReported = false;
    }
    if (message.wipeAmount !== undefined)
      this.exports.sound_set_wipe_amount(message.wipeAmount);
    if (message.bannerShown !== undefined)
      this.exports.sound_set_banner_shown(message.bannerShown ? 1 : 0);
    if (message.tap)
      this.exports.sound_tap();
    if (message.enabled !== undefined)
      this.exports.sound_set_enabled(message.enabled ? 1 : 0);
    if (message.meter !== undefined) {
      this.metering = message.meter;
      this.peak = 0;
      this.counted = 0;
    }
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
      let loudest = 0;
      for (let i = 0; i < count; ++i)
        loudest = Math.max(loudest, Math.abs(this.block[i]));
      this.peak = Math.max(this.peak, loudest);
      this.silentFrames = loudest === 0 ? this.silentFrames + count : 0;
      done += count;
    }
    if (this.silentFrames === 0)
      this.silenceReported = false;
    else if (!this.silenceReported && this.silentFrames >= SILENCE_SECONDS * sampleRate) {
      this.silenceReported = true;
      this.port.postMessage({ silentAfter: this.heard });
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
