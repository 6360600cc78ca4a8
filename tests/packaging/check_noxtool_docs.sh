#!/usr/bin/env bash
# The man page and the bash completion of noxtool keep up with the program:
# every command and option its --help names is documented and completed, the
# alarm minutes offered are the ones it accepts, and the man pages format
# without warnings.
#
#   check_noxtool_docs.sh NOXTOOL MAN_DIR COMPLETION_FILE
set -euo pipefail
noxtool=$1 man_dir=$2 completion=$3
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

help=$("$noxtool" --help)
commands=$(sed -n 's/^  \([a-z][a-z]*\) .*/\1/p' <<<"$help" | sort -u)
memo_words=$(sed -n 's/^  memo \([a-z][a-z]*\).*/\1/p' <<<"$help" | sort -u)
options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
alarm_minutes=$(sed -n 's/^ *MIN: //p' <<<"$help")
[[ -n $commands && -n $options && -n $alarm_minutes ]] || fail "cannot read the commands from noxtool --help"

# --- man page ----------------------------------------------------------------------
page=$(sed 's/\\-/-/g' "$man_dir/noxtool.1")
for c in $commands; do
    grep -Eq "^\.(B|BI|BR) \"?$c\b" <<<"$page" || fail "the man page has no entry for the command \"$c\""
done
for o in $options; do
    grep -q -- "$o" <<<"$page" || fail "the man page does not mention $o"
done
for m in $alarm_minutes; do
    grep -q "\b$m\b" <<<"$(grep -A6 -- '--alarm " MIN"' <<<"$page")" || fail "the man page omits alarm $m"
done
if command -v man >/dev/null; then
    for p in nox noxtool; do
        warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$man_dir/$p.1" 2>&1 >/dev/null)
        [[ -z $warnings ]] || fail "$p.1 formats with warnings: $warnings"
    done
else
    echo "skipped: formatting the man pages (man-db is not installed)"
fi

# --- bash completion -------------------------------------------------------------------
# shellcheck source=/dev/null
source "$completion"
complete_line() { # the candidates bash would offer for the words given
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _noxtool
    printf '%s\n' "${COMPREPLY[@]}" | sort -u
}
offered=$(complete_line noxtool '')
for c in $commands; do
    grep -qx "$c" <<<"$offered" || fail "\"noxtool <Tab>\" does not offer $c"
done
[[ $(complete_line noxtool memo '') == "$memo_words" ]] || fail "\"noxtool memo <Tab>\" offers other words than get, set, check"
offered_options=$(for c in '' $commands; do complete_line noxtool $c --; done | sort -u)
for o in $options; do
    grep -qx -- "$o" <<<"$offered_options" || fail "no command completes the option $o"
done
[[ $(complete_line noxtool add 2026-12-08 --alarm '' | sort -n | xargs) == "$(xargs -n1 <<<"$alarm_minutes" | sort -n | xargs)" ]] ||
    fail "--alarm completes other minutes than noxtool accepts ($alarm_minutes)"
[[ $(complete_line noxtool day '') == "$(date +%F)" ]] || fail "a DATE does not complete to today"

if ((failures > 0)); then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "man pages and completion cover: $(xargs <<<"$commands") / $(xargs <<<"$options")"
