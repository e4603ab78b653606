#!/usr/bin/env bash
# dist_test.sh BIN_DIR SERVER_DIR VERSION VERSION_HEADER
# Builds the package, installs it silently for the current user, checks what landed,
# runs the installed program unattended against the loopback server, uninstalls it and
# checks that no program file is left.
set -u
bin_dir=$1 server_dir=$2 version=$3 version_header=$4
root=$(cd "$(dirname "$0")/../.." && pwd)
TESSALY_ARCH=$("$root/tools/pe-arch" "$bin_dir/CorvaneTessaly.exe") || { echo "FAILED: no program in $bin_dir"; exit 1; }
export TESSALY_ARCH
source "$root/tools/wine-env"
failures=0
check() { # check DESCRIPTION COMMAND...
  if "${@:2}"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi
}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$root/tools/dist/make-dist" "$bin_dir" "$out" "$version_header" >/dev/null || { echo "FAILED: make-dist"; exit 1; }
check "zip holds the executable, README and licence" \
  bash -c "unzip -Z1 '$out/CorvaneTessaly-$version-$TESSALY_ARCH.zip' | sort | tr '\n' ' ' | grep -qx 'CorvaneTessaly.exe LICENSE.txt README.txt '"

user_dir="$WINEPREFIX/drive_c/users/$(id -un)"
app_dir="$user_dir/AppData/Local/Programs/Corvane Tessaly"
menu_dir="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Corvane Tessaly"
wab_dll="$WINEPREFIX/drive_c/Program Files/Common Files/System/wab32.dll"
standin_before=$(ls -la "$wab_dll" 2>/dev/null)

"$root/tools/winrun" "$out/CorvaneTessaly-$version-$TESSALY_ARCH-setup.exe" /S
check "installer exits 0" test $? -eq 0
check "program installed per user" test -f "$app_dir/CorvaneTessaly.exe"
check "uninstaller installed" test -f "$app_dir/Uninstall.exe"
check "Start menu shortcut" test -f "$menu_dir/Corvane Tessaly.lnk"

# The installed program synchronises from the loopback server like any other copy.
port=$(cat "$server_dir/port")
cp "$root/samples/contacts.csv" "$server_dir/data/dist-contacts.csv"
printf '[Corvane Tessaly]\r\nSource=http://127.0.0.1:%s/files/dist-contacts.csv?user=dist&pass=dist\r\nUser=dist\r\nPSW=dist\r\nFolder=Installed Contacts\r\nEmailClient=10\r\n' \
  "$port" > "$app_dir/CorvaneTessaly.ini"
export TESSALY_OUTLOOK_STORE="Z:${out//\//\\}\\outlook.journal"
"$root/tools/winrun" "$app_dir/CorvaneTessaly.exe" -a
check "installed program synchronises (-a exits 0)" test $? -eq 0
landed=$("$root/tools/winrun" "$bin_dir/outlookdump.exe" --dump | tr -d '\r' | grep -c '^contact')
check "the sample's 240 contacts landed" test "$landed" -eq 240
check "no download file left" test ! -e "$app_dir/CorvaneTessaly"

# The uninstaller copies itself away and returns at once; wait for its work, bounded.
"$root/tools/winrun" "$app_dir/Uninstall.exe" /S
for _ in $(seq 1 300); do
  [ -e "$app_dir" ] || [ -e "$menu_dir" ] || break
  sleep 0.1
done
check "no program files left" test ! -e "$app_dir"
check "no Start menu entries left" test ! -e "$menu_dir"
check "stand-ins untouched" test "$(ls -la "$wab_dll" 2>/dev/null)" = "$standin_before"

echo "dist: $([ $failures -eq 0 ] && echo passed || echo "$failures failed")"
exit $((failures > 0))
