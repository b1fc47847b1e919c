#!/usr/bin/env bash
# The package's check.cmd and report.cmd under Wine against one host installation, installed with
# install.cmd, with the simulated daemon running: the good state, then each broken state in turn
# (made, checked, mended), each finding with its remedy and the exit status. Run inside the Wine
# harness (ctest does):  check_test.sh <build dir>
set -euo pipefail
build_dir=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/../.." && pwd)
wine=${KX_WINE:?run inside tools/wine-harness.sh}
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

tmp=$(mktemp -d /tmp/kx_check_test.XXXXXX)
daemon_pid=""
stop_daemon() {
  [ -n "$daemon_pid" ] || return 0
  (exec 3<>"/dev/tcp/127.0.0.1/$KX_DAEMON_CTRL_PORT" && echo quit >&3) 2>/dev/null || true
  wait "$daemon_pid" 2>/dev/null || true
  daemon_pid=""
}
trap 'stop_daemon; rm -rf "$tmp"' EXIT
package="$tmp/download/KorvexCreo"
cmake --install "$build_dir" --prefix "$package" >/dev/null
host="$tmp/PTC/Creo 11 (test)/Common Files"
mkdir -p "$host/text/compiled_resource"
target="$tmp/Korvex Creo"
(cd "$tmp" && "$wine" cmd /c "$(windows_path "$package/install.cmd")" "$(windows_path "$host")" \
  "$(windows_path "$target")" >"$tmp/install.out" 2>&1) || { cat "$tmp/install.out"; exit 1; }
# The controller's software as its installer leaves it: the client library beside the plug-in.
cp "$build_dir/bin/kvx_ctrlr_64.dll" "$target/"
source "$root/tools/profile-folders.sh"
apps="$product/Applications"
sed 's/$/\r/' "$build_dir/tests/plugin/profile/Creo_plugin.ini" >"$apps/Creo_plugin.ini"
sed 's/$/\r/' "$root/tests/plugin/profile/Creo.mnu" | head -c -2 >"$apps/Creo.mnu"

base=$((20000 + ($$ * 7) % 30000))
export KX_DAEMON_PORT=$((base + 1)) KX_DAEMON_CTRL_PORT=$((base + 2)) KX_HOST_NAV_PORT=$base
printf '[device 0]\ndescription = Korvex SpaceCap (check)\n' >"$tmp/daemon.cfg"
start_daemon() {
  (cd "$tmp" && exec "$wine" "$build_dir/bin/kx_daemon.exe" --config "$(windows_path "$tmp/daemon.cfg")" \
    --journal daemon.jsonl >"$tmp/daemon.out" 2>&1) &
  daemon_pid=$!
  for _ in $(seq 1 300); do
    grep -q '"ev":"start"' "$tmp/daemon.jsonl" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "the daemon did not start: $(cat "$tmp/daemon.out")" >&2
  exit 1
}
start_daemon

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Runs check.cmd or report.cmd of the package, or (a Wine process less) the setup tool itself.
run() {
  local how=$1 command
  case $how in
    check.cmd | report.cmd) command=(cmd /c "$(windows_path "$package/$how")") ;;
    *) command=("$(windows_path "$package/KorvexCreoSetup.exe")" "$how") ;;
  esac
  set +e
  (cd "$tmp" && "$wine" "${command[@]}" "$(windows_path "$host")" >"$tmp/output" 2>&1)
  code=$?
  set -e
  output=$(tr -d '\r' <"$tmp/output")
}
registry="$host/text/protk.dat"
ini="$apps/Creo_plugin.ini"
# Out of the check's current folder, which the system's search for a library would take.
mkdir -p "$tmp/aside"
# Each row: how to break the set-up, how to mend it, the exit status, and a line the output must
# hold (status, finding and remedy, as a pattern).
breaks=(
  ":"
  "mv '$registry' '$tmp/protk.dat'; printf 'name Other\\r\\nstartup dll\\r\\nexec_file C:\\\\o.dll\\r\\nend\\r\\n' >'$registry'"
  "cp '$registry' '$tmp/protk.dat'; sed -i 's|KorvexCreo.dll|kvx_ctrlr_64.dll|' '$registry'"
  "mv '$target/text/usascii/Korvex.txt' '$tmp/'"
  "mv '$target/kvx_ctrlr_64.dll' '$tmp/aside/'"
  "stop_daemon"
  "cp '$ini' '$tmp/ini'; sed -i 's/^\\trotSensBase  /\\trotSensBase:/' '$ini'"
  "cp '$apps/Creo.mnu' '$tmp/mnu'; head -c 400 '$tmp/mnu' >'$apps/Creo.mnu'"
  "cp '$ini' '$tmp/ini'; sed -i 's/^\\(\\tlogToFile *= \\)on /\\1off/' '$ini'"
)
mends=(
  ":"
  "mv '$tmp/protk.dat' '$registry'"
  "mv '$tmp/protk.dat' '$registry'"
  "mv '$tmp/Korvex.txt' '$target/text/usascii/'"
  "mv '$tmp/aside/kvx_ctrlr_64.dll' '$target/'"
  "start_daemon"
  "mv '$tmp/ini' '$ini'"
  "mv '$tmp/mnu' '$apps/Creo.mnu'"
  "mv '$tmp/ini' '$ini'"
)
codes=(0 6 6 6 6 6 6 6 0)
expected=(
  "^0 FAIL, 0 WARN, [0-9]+ OK$"
  "^FAIL  .*text.protk.dat has no entry named KorvexCreo\. Remedy: run install\.cmd again"
  "^FAIL  The plug-in file .*kvx_ctrlr_64\.dll cannot be the plug-in: it has no entry point user_initialize\. Remedy: run install\.cmd"
  "^FAIL  The message file .*usascii.Korvex\.txt is not there: .* Remedy: run install\.cmd"
  "^FAIL  The plug-in would find no kvx_ctrlr_64\.dll\. Remedy: install the controller's software"
  "^FAIL  The controller's daemon does not answer .* Remedy: start the controller's software"
  "^FAIL  Settings file .* cannot be read as a whole \\(Parameter 'rotSensBase' in section 'PROGRAM' not found! .*\\): at the next start every key falls back to its default \\(.*logToFile.*\\) .* Remedy: correct or add those lines"
  "^FAIL  The menu file .*Creo\.mnu is cut off or damaged .* Remedy: close Creo and delete the file"
  "^WARN  File logging is off; the log file would be .*Creo_plugin_log\.txt.* Remedy: set logToFile"
)
for i in "${!breaks[@]}"; do
  eval "${breaks[$i]}"
  if [ "$i" -eq 0 ]; then run check.cmd; else run check; fi
  [ "$code" = "${codes[$i]}" ] || fail "row $i: exit status $code, not ${codes[$i]}"
  grep -q -E -- "${expected[$i]}" <<<"$output" || fail "row $i: no line matching '${expected[$i]}' in:
$output"
  # A broken state fails in one finding; the rest of the set-up still reads as it is.
  got=$(grep -c -E '^FAIL  ' <<<"$output" || true)
  [ "$got" = "$((codes[i] == 0 ? 0 : 1))" ] || fail "row $i: $got findings FAIL:
$output"
  eval "${mends[$i]}"
done
run check
good=$output
grep -q -F "Device 0: Korvex SpaceCap (check)." <<<"$good" || fail "the good state names no device: $good"
grep -q '"app":"xtopCreo"' "$tmp/daemon.jsonl" && fail "the check registered as the plug-in"
grep -q '"ev":"register".*"app":"KorvexCreoCheck"' "$tmp/daemon.jsonl" ||
  fail "the daemon saw no registration of the check"

# The report: one file on the desktop with the check and the user's files, and where it is.
run report.cmd
[ "$code" = 0 ] || fail "report: exit status $code: $output"
report_windows=$(sed -n 's/^Wrote the report to "\(.*\)" (.*/\1/p' <<<"$output")
report_file=$("$wine" winepath -u "$report_windows" 2>/dev/null | tr -d '\r')
if [ -z "$report_windows" ] || [ ! -f "$report_file" ]; then
  fail "report: no file where it says: $output"
else
  text=$(tr -d '\r' <"$report_file")
  for piece in "$good" "===== Settings file: " $'\tlogToFile               = on' \
    "===== Registry entry: " "exec_file $(windows_path "$target")\\KorvexCreo.dll" \
    "===== Menu file, its first lines: " "[Modes]" "===== Log, its end: "; do
    grep -q -F -- "$piece" <<<"$text" || fail "report: it lacks '$piece'"
  done
  rm -f "$report_file"
fi

if [ $failures -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "check and report: passed"
