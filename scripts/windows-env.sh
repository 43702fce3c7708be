# Shared by the Windows scripts: installs what building and running Corvana
# under Wine needs, quietly and only when missing, and makes the Japanese
# locale. Never installs wine32: this machine runs 64-bit Wine only.
# Source it; it defines corvana_install_packages, corvana_make_locale and
# corvana_start_xvfb.

CORVANA_PACKAGES="cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest wine wine64 \
xvfb xdotool xclip fonts-ipafont-gothic fp-utils imagemagick x11-apps locales"

corvana_install_packages() {
  "$(dirname "${BASH_SOURCE[0]}")/install-packages.sh" $CORVANA_PACKAGES "$@"
}

corvana_make_locale() {
  locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$' && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
    echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
}

# Starts Xvfb on a free display; sets DISPLAY and CORVANA_XVFB_PID.
corvana_start_xvfb() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  CORVANA_XVFB_PID=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}

# Prints the id of Corvana's main window once it has appeared on $DISPLAY,
# waiting up to $1 times 0.2 s; prints nothing when it never does.
corvana_find_window() {
  local window=""
  for _ in $(seq 1 "$1"); do
    window=$(xdotool search --name '^Corvana Ver\.1\.2a$' 2>/dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  echo "$window"
}
