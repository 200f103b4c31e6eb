// What a parent is told about photos that could not be added: one line per
// reason, in the player's language, naming a few files and counting the rest.
import { format } from './i18n.js';

// Why a file was skipped: the name of its note among the page's texts, and
// of the reason in a note about several files.
/** @type {Record<string, string>} */
const PROBLEM_TEXTS = {
  unreadable: 'photoUnreadable', heic: 'photoHeic', small: 'photoTooSmall', large: 'photoTooLarge',
  long: 'photoTooLong', full: 'photoTooMany', notKept: 'photoNotKept', storageFull: 'photoStorageFull',
};
/** @type {Record<string, string>} */
const REASON_TEXTS = {
  unreadable: 'skippedUnreadable', heic: 'skippedHeic', small: 'skippedSmall', large: 'skippedLarge',
  long: 'skippedLong', full: 'skippedFull', notKept: 'skippedNotKept', storageFull: 'skippedStorageFull',
};
// A note about skipped files names this many of them and counts the rest,
// so that a whole folder of them stays a short note.
const NAMED_FILES = 2;

// The note about skipped files: one line per reason, each naming at most
// NAMED_FILES files.
/**
 * @param {Record<string, string>} texts the page's texts in the player's language
 * @param {{ name: string, problem: string }[]} skipped each file left out and why (a key of PROBLEM_TEXTS)
 * @param {number} maxPhotos how many photos the game keeps at most
 * @returns {string}
 */
export function skippedNote(texts, skipped, maxPhotos) {
  const byProblem = new Map();
  for (const { name, problem } of skipped)
    byProblem.set(problem, [...(byProblem.get(problem) ?? []), name]);
  const lines = [];
  for (const [problem, names] of byProblem) {
    if (names.length === 1) {
      lines.push(format(texts, PROBLEM_TEXTS[problem], names[0], maxPhotos));
      continue;
    }
    const shown = names.length <= NAMED_FILES + 1 ? names.join(', ')
      : format(texts, 'photosAndMore', names.slice(0, NAMED_FILES).join(', '), names.length - NAMED_FILES);
    lines.push(format(texts, 'photosSkipped', names.length, shown, format(texts, REASON_TEXTS[problem], maxPhotos)));
  }
  return lines.join('\n');
}
