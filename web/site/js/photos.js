// A parent's own photos in the browser: picked with "Add photos…" in the
// settings panel or dropped onto the page, they join the built-in pictures.
// The browser decodes each file and turns it upright; the module says whether
// it can be used and which part to keep, and a worker makes its ice with the
// ice generator. The cut photo and its ice are kept in this browser's
// IndexedDB (photo_store.js, never sent anywhere) and read back only when
// the module keeps them around the picture on show (pictures.js). Which photo
// fits, and which part of it is kept, is the module's.
import { IceMaker } from './ice_maker.js';
import { context2d } from './dom.js';
import { skippedNote } from './photo_notes.js';

// How long a first tap on "Remove photos" waits for the second.
const REMOVE_ALL_MILLISECONDS = 4000;

// iPhones take HEIC photos, which most browsers cannot read: said so by name.
function isHeic(file) {
  return /^image\/hei[cf]/i.test(file.type ?? '') || /\.hei[cf]$/i.test(file.name ?? '');
}

// A file left out, and why: a name among photo_notes.js's problems.
class Skipped extends Error {
  /** @param {string} problem */
  constructor(problem) {
    super(problem);
    this.problem = problem;
  }
}

export class Photos {
  /**
   * @param {import('./game_module.js').GameModule} core the module, which numbers and judges the photos
   * @param {import('./photo_store.js').PhotoStore} store where the photos are kept
   * @param {Record<string, string>} texts the page's texts in the player's language
   * @param {HTMLElement} root the game's area (#game): photos dropped on it are added, and it shows the photos' state
   * @param {object} hooks
   * @param {() => Promise<void>} hooks.picturesChanged the pictures or the one on show changed: show them
   * @param {(text: string) => void} hooks.say show this notice
   */
  constructor(core, store, texts, root, hooks) {
    this.core = core;
    this.store = store;
    this.texts = texts;
    this.root = root;
    this.hooks = hooks;
    /** @type {IceMaker | null} made with the first photo added */
    this.iceMaker = null;
    /** @type {IDBValidKey[]} */
    this.keys = [];
    /** @type {boolean | null} whether the browser keeps the photos for good, once it said */
    this.kept = null;
    this.available = false;
    /** @type {Promise<unknown>} */
    this.work = Promise.resolve();
    this.input = /** @type {HTMLInputElement} */ (document.getElementById('photoFiles'));
    this.removeAllTimer = 0;
  }

  /**
   * Opens the store and lets the kept photos join; the game plays on
   * without them where the browser keeps nothing.
   */
  async start() {
    this.connect();
    try {
      await this.store.open();
      this.keys = (await this.store.keys()).slice(0, this.core.maxPhotos());
      this.available = true;
    } catch (error) {
      console.warn('frostpane.photos: no place to keep photos', error);
    }
    this.core.setPictureCount(this.core.builtInPictures() + this.keys.length);
    this.showCount();
    this.hooks.picturesChanged();
    if (this.keys.length > 0)
      navigator.storage?.persisted?.().then((kept) => this.showKept(kept), () => {});
  }

  connect() {
    document.getElementById('addPhotosButton').addEventListener('click', () => this.input.click());
    document.getElementById('removePhotosButton').addEventListener('click', () => this.removeAllAsked());
    document.getElementById('removePhotoButton').addEventListener('click', () => this.removeShown());
    // "Remove this photo" only while one of them is on show.
    new MutationObserver(() => this.showCount()).observe(this.root,
      { attributes: true, attributeFilter: ['data-picture'] });
    this.input.addEventListener('change', () => {
      const files = Array.from(this.input.files ?? []);
      this.input.value = '';
      this.add(files);
    });
    const root = this.root;
    root.addEventListener('dragover', (event) => {
      if (event.dataTransfer?.types?.includes('Files')) {
        event.preventDefault();
        event.dataTransfer.dropEffect = 'copy';
      }
    });
    root.addEventListener('drop', (event) => {
      const files = Array.from(event.dataTransfer?.files ?? []);
      if (files.length === 0)
        return;
      event.preventDefault();
      this.add(files);
    });
  }

  /**
   * @param {number} number a picture's number
   * @returns {boolean} whether it is one of the photos (after the built-in pictures)
   */
  isPhoto(number) {
    return number > this.core.builtInPictures();
  }

  /**
   * Picture `number`'s photo and ice, read from the store.
   * @param {number} number
   * @returns {Promise<[ImageData, ImageData]>}
   */
  async load(number) {
    const index = number - this.core.builtInPictures() - 1;
    const key = this.keys[index];
    const pixels = key === undefined ? null : await this.store.read(key);
    if (!pixels)
      throw new Error(`photo ${number} is not kept`);
    // A photo removed meanwhile moved the others to other numbers.
    if (this.keys[index] !== key)
      throw new Error(`photo ${number} moved while it was read`);
    return pixels;
  }

  /**
   * Adds the files one after the other, each bad one skipped with a note.
   * @param {File[]} files
   * @returns {Promise<unknown>} done when these and every earlier change are
   */
  add(files) {
    if (files.length > 0 && this.kept !== true)
      this.askToKeep();
    this.work = this.work.then(() => this.addNow(files));
    return this.work;
  }

  async addNow(files) {
    this.setBusy(true);
    const skipped = [];
    for (const file of files) {
      try {
        await this.addOne(file);
      } catch (error) {
        let problem = error instanceof Skipped ? error.problem : (isQuotaError(error) ? 'storageFull' : 'notKept');
        if (!(error instanceof Skipped))
          console.warn(`frostpane.photos: ${file.name} could not be kept`, error);
        if (problem === 'unreadable' && isHeic(file))
          problem = 'heic';
        skipped.push({ name: file.name, problem });
      }
    }
    this.showCount();
    this.setBusy(false);
    if (skipped.length > 0)
      this.hooks.say(skippedNote(this.texts, skipped, this.core.maxPhotos()));
    this.hooks.picturesChanged();
  }

  async addOne(file) {
    if (!this.available)
      throw new Skipped('notKept');
    if (this.keys.length >= this.core.maxPhotos())
      throw new Skipped('full');
    const photo = await this.cut(file);
    const number = this.core.builtInPictures() + this.keys.length + 1;
    const ice = await this.makeIce(number, photo);
    const key = await this.store.keep(file.name, photo, ice);
    this.keys.push(key);
    this.core.setPictureCount(this.core.builtInPictures() + this.keys.length);
  }

  /**
   * The ice of a cut photo as picture `number`.
   * @param {number} number
   * @param {ImageData} photo
   * @returns {Promise<ImageData>}
   */
  makeIce(number, photo) {
    this.iceMaker ??= new IceMaker();
    return this.iceMaker.make(number, photo);
  }

  // The file decoded upright, cut and scaled as the module says, on black
  // where it is transparent.
  async cut(file) {
    // The module judges the size before anything is decoded: a photo far
    // too large for the module would take more memory to decode than a
    // tablet has.
    const size = await imageSize(file);
    const judged = this.core.photoCut(size.width, size.height);
    if ('problem' in judged)
      throw new Skipped(judged.problem);
    const bitmap = await uprightBitmap(file);
    try {
      const part = this.core.photoCut(bitmap.width, bitmap.height);
      if ('problem' in part)
        throw new Skipped(part.problem);
      const { width, height } = this.core.photoSize();
      const g = context2d(width, height);
      g.fillStyle = '#000';
      g.fillRect(0, 0, width, height);
      g.imageSmoothingEnabled = true;
      g.imageSmoothingQuality = 'high';
      g.drawImage(bitmap, part.x, part.y, part.width, part.height, 0, 0, width, height);
      return g.getImageData(0, 0, width, height);
    } finally {
      bitmap.close();
    }
  }

  // All the photos go only on a second tap within a few seconds: one tap,
  // a child's as well, only asks.
  removeAllAsked() {
    const button = document.getElementById('removePhotosButton');
    clearTimeout(this.removeAllTimer);
    if (button.dataset.armed !== 'true') {
      button.dataset.armed = 'true';
      button.textContent = this.texts.removePhotosAgain ?? '';
      this.removeAllTimer = setTimeout(() => this.disarmRemoveAll(), REMOVE_ALL_MILLISECONDS);
      return this.work;
    }
    this.disarmRemoveAll();
    return this.removeAll();
  }

  disarmRemoveAll() {
    const button = document.getElementById('removePhotosButton');
    button.dataset.armed = 'false';
    button.textContent = this.texts.removePhotos ?? '';
  }

  removeAll() {
    return this.remove(() => this.store.clear(), () => {
      this.keys = [];
      return 0;
    });
  }

  // Removes the photo on show; the module says which picture takes its
  // place.
  removeShown() {
    const number = this.core.pictureNumber();
    const index = number - this.core.builtInPictures() - 1;
    const key = this.keys[index];
    if (!this.isPhoto(number) || key === undefined)
      return this.work;
    return this.remove(() => this.store.delete(key), () => {
      this.keys.splice(index, 1);
      return number;
    });
  }

  // Removes from the store, then from the game: `forget()` drops the keys
  // and names the photo removed (0 for all), and the module takes it from
  // there (the numbers of the photos after it change).
  remove(fromStore, forget) {
    this.work = this.work.then(async () => {
      try {
        await fromStore();
      } catch (error) {
        console.warn('frostpane.photos: the photos could not be removed', error);
        return;
      }
      this.core.removePhoto(forget(), this.keys.length);
      this.showCount();
      await this.hooks.picturesChanged();
    });
    return this.work;
  }

  // Asks the browser to keep the photos for good: otherwise it may clear
  // them by itself when the device runs short of space. Asked while the
  // parent adds photos (Firefox asks the parent then); the answer is not
  // waited for, so a question left open holds up nothing.
  askToKeep() {
    const storage = navigator.storage;
    if (!storage?.persist)
      return;
    storage.persisted().then((kept) => kept || storage.persist())
      .then((kept) => this.showKept(kept), () => this.showKept(false));
  }

  // The settings panel says when the browser may clear the photos.
  showKept(kept) {
    this.kept = kept;
    this.root.dataset.photosKept = kept ? 'yes' : 'no';
    this.showCount();
  }

  showCount() {
    document.getElementById('photosKeptNote').hidden = this.kept !== false || this.keys.length === 0;
    this.root.dataset.photos = String(this.keys.length);
    document.getElementById('removePhotosButton').disabled = this.keys.length === 0;
    document.getElementById('removePhotoButton').disabled = !this.isPhoto(this.core.pictureNumber());
  }

  setBusy(busy) {
    this.root.dataset.photoWork = busy ? 'busy' : 'idle';
    document.getElementById('addPhotosButton').disabled = busy;
  }
}

// The size the file's image says it has, read by the browser from its
// header: an image element decodes its pixels only when it is drawn.
function imageSize(file) {
  const url = URL.createObjectURL(file);
  const image = new Image();
  return new Promise((done, fail) => {
    image.onload = () => done({ width: image.naturalWidth, height: image.naturalHeight });
    image.onerror = () => fail(new Skipped('unreadable'));
    image.src = url;
  }).finally(() => {
    image.src = '';
    URL.revokeObjectURL(url);
  });
}

// The file as a bitmap standing as its EXIF orientation says.
async function uprightBitmap(file) {
  try {
    return await createImageBitmap(file, { imageOrientation: 'from-image' });
  } catch (error) {
    if (!(error instanceof TypeError))
      throw new Skipped('unreadable');
  }
  // A browser that does not know the option turns photos upright anyway.
  try {
    return await createImageBitmap(file);
  } catch {
    throw new Skipped('unreadable');
  }
}

// A write the browser refused because this site's storage is full.
function isQuotaError(error) {
  return error?.name === 'QuotaExceededError' || error?.name === 'NS_ERROR_DOM_QUOTA_REACHED';
}
