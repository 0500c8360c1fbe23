# Shared by scripts/test-windows, scripts/screenshot-windows and
# scripts/package-windows (sourced, not run): packages, the MinGW-w64 build,
# the packing of the programs and their installer, a Wine prefix in the
# Japanese locale, an X display and the writer simulator.

windows_packages=(g++-mingw-w64-x86-64-posix wine64 wine googletest locales
                  xvfb xauth xdotool imagemagick fonts-vlgothic zip wixl msitools)

# install_windows_packages [package...]: those given, or all of the above.
install_windows_packages() {
  local missing=() package wanted=("$@")
  [ ${#wanted[@]} -eq 0 ] && wanted=("${windows_packages[@]}")
  for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run as root:  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

windows_jobs=$(( $(nproc) < 2 ? $(nproc) : 2 ))

# build_windows DIR BUILD_TYPE [cmake options...] -- [targets...]
build_windows() {
  local dir=$1 type=$2 options=() targets=()
  shift 2
  while [ $# -gt 0 ] && [ "$1" != -- ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  targets=("$@")
  echo "== build $dir" >&2
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" "${options[@]}" >/dev/null
  ninja -C "$dir" -j"$windows_jobs" "${targets[@]}"
}

# stage_windows_programs TREE STAGE: the three programs of a build tree, stripped,
# into STAGE; refuses a program that needs a DLL not part of Windows itself.
stage_windows_programs() {
  local tree=$1 stage=$2 exe dlls
  local windows_dlls='^(KERNEL32|USER32|GDI32|COMCTL32|comdlg32|SHELL32|ADVAPI32|msvcrt)\.dll$'
  mkdir -p "$stage"
  for exe in morvik-card-writer.exe morvik-card-line.exe morvik-card.exe; do
    x86_64-w64-mingw32-strip -o "$stage/$exe" "$tree/bin/$exe"
    dlls=$(x86_64-w64-mingw32-objdump -p "$stage/$exe" | sed -n 's/^\s*DLL Name: //p')
    if echo "$dlls" | grep -Ev "$windows_dlls"; then
      echo "$exe needs a DLL that is not part of Windows (above)" >&2
      exit 1
    fi
    echo "$exe imports: $(echo $dlls)" >&2
  done
}

product_version=$(sed -n 's/^project(.* VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")

# name_guid TEXT: a GUID made from TEXT (MD5, name-based): the same text
# gives the same GUID on every machine.
name_guid() {
  local hash
  hash=$(printf '%s' "$1" | md5sum | cut -c1-32)
  hash=${hash^^}
  printf '%s-%s-3%s-%X%s-%s\n' "${hash:0:8}" "${hash:8:4}" "${hash:13:3}" \
    $(( (16#${hash:16:1} & 3) | 8 )) "${hash:17:3}" "${hash:20:12}"
}

# build_msi STAGE MSI: the installer of the programs in STAGE, from
# packaging/windows/morvik-card-writer.wxs. Each version has a product code
# of its own, made from the version, so that a later one replaces it and the
# same one rebuilt is the same product. wixl leaves the File table's version
# and language empty and hashes the files as if unversioned: the table is
# completed to agree with the programs' version resources, which Windows
# Installer compares when it replaces a file.
build_msi() {
  local stage=$1 msi=$2
  cp "$root/app/win32/app_icon.ico" "$stage/"
  (cd "$stage" && wixl -a x64 -D Version="$product_version" \
     -D ProductCode="$(name_guid "MOBILE Morvik IC Card Writer $product_version")" \
     -D Stage=. -D Icon=app_icon.ico -o "$msi" "$root/packaging/windows/morvik-card-writer.wxs")
  rm -f "$stage/app_icon.ico"
  msibuild "$msi" -q "UPDATE File SET Version='$product_version.0.0', Language='1041'" \
    -q "DROP TABLE MsiFileHash"
  # The package's language, as the product's (wixl writes 1033).
  msibuild "$msi" -s "MOBILE Morvik IC Card Writer $product_version" Morvik "x64;1041"
}

# The Linux simulator, only its target: in the package's tree when scripts/test
# has made it, else in the ordinary release tree.
build_simulator() {
  local tree=build/release
  if [ -f build/package/build.ninja ]; then
    tree=build/package
  else
    cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  echo "== build $tree (morvik-writer-sim)" >&2
  ninja -C "$tree" -j"$windows_jobs" morvik-writer-sim
  sim=$root/$tree/bin/morvik-writer-sim
}

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine || echo wine)

sim_pids=()
xvfb_pid=
cleanup_windows() {
  local pid
  for pid in "${sim_pids[@]}" $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  for pid in "${sim_pids[@]}" $xvfb_pid; do wait "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}

# Japanese Windows, as the operators' PCs run it: the prefix is made, and
# every program in it runs, with LANG=ja_JP.UTF-8 (LC_ALL unset), so that
# Windows' ANSI and OEM code pages are 932. Wine takes the Windows locale from
# the Unix one and falls back to English (code page 1252, arguments cut to
# ASCII) when glibc lacks it: the locale is compiled into $work (under a
# second), the system's locales stay as they are.
use_japanese_locale() {
  export LOCPATH=$work/locale
  mkdir -p "$LOCPATH"
  localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >"$work/localedef.log" 2>&1 ||
    { cat "$work/localedef.log" >&2; exit 1; }
  unset LC_ALL LC_CTYPE LC_MESSAGES
  export LANG=ja_JP.UTF-8
}

# A fresh prefix in $work, started outside any test runner with its output in
# files: Wine's background services would otherwise hold the runner's pipes.
# One wineserver stays up for the whole run (a new one rewrites com1).
# "MS UI Gothic", the window's font, is not part of Wine: VL PGothic stands in.
# Wine's menu builder stays off: it would turn a Start menu entry into a
# desktop entry in the home folder of the Linux user.
start_wine() {
  use_japanese_locale
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  mkdir -p "$WINEPREFIX"
  echo "== wine prefix $WINEPREFIX (Japanese: code page 932)" >&2
  wineserver -p >/dev/null 2>&1
  wineboot -i </dev/null >"$work/wineboot.log" 2>&1
  wine reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' >"$work/codepage.out" 2>&1
  if [ "$(tr -d '\r' <"$work/codepage.out" | awk '$1 == "ACP" || $1 == "OEMCP" { print $3 }' | sort -u)" != 932 ]; then
    cat "$work/codepage.out" >&2
    echo "the Wine prefix's code pages are not 932" >&2
    exit 1
  fi
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /t REG_SZ \
    /d 'VL PGothic' /f >>"$work/wineboot.log" 2>&1
  dosdevices=$WINEPREFIX/dosdevices
}

# An X display of its own for the window; before start_wine, whose desktop
# process keeps the display it was started with.
start_display() {
  local display_file=$work/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$display_file")
}

# start_sim NAME [options...]: a simulator serving COM7 in $work/NAME; sets
# writer_tty and silent_tty (its COM1, a port that never answers).
start_sim() {
  local name=$1 ready=
  shift
  mkdir -p "$work/$name"
  "$sim" --port-dir "$work/$name" --com 7 --silent-com 1 "$@" \
    >"$work/$name.out" 2>"$work/$name.err" &
  sim_pids+=($!)
  for _ in $(seq 50); do grep -q '^ready' "$work/$name.out" 2>/dev/null && break; sleep 0.1; done
  read -r ready _ writer_tty <"$work/$name.out" || true
  if [ "${ready:-}" != ready ]; then
    echo "morvik-writer-sim did not start:" >&2
    cat "$work/$name.err" >&2
    exit 1
  fi
  silent_tty=$(readlink "$work/$name/COM1")
}

# map_com N TTY: Wine opens TTY for COMn (read at every open). Wine's own com1
# (/dev/ttyS0, a real port of this machine) is replaced, so the host's line is
# never touched. An empty TTY removes the port.
map_com() {
  if [ -n "$2" ]; then ln -sfn "$2" "$dosdevices/com$1"; else rm -f "$dosdevices/com$1"; fi
}

# window_id CAPTION_REGEX SECONDS: the visible window with that title, waited
# for. Each search is tried again until the time is up: xdotool ends a search
# with an X error when a window it is looking at goes away meanwhile (the
# desktop's windows come and go as programs start and end).
window_id() {
  local end=$((SECONDS + $2)) id
  while :; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ $SECONDS -ge $end ] && return 1
    sleep 0.2
  done
}

# wait_gone CAPTION_REGEX SECONDS: until no visible window has that title.
wait_gone() {
  local end=$((SECONDS + $2))
  while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

# keys WINDOW KEY...: keyboard input to a window (Xvfb has no window manager,
# so the window is given the focus, not activated).
keys() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window" key --delay 50 "$@"
}
