// The ice of a parent's photo, made with the ice generator (the frost
// module, module/ice.wasm) in a worker, so that the page goes on while
// photos are added; on the page's thread where a worker cannot be had.

export class IceMaker {
  /** Starts the worker; where none can start, the ice is made on this thread. */
  constructor() {
    this.pending = new Map(); // id -> { resolve, reject }
    this.nextId = 1;
    try {
      this.worker = new Worker(new URL('./ice_worker.js', import.meta.url), { type: 'module' });
      this.worker.onmessage = ({ data }) => this.answered(data);
      this.worker.onerror = (event) => this.failed(event);
    } catch (error) {
      console.warn('frostpane.photos: no worker for the ice', error);
      this.worker = null;
    }
  }

  /**
   * The ice of a cut photo as picture `number` (the number seeds the frost).
   * @param {number} number
   * @param {ImageData} photo
   * @returns {Promise<ImageData>}
   */
  async make(number, photo) {
    const { width, height } = photo;
    const ice = await this.fromWorker(number, photo).catch(async () => {
      const { makeIce } = await import('./ice_module.js');
      return makeIce(number, width, height, photo.data);
    });
    return new ImageData(new Uint8ClampedArray(ice.buffer), width, height);
  }

  fromWorker(number, photo) {
    if (!this.worker)
      return Promise.reject(new Error('no worker'));
    const id = this.nextId++;
    const answer = new Promise((resolve, reject) => this.pending.set(id, { resolve, reject }));
    this.worker.postMessage({ id, number, width: photo.width, height: photo.height, pixels: photo.data });
    return answer;
  }

  answered({ id, ice, error }) {
    const waiting = this.pending.get(id);
    this.pending.delete(id);
    if (error)
      console.warn('frostpane.photos: the worker made no ice', error);
    if (ice)
      waiting?.resolve(ice);
    else
      waiting?.reject(new Error(error));
  }

  // The worker could not start (or its module did not load): the page makes
  // the ice itself from now on.
  failed(event) {
    console.warn('frostpane.photos: the ice worker stopped', event.message ?? event);
    this.worker?.terminate();
    this.worker = null;
    for (const waiting of this.pending.values())
      waiting.reject(new Error('no worker'));
    this.pending.clear();
  }
}
