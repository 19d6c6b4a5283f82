# shellcheck shell=bash
# Sourced by the run and test scripts (and wine-env.sh): makes sure the
# character type is UTF-8 before any build or Wine process starts.
#
# Wine maps Windows file names to Unix ones through the code page of the
# Unix locale. With no locale set, as in most containers, that is ASCII, and
# every path holding "ț" or "ă" (the test folders do) cannot be created. A
# locale that is already UTF-8 is left alone; otherwise only LC_CTYPE is set
# (LC_ALL when the caller has set it, since it would override LC_CTYPE), so
# the user's language for messages is kept. C.UTF-8 ships with Debian's libc;
# any other installed UTF-8 locale will do.

lw_is_utf8() {
  [[ $(locale charmap 2>/dev/null) == UTF-8 ]]
}

lw_use_utf8_locale() {
  command -v locale >/dev/null || return 0
  lw_is_utf8 && return 0
  local all pick=
  all=$(locale -a 2>/dev/null)
  pick=$(grep -m1 -ix 'C\.utf-\?8' <<<"$all") ||
    pick=$(grep -m1 -ix 'en_US\.utf-\?8' <<<"$all") ||
    pick=$(grep -m1 -i '\.utf-\?8$' <<<"$all") || pick=
  if [[ -z $pick ]]; then
    echo "warning: no UTF-8 locale is installed (see 'locale -a'); Wine cannot" \
         "name files with non-ASCII letters" >&2
    return 0
  fi
  if [[ -n ${LC_ALL:-} ]]; then
    export LC_ALL=$pick
  else
    export LC_CTYPE=$pick
  fi
  lw_is_utf8 || echo "warning: the locale $pick did not give UTF-8 file names" >&2
}

lw_use_utf8_locale
