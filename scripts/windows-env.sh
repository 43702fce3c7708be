# shellcheck shell=bash
# Shared by the Windows scripts: installs what building and running Corvana
# under Wine needs, quietly and only when missing, and makes the Japanese
# locale. Where the kernel runs 32-bit programs it also installs the 32-bit
# Wine (wine32, i386 architecture), so the 32-bit release runs too.
# Source it; it defines corvana_runs_32bit, corvana_install_packages,
# corvana_make_locale, corvana_start_xvfb and corvana_find_window.

CORVANA_PACKAGES="cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix googletest libcli11-dev wine wine64 \
xvfb xdotool xclip fonts-ipafont-gothic fp-utils imagemagick x11-apps locales zip unzip python3"

# Succeeds when this machine runs 32-bit (i386) Linux programs, which the
# 32-bit Wine needs; otherwise sets CORVANA_NO_32BIT_REASON and fails.
# CORVANA_NO_32BIT=1 forces the answer no. The probe is a 96-byte i386 ELF
# program, written here, whose only work is exit(42).
corvana_runs_32bit() {
  if [ "${CORVANA_NO_32BIT:-}" = 1 ]; then
    CORVANA_NO_32BIT_REASON="CORVANA_NO_32BIT=1 is set"
    return 1
  fi
  local probe status=0
  probe=$(mktemp "${TMPDIR:-/tmp}/corvana-i386-probe.XXXXXX") || {
    CORVANA_NO_32BIT_REASON="no temporary file for the 32-bit probe"
    return 1
  }
  {
    # ELF header: 32-bit, little-endian, executable, i386, entry 0x08048054,
    # one program header at offset 52.
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'
    printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000'
    printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000'
    # Program header: the whole file loaded read+execute at 0x08048000.
    printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010'
    printf '\140\000\000\000\140\000\000\000\005\000\000\000\000\020\000\000'
    # mov ebx, 42; mov eax, 1 (exit); int 0x80
    printf '\273\052\000\000\000\270\001\000\000\000\315\200'
  } >"$probe"
  chmod 700 "$probe"
  # The braces keep the shell's own "Segmentation fault" line quiet too.
  { "$probe"; } 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ] && return 0
  CORVANA_NO_32BIT_REASON="this kernel does not run 32-bit (i386) programs (probe exit status $status, expected 42)"
  return 1
}

# Installs the packages above and any named; with CORVANA_32BIT=1 (set by
# the caller from corvana_runs_32bit) also the 32-bit Wine beside wine64.
# When the 32-bit Wine cannot be installed (a mirror whose i386 index is
# broken), installs the rest and sets CORVANA_32BIT=0 and
# CORVANA_NO_32BIT_REASON, so the caller goes on with the 64-bit build.
corvana_install_packages() {
  local here
  here=$(dirname "${BASH_SOURCE[0]}")
  if [ "${CORVANA_32BIT:-0}" = 1 ]; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      local sudo=""
      [ "$(id -u)" -ne 0 ] && sudo="sudo"
      echo "Adding the i386 architecture for the 32-bit Wine"
      $sudo dpkg --add-architecture i386
    fi
    # shellcheck disable=SC2086
    "$here/install-packages.sh" $CORVANA_PACKAGES wine32:i386 "$@" && return 0
    CORVANA_32BIT=0
    CORVANA_NO_32BIT_REASON="apt could not install the 32-bit Wine (wine32:i386); its message is above"
  fi
  # shellcheck disable=SC2086
  "$here/install-packages.sh" $CORVANA_PACKAGES "$@"
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
# waiting up to $1 times 0.2 s; prints nothing when it never does. With $2,
# a window whose name matches that pattern instead, and with $3, one other
# than window $3 (a second Corvana, the help viewer).
corvana_find_window() {
  local pattern=${2:-'^Corvana Ver\.1\.2a$'} other=${3:-none} window=""
  for _ in $(seq 1 "$1"); do
    window=$(xdotool search --name "$pattern" 2>/dev/null | grep -vx "$other" | head -1 || true)
    [ -n "$window" ] && break
    sleep 0.2
  done
  echo "$window"
}
