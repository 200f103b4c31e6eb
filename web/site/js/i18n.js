// The page's texts in the user's language: the build turned the game's
// translations into i18n/<language>.json ({name: text}); the page takes the
// first of navigator.languages it has, English otherwise.

export async function loadTexts() {
  const available = await fetchJson('i18n/languages.json', ['en']);
  const language = pickLanguage(navigator.languages ?? [navigator.language], available);
  const texts = await fetchJson(`i18n/${language}.json`, {});
  return { language, texts };
}

export function pickLanguage(wanted, available) {
  for (const tag of wanted) {
    const lower = String(tag).toLowerCase();
    if (available.includes(lower))
      return lower;
    const base = lower.split('-')[0];
    if (available.includes(base))
      return base;
  }
  return 'en';
}

async function fetchJson(url, fallback) {
  try {
    const response = await fetch(url);
    return response.ok ? await response.json() : fallback;
  } catch {
    return fallback;
  }
}

// The text `name` with %1, %2... replaced by the arguments.
export function format(texts, name, ...args) {
  const text = texts[name] ?? '';
  return text.replace(/%(\d)/g, (match, n) => (args[Number(n) - 1] ?? match));
}

// Fills every [data-text] element's content and every [data-text-label] /
// [data-text-description] element's accessible name and description.
export function applyTexts(root, texts) {
  for (const element of root.querySelectorAll('[data-text]'))
    element.textContent = texts[element.dataset.text] ?? element.textContent;
  for (const element of root.querySelectorAll('[data-text-label]'))
    element.setAttribute('aria-label', texts[element.dataset.textLabel] ?? '');
  for (const element of root.querySelectorAll('[data-text-description]'))
    element.setAttribute('aria-description', texts[element.dataset.textDescription] ?? '');
}
