#!/usr/bin/env bash
# Fails when the documentation names what does not exist.
#
#   check-docs.sh SOURCE_DIR [TORVEX]   README.md, CHANGELOG.md, docs/*.md and
#       examples/README.md of the source tree: every link resolves (an anchor
#       to a heading of its file); every source path in backticks (cli/...,
#       scripts/..., a glob or <placeholder> matching at least one file) and
#       every torvex_* CMake target in backticks exists; an installer name
#       torvex-X.Y.Z.msi carries project(VERSION); with TORVEX, every
#       `torvex WORD` names a method or subcommand that command knows.
#   check-docs.sh --installed DOC_DIR   every link of the *.md files under an
#       installed documentation folder (share/doc/torvex) resolves there.
set -uo pipefail
installed=0
if [ "${1:-}" = --installed ]; then installed=1; shift; fi
top=$(cd "${1:?usage: check-docs.sh [--installed] DIR [TORVEX]}" && pwd)
torvex=${2:-}
failures=0
fail() { echo "check-docs: $*" >&2; failures=$((failures + 1)); }

if [ "$installed" = 1 ]; then
  mapfile -t files < <(cd "$top" && find . -name '*.md' | sed 's|^\./||' | sort)
else
  mapfile -t files < <(cd "$top" && ls README.md CHANGELOG.md docs/*.md examples/README.md 2>/dev/null)
fi
[ "${#files[@]}" -gt 0 ] || { echo "check-docs: no documents under $top" >&2; exit 1; }

# The anchor a heading gets: lower case, punctuation dropped, blanks to "-".
slugs() {
  sed -n 's/^#\{1,6\} *//p' "$1" | tr 'A-Z' 'a-z' | sed -e 's/[^a-z0-9 _-]//g' -e 's/ /-/g'
}

# Text outside fenced and indented code, where links live.
prose() { awk '/^```/{f=!f; next} !f && !/^    /' "$1"; }

for doc in "${files[@]}"; do
  dir=$(dirname "$top/$doc")
  # Links: [text](target), outside code.
  while IFS= read -r target; do
    case $target in http://* | https://* | mailto:*) continue ;; esac
    path=${target%%#*} anchor=
    [[ $target == *#* ]] && anchor=${target#*#}
    resolved=$dir/$path
    [ -z "$path" ] && resolved=$top/$doc
    if [ ! -e "$resolved" ]; then
      fail "$doc: link to $target: no such file"
    elif [ -n "$anchor" ] && [ -f "$resolved" ] && ! slugs "$resolved" | grep -qxF -- "$anchor"; then
      fail "$doc: link to $target: no such heading"
    fi
  done < <(prose "$top/$doc" | grep -oE '\]\([^) ]+\)' | sed -e 's/^](//' -e 's/)$//')
  [ "$installed" = 1 ] && continue

  # Source paths in backticks, from the repository's top.
  while IFS= read -r name; do
    name=${name%[.,:;]}
    pattern=$(sed -e 's/<[^>]*>/*/g' <<<"$name")
    # shellcheck disable=SC2086  # the pattern is a glob on purpose
    if ! (cd "$top" && compgen -G "$pattern" >/dev/null); then
      fail "$doc: names $name, which does not exist"
    fi
  done < <(grep -oE '`[^`]+`' "$top/$doc" | tr -d '`' | tr ' ' '\n' |
    grep -E '^(arj|bench|cli|cmake|com|component|conventions|docs|download|examples|fuzz|journal|macros|platform|scripts|tests|trays|upload|windows)/' |
    grep -vE '^(docs|examples)/$' | sort -u)

  # CMake targets in backticks.
  while IFS= read -r target; do
    grep -rqE "(add_executable|add_library|add_custom_target|function)\( *$target[ )]" \
      --include=CMakeLists.txt --include='*.cmake' "$top" ||
      fail "$doc: names the target $target, which no CMake file defines"
  done < <(grep -oE '`torvex_[a-z0-9_]+`' "$top/$doc" | tr -d '`' | sort -u)

  # Installer names carry the project's version.
  version=$(sed -n 's/^project(torvex VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
  while IFS= read -r msi; do
    [ "$msi" = "torvex-$version.msi" ] || fail "$doc: names $msi; the installer is torvex-$version.msi"
  done < <(grep -oE 'torvex-[0-9][0-9.]*\.msi' "$top/$doc" | sort -u)

  # Commands: a backticked text or a line of indented code that runs torvex
  # (after variable assignments, a "$ " prompt or a folder).
  if [ -n "$torvex" ]; then
    while IFS= read -r word; do
      "$torvex" help "$word" >/dev/null 2>&1 || fail "$doc: torvex $word: no such method or subcommand"
    done < <({ grep -oE '`[^`]+`' "$top/$doc" | tr -d '`'; grep -E '^    ' "$top/$doc"; } |
      sed -E 's/^ *(\$ )?//' |
      grep -oE '^([A-Z_]+=[^ ]+ +)*([^ =]*/)?torvex +[a-zA-Z-]+' | sed -E 's/.*torvex +//' |
      grep -vE '^[A-Z]+$' | sort -u)
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "check-docs: $failures problem(s) in ${#files[@]} documents under $top" >&2
  exit 1
fi
echo "check-docs: ${#files[@]} documents under $top name nothing missing"
