#!/bin/sh
# Installed entry of a Tumbrelix program: the game reads data/ and levels/
# relative to its working directory, so the launcher enters the share directory
# after making the user's paths (a map, the map tool's files, --level FILE,
# --shots DIR) absolute.
name=$(basename "$0")
here=$(cd "$(dirname "$0")" && pwd)
share="$here/../share/tumbrelix"
program="$here/../lib/tumbrelix/$name"

absolute() {
  case "$1" in
    /*) printf '%s' "$1" ;;
    *) printf '%s/%s' "$PWD" "$1" ;;
  esac
}

if [ "$name" = tumbrelix ]; then
  if [ $# -ge 1 ]; then
    map=$(absolute "$1")
    shift
  else
    map=levels/default.map
  fi
  set -- "$map" "$@"
elif [ "$name" = tumbrelix-map ]; then
  # The first word is the command (print, check); every later one is a map file.
  count=$#
  if [ "$count" -gt 0 ]; then
    command=$1
    shift
    count=$((count - 1))
    set -- "$@" "$command"
    while [ "$count" -gt 0 ]; do
      set -- "$@" "$(absolute "$1")"
      shift
      count=$((count - 1))
    done
  fi
else
  count=$#
  while [ "$count" -gt 0 ]; do
    arg=$1
    shift
    count=$((count - 1))
    case "$arg" in
      --level|--shots)
        if [ "$count" -gt 0 ]; then
          set -- "$@" "$arg" "$(absolute "$1")"
          shift
          count=$((count - 1))
          continue
        fi ;;
    esac
    set -- "$@" "$arg"
  done
fi
cd "$share" || { echo "$name: cannot enter $share" >&2; exit 1; }
exec "$program" "$@"
