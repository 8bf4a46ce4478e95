#!/usr/bin/env bash
# Installs Tarnovell with the setup wizard in each language, starts the
# program from its menu entry and uninstalls it, as a user would, on a
# virtual X screen (needs xvfb and xdotool; xprop when present), with a
# screenshot of each step:
#   tools/SetupShots/setup_e2e.sh <build folder> <screenshot folder>
# HOME and the XDG folders point into a temporary folder, reached through a
# symbolic link as many homes are.
set -euo pipefail
if [ "${1:-}" != inner ]; then
  build=$(realpath "$1")
  shots=$(realpath -m "$2")
  mkdir -p "$shots"
  base=$(mktemp -d)
  mkdir "$base/real"
  ln -s "$base/real" "$base/home"
  home="$base/home"
  exec env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_RUNTIME_DIR="$home/run" xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" inner "$build" "$shots"
fi
build=$2
shots=$3
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
folder="$HOME/Tarnovell"
# The program's title names the folder it finds itself in, links resolved.
shown=$(realpath -m "$folder")

shot() { sleep 0.7; "$build/tools/SetupShots/screen_shot" "$shots/$1.png"; echo "shot $1"; }
window() { xdotool search --sync --onlyvisible --name "$1" | tail -1; }
# Presses keys in the window (focused first: there is no window manager).
press() { xdotool windowfocus "$1"; sleep 0.3; shift; xdotool key "$@"; sleep 0.5; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.4; }
# Runs the Exec line of a desktop entry in its Path, as a launcher does.
launch() {
  python3 - "$1" <<'PY'
import os, subprocess, sys
keys = {}
section = None
for line in open(sys.argv[1], encoding="utf-8"):
    line = line.rstrip("\n")
    if line.startswith("["):
        section = line
    elif section == "[Desktop Entry]" and "=" in line:
        k, v = line.split("=", 1)
        keys[k] = v
def unescape(v):
    out, i = "", 0
    while i < len(v):
        if v[i] == "\\" and i + 1 < len(v):
            out += {"s": " ", "n": "\n", "t": "\t", "r": "\r"}.get(v[i + 1], v[i + 1]); i += 2
        else:
            out += v[i]; i += 1
    return out
exec_line, args, cur, quoted, i = unescape(keys["Exec"]), [], "", False, 0
while i < len(exec_line):
    c = exec_line[i]
    if quoted and c == "\\" and i + 1 < len(exec_line):
        cur += exec_line[i + 1]; i += 2; continue
    if c == '"':
        quoted = not quoted
    elif c == " " and not quoted:
        if cur: args.append(cur); cur = ""
    elif c == "%" and i + 1 < len(exec_line) and exec_line[i + 1] == "%":
        cur += "%"; i += 1
    else:
        cur += c
    i += 1
if cur: args.append(cur)
subprocess.Popen(args, cwd=unescape(keys.get("Path", ".")) or None)
PY
}

tags=(eng rus ukr)
for lang in 0 1 2; do
  tag=${tags[$lang]}
  "$build/tvSetup/tvSetup" &
  setup=$!
  w=$(window "software installation")
  # The language list: focus it, then step down to the language.
  click "$w" 372 146
  xdotool key Escape
  for ((i = 0; i < lang; i++)); do xdotool key --window "$w" Down; done
  shot "$tag-1-language"
  click "$w" 462 368; shot "$tag-2-licence"
  click "$w" 462 368; shot "$tag-3-folder"
  click "$w" 462 368; shot "$tag-4-summary"
  click "$w" 462 368
  if [ "$lang" -gt 0 ]; then
    c=$(window "$(case $lang in 1) echo "Подтверждение";; 2) echo "Підтвердження";; esac)")
    shot "$tag-5-overwrite"
    click "$c" 137 181
  fi
  shot "$tag-6-installed"
  if [ "$lang" -eq 0 ]; then
    # Exit with "Launch Tarnovell after install" checked starts the program.
    click "$w" 543 368
    wait "$setup"
    p=$(window "Tarnovell - $shown")
    shot "eng-7-started-after-setup"
    xdotool windowclose "$p" 2>/dev/null || xdotool key --window "$p" alt+F4
    sleep 1
  else
    xdotool mousemove --window "$w" 266 288 click 1   # clear the launch box
    click "$w" 543 368
    wait "$setup"
  fi
done

desktop-file-validate "$XDG_DATA_HOME/applications/Tarnovell/Tarnovell.desktop" \
  "$XDG_DATA_HOME/applications/Tarnovell/Uninstall.desktop" "$HOME/Desktop/Tarnovell.desktop"
launch "$XDG_DATA_HOME/applications/Tarnovell/Tarnovell.desktop"
p=$(window "Tarnovell - $shown")
shot "program-from-menu-entry"
# The entries' StartupWMClass names this class; the icon is set.
if command -v xprop >/dev/null; then
  xprop -id "$p" WM_CLASS
  xprop -id "$p" _NET_WM_ICON | head -c 60; echo
fi
mkdir -p "$folder/Data" "$folder/Hist"
echo goods > "$folder/Data/keep.txt"

launch "$XDG_DATA_HOME/applications/Tarnovell/Uninstall.desktop"
u=$(window "Видалення програми Tarnovell")
shot "uninstall-1-question"
press "$u" Return
sleep 3
u=$(window "Видалення програми Tarnovell")
shot "uninstall-2-configuration"
press "$u" Tab Return
sleep 1
u=$(window "Видалення програми Tarnovell")
shot "uninstall-3-done"
press "$u" Return
sleep 1
echo "left in the folder:"; ls -A "$folder"
echo "menu group:"; ls -A "$XDG_DATA_HOME/applications" || true
echo "desktop:"; ls -A "$HOME/Desktop" || true
echo "submenu:"; ls -A "$XDG_CONFIG_HOME/menus/applications-merged" "$XDG_DATA_HOME/desktop-directories" 2>&1 || true
echo "registry:"; cat "$XDG_CONFIG_HOME/tarnovell/registry" 2>&1 || true
