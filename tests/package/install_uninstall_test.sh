#!/usr/bin/env bash
# The package's install.cmd and uninstall.cmd under Wine, run from the installed package against a
# host installation in a folder with blanks and parentheses, as "Program Files (x86)" has them:
# what they write, keep, refuse and remove, and that the host then loads the plug-in. Run inside the
# Wine harness (ctest does):  install_uninstall_test.sh <build dir>
set -euo pipefail
build_dir=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
wine=${KX_WINE:?run inside tools/wine-harness.sh}
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

tmp=$(mktemp -d /tmp/kx_package_test.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
package="$tmp/download/KorvexCreo"
cmake --install "$build_dir" --prefix "$package" >/dev/null
host="$tmp/PTC/Creo 11 (test)/Common Files"
mkdir -p "$host/text/compiled_resource" "$host/bin"
cp "$build_dir/bin/creo_host.exe" "$build_dir/bin/kx_host_api.dll" "$host/bin/"
target="$tmp/Plug-ins (x86)/Korvex Creo"
registry="$host/text/protk.dat"
backup="$registry.before-korvex"

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Runs install.cmd or uninstall.cmd of a package folder; sets $code and $output.
setup() {
  local script=$1 from=$2
  shift 2
  local args=()
  for a in "$@"; do args+=("$(windows_path "$a")"); done
  set +e
  (cd "$tmp" && "$wine" cmd /c "$(windows_path "$from/$script.cmd")" "${args[@]}" >"$tmp/output" 2>&1)
  code=$?
  set -e
  output=$(tr -d '\r' <"$tmp/output")
}
expect_code() { [ "$code" = "$1" ] || fail "$2: exit code $code, not $1; output: $output"; }
expect_output() { grep -q -F -- "$1" <<<"$output" || fail "$2: output lacks '$1': $output"; }
block() {
  printf '# KorvexCreo: added by install.cmd, removed by uninstall.cmd\r\n'
  printf 'name        KorvexCreo\r\nstartup     dll\r\n'
  printf 'exec_file   %s\\KorvexCreo.dll\r\n' "$(windows_path "$target")"
  printf 'text_dir    %s\\text\r\n' "$(windows_path "$target")"
  printf 'allow_stop  TRUE\r\nend\r\n'
}
installed_files=(KorvexCreo.dll text/usascii/Korvex.txt LICENSE.txt)

# 0. The package's text files have Windows line ends on every line.
for file in install.cmd uninstall.cmd USER-GUIDE.md LICENSE.txt protk.dat.template Creo_plugin.ini.default; do
  if [ ! -s "$package/$file" ] || grep -q -v $'\r$' "$package/$file"; then
    fail "case 0: $file is missing or has a line without CR LF"
  fi
done
grep -q -F "$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")" \
  "$package/USER-GUIDE.md" || fail "case 0: USER-GUIDE.md does not name the package's version"

# 1. No host installation at the folder given: refused, nothing written.
setup install "$package" "$tmp/nowhere" "$target"
expect_code 2 "case 1"
expect_output "no Creo installation at \"$(windows_path "$tmp/nowhere")\"" "case 1"
[ ! -e "$target" ] || fail "case 1: the plug-in folder was created"

# 2. A package without its message file: refused, nothing written.
cp -r "$package" "$tmp/broken"
rm "$tmp/broken/text/usascii/Korvex.txt"
setup install "$tmp/broken" "$host" "$target"
expect_code 4 "case 2"
expect_output "the package is incomplete" "case 2"
{ [ ! -e "$target" ] && [ ! -e "$registry" ]; } || fail "case 2: something was written"

# 3. A fresh installation: the files and a registry file with absolute paths.
setup install "$package" "$host" "$target"
expect_code 0 "case 3"
for file in "${installed_files[@]}"; do
  cmp -s "$package/$file" "$target/$file" || fail "case 3: $file was not copied"
done
cmp -s <(block) "$registry" || fail "case 3: protk.dat differs: $(cat -A "$registry")"
[ ! -e "$backup" ] || fail "case 3: a copy was kept of a file that did not exist"

# 4. The host started from its installation finds the registry file and loads the plug-in; while
# it runs, the plug-in's file is in use and neither install nor uninstall changes anything.
source "$root/tools/profile-folders.sh"
mkdir -p "$tmp/work"
journal="$tmp/work/journal.jsonl"
(cd "$tmp/work" && exec "$wine" "$host/bin/creo_host.exe" --journal journal.jsonl --max-ms 120000 \
  >"$tmp/work/host.out" 2>&1) &
host_pid=$!
for _ in $(seq 1 600); do
  grep -q '"ev":"plugin_started"' "$journal" 2>/dev/null && break
  kill -0 $host_pid 2>/dev/null || break
  sleep 0.1
done
grep -q '"ev":"plugin_started","name":"KorvexCreo"' "$journal" || fail "case 4: the host started no plug-in"
cp "$registry" "$tmp/registry.running"
setup uninstall "$package" "$host" "$target"
expect_code 5 "case 4, uninstall"
expect_output "close it first" "case 4, uninstall"
setup install "$package" "$host" "$target"
expect_code 5 "case 4, install"
cmp -s "$registry" "$tmp/registry.running" || fail "case 4: protk.dat changed while the host ran"
for file in "${installed_files[@]}"; do
  [ -f "$target/$file" ] || fail "case 4: $file went while the host ran"
done
# The user closes the host's window.
"$wine" taskkill /im creo_host.exe >/dev/null 2>&1 || true
set +e
wait $host_pid
host_code=$?
set -e
[ $host_code -eq 0 ] || fail "case 4: the host ended with $host_code: $(cat "$tmp/work/host.out")"
grep -q '"ev":"plugin_stopped","name":"KorvexCreo"' "$journal" || fail "case 4: the plug-in was not stopped"
grep -q '"ev":"plugin_loaded".*KorvexCreo.dll' "$journal" || fail "case 4: the host loaded no plug-in"
grep -q '"ev":"label","key":"Korvex".*"source":"message_file"' "$journal" ||
  fail "case 4: the menu's label did not come from the installed message file"
settings="$product/Applications/Creo_plugin.ini"
[ -f "$settings" ] || fail "case 4: the plug-in wrote no settings file"
cmp -s "$settings" "$package/Creo_plugin.ini.default" ||
  fail "case 4: the package's Creo_plugin.ini.default differs from the default file the plug-in wrote"
echo "kept" >"$product/Creo_plugin_log.txt"
cp "$settings" "$tmp/settings.before"

# 5. Uninstalling removes the registry file it wrote and the plug-in folder; settings and log stay.
setup uninstall "$package" "$host" "$target"
expect_code 0 "case 5"
[ ! -e "$registry" ] || fail "case 5: protk.dat is still there"
[ ! -e "$target" ] || fail "case 5: the plug-in folder is still there: $(ls -R "$target")"
cmp -s "$settings" "$tmp/settings.before" || fail "case 5: the settings file changed"
[ "$(cat "$product/Creo_plugin_log.txt")" = kept ] || fail "case 5: the log changed"
expect_output "Your settings and log" "case 5"

# 6. The user's own registry file (no line end at its end): kept as a copy, its entry stays.
own=$'# my tools\r\nname        MyTool\r\nstartup     dll\r\nexec_file   C:\\tools\\my.dll\r\nend'
printf '%s' "$own" >"$registry"
setup install "$package" "$host" "$target"
expect_code 0 "case 6"
expect_output "protk.dat.before-korvex" "case 6"
cmp -s <(printf '%s\r\n' "$own"; block) "$registry" || fail "case 6: protk.dat: $(cat -A "$registry")"
cmp -s <(printf '%s' "$own") "$backup" || fail "case 6: the kept copy differs"

# 7. Installing again replaces the installer's entry and leaves the kept copy alone.
setup install "$package" "$host" "$target"
expect_code 0 "case 7"
cmp -s <(printf '%s\r\n' "$own"; block) "$registry" || fail "case 7: protk.dat: $(cat -A "$registry")"
cmp -s <(printf '%s' "$own") "$backup" || fail "case 7: the kept copy differs"

# 8. Uninstalling gives the user's file back byte for byte.
setup uninstall "$package" "$host" "$target"
expect_code 0 "case 8"
cmp -s <(printf '%s' "$own") "$registry" || fail "case 8: protk.dat: $(cat -A "$registry")"
[ ! -e "$backup" ] || fail "case 8: the kept copy is still there"
[ ! -e "$target" ] || fail "case 8: the plug-in folder is still there"

# 9. A registry file edited after the installation: only the installer's entry goes.
setup install "$package" "$host" "$target"
added=$'name        Other\r\nstartup     dll\r\nexec_file   C:\\o.dll\r\nend\r\n'
printf '%s' "$added" >>"$registry"
setup uninstall "$package" "$host" "$target"
expect_code 0 "case 9"
cmp -s <(printf '%s\r\n%s' "$own" "$added") "$registry" || fail "case 9: protk.dat: $(cat -A "$registry")"
[ -e "$backup" ] || fail "case 9: the kept copy was removed although the file had changed"
expect_output "changed after the installation" "case 9"
mv "$backup" "$registry"

# 10. A registry file that already names an application KorvexCreo: refused, nothing changed.
mine=$'name KorvexCreo\r\nstartup dll\r\nexec_file C:\\mine\\KorvexCreo.dll\r\nend\r\n'
printf '%s' "$mine" >"$registry"
setup install "$package" "$host" "$target"
expect_code 3 "case 10"
expect_output "already registers an application named KorvexCreo (line 1)" "case 10"
cmp -s <(printf '%s' "$mine") "$registry" || fail "case 10: protk.dat changed"
{ [ ! -e "$backup" ] && [ ! -e "$target" ]; } || fail "case 10: something was written"

# 11. Without arguments both scripts explain themselves and change nothing.
setup uninstall "$package" </dev/null
expect_code 1 "case 11"
expect_output "usage: install.cmd" "case 11"

if [ $failures -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "install and uninstall: passed"
