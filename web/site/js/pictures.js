// The pictures' pixels into the module: the built-in pictures and their ice
// fetched and decoded by the browser, a parent's photos read from their
// store. The module says which picture is on show and which it keeps around
// it; this fetches those and lets the others go.

export class Pictures {
  /**
   * @param {import('./game_module.js').GameModule} core the module
   * @param {import('./photos.js').Photos} photos a parent's photos, for the numbers past the built-in ones
   * @param {() => void} arrived a picture arrived in the module: draw
   */
  constructor(core, photos, arrived) {
    this.core = core;
    this.photos = photos;
    this.arrived = arrived;
    /** @type {Map<number, Promise<boolean>>} picture number -> its arrival in the module */
    this.loading = new Map();
  }

  /**
   * Fetches picture `number` (photo and ice) into the module unless it is
   * there or on its way.
   * @param {number} number
   * @returns {Promise<boolean>} whether it is there
   */
  load(number) {
    if (this.core.hasPicture(number))
      return Promise.resolve(true);
    let arrival = this.loading.get(number);
    if (!arrival) {
      const name = `images/frostpane_${String(number).padStart(3, '0')}`;
      const pixels = this.photos.isPhoto(number) ? this.photos.load(number)
        : Promise.all([decodePixels(`${name}.png`), decodePixels(`${name}_ice.png`)]);
      arrival = pixels
        .then(([photo, ice]) => this.core.putPicture(number, photo, ice))
        .catch((error) => {
          console.warn(`frostpane: picture ${number} could not be read`, error);
          return false;
        })
        .finally(() => this.loading.delete(number));
      this.loading.set(number, arrival);
    }
    return arrival;
  }

  /** The built-in pictures, one after the other, while the child looks. */
  async loadBuiltIn() {
    for (let number = 1; number <= this.core.builtInPictures(); ++number)
      await this.load(number);
    this.arrived();
  }

  /** Shows the module's picture once it is here, with its neighbours read ahead. */
  async show() {
    await this.load(this.core.pictureNumber());
    this.keepAround();
    this.arrived();
  }

  /**
   * The photos the module keeps around the picture on show stay (the ones
   * not here yet are read ahead), every other photo goes.
   */
  keepAround() {
    const count = this.core.pictureCount();
    for (let n = this.core.builtInPictures() + 1; n <= count; ++n) {
      if (!this.core.keepsPicture(n)) {
        if (this.core.hasPicture(n))
          this.core.dropPicture(n);
      } else if (!this.core.hasPicture(n)) {
        this.load(n);
      }
    }
  }
}

/**
 * The RGBA pixels of an image file, decoded by the browser.
 * @param {string} url
 * @returns {Promise<ImageData>}
 */
async function decodePixels(url) {
  const response = await fetch(url);
  if (!response.ok)
    throw new Error(`${url}: ${response.status}`);
  const bitmap = await createImageBitmap(await response.blob());
  const canvas = document.createElement('canvas');
  canvas.width = bitmap.width;
  canvas.height = bitmap.height;
  const g = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d', { willReadFrequently: true }));
  g.drawImage(bitmap, 0, 0);
  bitmap.close();
  return g.getImageData(0, 0, canvas.width, canvas.height);
}
