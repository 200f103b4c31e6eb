#!/usr/bin/env bash
# The menu entry and the metainfo speak every language the game speaks: for
# each translations/frostpane_<language>.ts, the desktop file has Name,
# GenericName, Comment and Keywords in that language, and the metainfo has its
# name, summary and every paragraph and list item of the description.
#
#   check_translated_entries.sh SOURCE_DIR APP_ID
set -uo pipefail

source_dir=$1
app_id=$2
desktop=$source_dir/data/$app_id.desktop
metainfo=$source_dir/data/$app_id.metainfo.xml

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

languages=()
for ts in "$source_dir"/translations/frostpane_*.ts; do
  name=${ts##*/frostpane_}
  languages+=("${name%.ts}")
done
[ ${#languages[@]} -gt 0 ] || { echo "FAILED: no translations in $source_dir/translations"; exit 1; }
echo "the game speaks: ${languages[*]}"

# desktop_value KEY: the value of KEY (KEY may carry [language]).
desktop_value() { grep -F -m1 "$1=" "$desktop" | grep "^$(sed 's/[][]/\\&/g' <<<"$1")=" | cut -d= -f2-; }
# count ELEMENT LANG: how many ELEMENTs the metainfo holds in LANG ("" for
# English), the release notes left out (they stay English).
count() {
  local pattern="<$1>"
  [ -n "$2" ] && pattern="<$1 xml:lang=\"$2\">"
  sed '/<releases>/,$d' "$metainfo" | grep -cE "$pattern"
}

for language in "${languages[@]}"; do
  for key in Name GenericName Comment Keywords; do
    value=$(desktop_value "$key[$language]")
    english=$(desktop_value "$key")
    if [ -z "$value" ]; then
      fail "the menu entry has no $key[$language]"
    # A brand name stays as it is; a sentence or a word list must not.
    elif [ "$key" != Name ] && [ "$value" = "$english" ]; then
      fail "$key[$language] is the English text"
    else
      ok "$key[$language]=$value"
    fi
  done
  for element in name summary p li; do
    english=$(count "$element" "")
    translated=$(count "$element" "$language")
    if [ "$english" -gt 0 ] && [ "$translated" -eq "$english" ]; then
      ok "metainfo: $translated <$element xml:lang=\"$language\"> for $english in English"
    else
      fail "metainfo: $translated <$element xml:lang=\"$language\"> for $english in English"
    fi
  done
done

# The translated entries must not cost the validators' approval.
for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "missing $tool (see tools/ensure_packages.sh)"; exit 1; }
done
if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then
  ok "desktop-file-validate"
else
  fail "desktop-file-validate: $out"
fi
if out=$(appstreamcli validate --no-net "$metainfo" 2>&1) && ! grep -qE '^[EW]: ' <<<"$out"; then
  ok "appstreamcli validate"
else
  fail "appstreamcli validate: $out"
fi

[ "$failures" -eq 0 ] && echo "every language has its menu entry and metainfo" || echo "$failures problem(s)"
[ "$failures" -eq 0 ]
