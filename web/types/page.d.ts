// What the page's type check (tsc -p web) takes as given beyond the DOM
// library TypeScript ships.

// The page looks its own elements up by id; index.html fixes their kinds
// (an input, a canvas, an image), which a lookup by id cannot tell.
interface Document {
  getElementById(elementId: string): any;
}

// The audio worklet's scope (sound_worklet.js runs there, not in the page).
declare class AudioWorkletProcessor {
  readonly port: MessagePort;
  constructor(options?: any);
}
declare function registerProcessor(name: string, processorClass: new (options?: any) => AudioWorkletProcessor): void;
declare const sampleRate: number;
declare const currentTime: number;

// Chromium's camera frames as a stream (camera.js uses it where it exists).
declare class MediaStreamTrackProcessor<T = VideoFrame> {
  constructor(init: { track: MediaStreamTrack, maxBufferSize?: number });
  readonly readable: ReadableStream<T>;
}

// What a camera says of itself before it is opened, where the browser tells
// (InputDeviceInfo's getCapabilities, which enumerateDevices' entries have).
interface MediaDeviceInfo {
  getCapabilities?(): MediaTrackCapabilities;
}
