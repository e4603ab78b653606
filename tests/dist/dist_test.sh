#!/usr/bin/env bash
# dist_test.sh BIN_DIR SERVER_DIR VERSION VERSION_HEADER
# Builds the packages, installs each silently for the current user, checks what landed,
# runs the installed program unattended against the loopback server, uninstalls it and
# checks that nothing is left. The Windows Installer package is installed with the
# README's command as written, refused a bad value, upgraded and uninstalled.
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
local_data="$user_dir/AppData/Local/CorvaneTessaly"
check "the run made the program's local data folder" test -d "$local_data"

# The uninstaller copies itself away and returns at once; wait for its work, bounded.
# A killed run's partial download goes too.
printf 'partial' > "$app_dir/CorvaneTessaly.part"
"$root/tools/winrun" "$app_dir/Uninstall.exe" /S
for _ in $(seq 1 300); do
  [ -e "$app_dir" ] || [ -e "$menu_dir" ] || break
  sleep 0.1
done
check "no program files left" test ! -e "$app_dir"
check "no local data left" test ! -e "$local_data"
check "no Start menu entries left" test ! -e "$menu_dir"
check "stand-ins untouched" test "$(ls -la "$wab_dll" 2>/dev/null)" = "$standin_before"

# --- The Windows Installer package -------------------------------------------------
msi="CorvaneTessaly-$version-$TESSALY_ARCH.msi"
task_file="$WINEPREFIX/drive_c/windows/tasks/CorvaneTessaly-{A871514B-ACE7-4c29-BC9A-D9627D7AACB1}.job"
msiexec() { (cd "$out" && "$root/tools/winrun" msiexec "$@"); }
# Add/Remove entries of the product. Windows keeps a per-user one under HKCU; Wine keeps
# every one under HKLM, and one process is all this check may cost.
arp_text() {
  "$root/tools/winrun" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null | tr -d '\r'
}
arp_entries() { arp_text | grep -c 'DisplayName.*REG_SZ.*Corvane Tessaly$'; }
ini_text() { tr -d '\r' < "$app_dir/CorvaneTessaly.ini"; }

check "package marks the password hidden and keeps the settings command out of the log" \
  bash -c "msiinfo export '$out/$msi' Property | grep -q \$'^MsiHiddenProperties\\tPSW' &&
           msiinfo export '$out/$msi' CustomAction | grep -q \$'^WriteSettings\\t9234\\t'"

template=$([ "$TESSALY_ARCH" = win64 ] && echo x64 || echo Intel)
check "package's platform is $template" bash -c "msiinfo suminfo '$out/$msi' | grep -qx 'Template: $template;1033'"

# The administrators' command exactly as the README gives it, but for this build's package.
readme_line=$(grep -m1 '^msiexec /i CorvaneTessaly-' "$root/README.md")
eval "set -- ${readme_line#msiexec }"
[ "$1" = /i ] && shift && shift
msiexec /i "$msi" "$@"
check "README's quiet install exits 0" test $? -eq 0
check "program installed per user" test -f "$app_dir/CorvaneTessaly.exe"
check "Start menu shortcut" test -f "$menu_dir/Corvane Tessaly.lnk"
arp=$(arp_text)
check "one Add/Remove entry" test "$(grep -c 'DisplayName.*REG_SZ.*Corvane Tessaly$' <<<"$arp")" -eq 1
names_version_and_publisher() {
  grep -q "DisplayVersion.*REG_SZ.*$version\$" <<<"$arp" && grep -q 'Publisher.*REG_SZ.*Corvane$' <<<"$arp"
}
check "Add/Remove entry names version and publisher" names_version_and_publisher
expected_ini=$(printf '%s\n' '[Corvane Tessaly]' 'Source=https://intranet.example/contacts.csv' 'User=sync' \
  'PSW=secret' 'Folder=Company Contacts' 'EmailClient=10' 'Interval=1' 'StartTime=07:30:00' '')
check "settings file holds exactly the given values" test "$(ini_text)" = "$expected_ini"
task=$("$root/tools/winrun" "$bin_dir/taskdump.exe" | tr -d '\r')
installed_exe='C:\users\'"$(id -un)"'\AppData\Local\Programs\Corvane Tessaly\CorvaneTessaly.exe'
check "task runs the installed copy" grep -qxF "application=$installed_exe" <<<"$task"
check "task passes -a" grep -qx 'parameters=-a' <<<"$task"
check "task runs daily at 07:30" grep -qx 'trigger=type 1 every 1 days at 07:30' <<<"$task"

# The installed copy synchronises (pointed at the loopback server by its own switch) into
# an empty store. Exit code 0 means every contact was saved: the NSIS part above counted them.
"$root/tools/winrun" "$app_dir/CorvaneTessaly.exe" -s \
  "Source=http://127.0.0.1:$port/files/dist-contacts.csv?user=sync&pass=secret" "Folder=Deployed Contacts"
check "-s rewrites the link" test $? -eq 0
export TESSALY_OUTLOOK_STORE="Z:${out//\//\\}\\deployed.journal"
"$root/tools/winrun" "$app_dir/CorvaneTessaly.exe" -a
check "installed program synchronises (-a exits 0)" test $? -eq 0

# As a killed run would leave them: the uninstall takes them too.
printf 'partial' > "$app_dir/CorvaneTessaly"
printf 'partial' > "$app_dir/CorvaneTessaly.part"
check "the run made the program's local data folder" test -d "$local_data"
msiexec /x "$msi" /qn
check "quiet uninstall exits 0" test $? -eq 0
check "no program files left" test ! -e "$app_dir"
check "no local data left" test ! -e "$local_data"
check "no Start menu entry left" test ! -e "$menu_dir"
check "no Add/Remove entry left" test "$(arp_entries)" -eq 0
check "no scheduled task left" test ! -e "$task_file"

# Refused values: one the package itself checks, one only the program refuses (so the
# files are already copied and must be rolled back).
for bad in EMAILCLIENT=40 REMOVELIMIT=101 STARTTIME=12:99:00; do
  msiexec /i "$msi" /qn SOURCE=http://127.0.0.1/x "$bad"
  check "install with $bad fails" test $? -ne 0
  check "install with $bad leaves no program files" test ! -e "$app_dir"
  check "install with $bad leaves no Add/Remove entry" test "$(arp_entries)" -eq 0
done

# An upgrade from the same package built with a lower version keeps the settings file.
old_header="$out/version-old.h"
sed 's/^#define TESSALY_VERSION_TEXT ".*"$/#define TESSALY_VERSION_TEXT "0.1"/' "$version_header" > "$old_header"
mkdir "$out/old"
"$root/tools/dist/make-dist" "$bin_dir" "$out/old" "$old_header" >/dev/null || echo "FAILED: make-dist of the older version"
(cd "$out/old" && "$root/tools/winrun" msiexec /i "CorvaneTessaly-0.1-$TESSALY_ARCH.msi" /qn USER=kept FOLDER="Kept Contacts")
check "older version installs" test $? -eq 0
msiexec /i "$msi" /qn INTERVAL=3
check "newer version installs over it" test $? -eq 0
check "upgrade keeps the settings file and adds the new value" \
  bash -c "grep -qx 'User=kept' <<<'$(ini_text)' && grep -qx 'Folder=Kept Contacts' <<<'$(ini_text)' && grep -qx 'Interval=3' <<<'$(ini_text)'"
check "upgrade leaves one Add/Remove entry" test "$(arp_entries)" -eq 1
msiexec /x "$msi" /qn
check "no program files left after the upgrade's uninstall" test ! -e "$app_dir"

echo "dist: $([ $failures -eq 0 ] && echo passed || echo "$failures failed")"
exit $((failures > 0))
