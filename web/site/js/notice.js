// The note over the picture, with its own close button: why the camera does
// not run, that storage is full, which photos were skipped. Over an open
// panel it keeps clear of the panel's controls.
import { byId } from './dom.js';

export class Notice {
  /**
   * @param {Record<string, string>} texts the page's texts in the player's language
   * @param {() => Element[]} taken the elements on show that the note must not cover
   */
  constructor(texts, taken) {
    this.texts = texts;
    this.taken = taken;
    this.notice = byId('notice');
    this.noticeText = byId('noticeText');
    byId('noticeClose').addEventListener('click', () => this.hide());
  }

  /** @param {string} name the name of the text to say, among the page's texts */
  show(name) {
    this.showText(this.texts[name] ?? '');
  }

  /** @param {string} text the text to say, in the player's language */
  showText(text) {
    this.noticeText.textContent = text;
    this.notice.hidden = false;
    this.place();
  }

  hide() {
    this.notice.hidden = true;
  }

  /**
   * With a panel open the note goes into the tallest band of the page that
   * none of the panel's controls cross, and scrolls inside it if it must.
   */
  place() {
    const style = this.notice.style;
    const controls = this.notice.hidden ? [] : this.taken();
    if (controls.length === 0) {
      style.top = '';
      style.maxHeight = '';
      return;
    }
    const margin = 8;
    const taken = controls.map((c) => c.getBoundingClientRect()).filter((r) => r.height > 0)
      .sort((a, b) => a.top - b.top);
    let best = { top: margin, height: 0 };
    let from = 0;
    for (const rect of [...taken, { top: window.innerHeight, bottom: window.innerHeight }]) {
      if (rect.top - from > best.height)
        best = { top: from, height: rect.top - from };
      from = Math.max(from, rect.bottom);
    }
    style.top = `${best.top + margin}px`;
    style.maxHeight = `${Math.max(best.height - 2 * margin, 0)}px`;
  }
}
