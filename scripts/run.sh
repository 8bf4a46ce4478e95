#!/usr/bin/env bash
# Installs what is missing, builds tarnovell and starts it from a program
# folder of its own, run/ in this checkout (ignored by git). Its Data, Hist
# and tarnovell.cfg stay there between runs; only the executable is renewed.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "tarnovell is a desktop program and needs a desktop session:" >&2
  echo "neither DISPLAY nor WAYLAND_DISPLAY is set. Run this command in a terminal of your desktop." >&2
  exit 1
fi

bash scripts/install-deps.sh
# Ninja reconfigures by itself when a CMake file changed; a new build folder
# is configured once here.
[ -f build/build.ninja ] || cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target tarnovell

folder="$PWD/run"
mkdir -p "$folder"
cmp -s build/Source/tarnovell "$folder/tarnovell" || cp build/Source/tarnovell "$folder/tarnovell"

# The first configuration, as an installation writes it: no password and
# the language of the user's locale.
cfg="$folder/tarnovell.cfg"
if [ ! -e "$cfg" ]; then
  case "${LC_ALL:-${LC_MESSAGES:-${LANG:-}}}" in
    ru*) lang=RUS ;;
    uk*) lang=UKR ;;
    *) lang=ENG ;;
  esac
  printf '[Security]\r\nPassword=7E2B4A19\r\n\r\n[Language]\r\nProgLang=%s\r\n' "$lang" > "$cfg"
fi

exec "$folder/tarnovell" "$@"
