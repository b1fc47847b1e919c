#!/usr/bin/env bash
# The demo, run inside the Wine harness (make demo): the product as a user gets it. The package is
# built and installed from its zip into an installation of the emulated host; the host is started
# as a user starts it, first for the first time, then for a working session with the controller
# (the simulated daemon). Every step says what it does and what shows that it worked; pictures go
# to <build>/demo/pictures and are copied to docs/pictures, where they are kept in git for the README
# and the user guide.
#
#   tools/demo.sh <build dir>
set -euo pipefail
build_dir=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
bin="$build_dir/bin"
wine=${KX_WINE:?run inside tools/wine-harness.sh}
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }
started=$(date +%s)

out="$build_dir/demo-run"
pictures="$out/pictures"
rm -rf "$out"
mkdir -p "$pictures" "$out/work"

steps=()
failed=0
step_number=0
step_failed=0
current=""
# Each step ends when the next one starts; it passed unless something in it failed or it was
# skipped.
end_step() {
  [ -n "$current" ] && [ $step_failed -eq 0 ] && steps+=("PASS  $current")
  current=""
  return 0
}
step() {
  end_step
  step_number=$((step_number + 1))
  step_failed=0
  echo
  echo "== Step $step_number: $* =="
  current="$step_number. $*"
}
fail_step() {
  echo "  FAILED: $*" >&2
  [ $step_failed -eq 0 ] && failed=$((failed + 1))
  step_failed=1
  steps+=("FAIL  $current: $*")
  return 1
}
skip_step() {
  echo "  skipped: $*"
  steps+=("SKIP  $current: $*")
  step_failed=1
}
# Prints the first journal line matching the pattern, shortened, as the step's evidence; fails the
# step when there is none.
evidence() {
  local journal=$1 pattern=$2 what=$3 line
  line=$(grep -m1 -E -- "$pattern" "$journal" 2>/dev/null || true)
  if [ -n "$line" ]; then
    echo "  $what: $(cut -c1-150 <<<"$line")"
    return 0
  fi
  fail_step "no $what in $(basename "$journal")"
}
picture() {
  if [ -f "$pictures/$1" ]; then
    echo "  picture: $pictures/$1"
  else
    fail_step "the picture $1 is missing"
  fi
}

# Ports of this run's own, so other runs on the machine cannot talk to this daemon.
base=$((20000 + ($$ * 7) % 30000))
export KX_HOST_NAV_PORT=$base KX_DAEMON_PORT=$((base + 1)) KX_DAEMON_CTRL_PORT=$((base + 2))
# Windows would give the host the system's language; Wine passes on the Unix LANG, which names
# none of the host's, so the catalogue's language is set as a user would set it.
export PRO_LANG=english

# From here on a failed step is recorded and the story goes on.
set +e

step "Build the package"
(cd "$build_dir" && cpack --config CPackConfig.cmake >"$out/cpack.log" 2>&1) ||
  fail_step "cpack failed, see $out/cpack.log"
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build_dir/CPackConfig.cmake")
zip="$build_dir/package/KorvexCreo-$version-win64.zip"
if [ -f "$zip" ] && (cd "$(dirname "$zip")" && sha256sum --quiet -c "$(basename "$zip").sha256"); then
  echo "  $zip ($(stat -c %s "$zip") bytes)"
  echo "  its SHA-256, checked: $(cut -d' ' -f1 "$zip.sha256")"
else
  fail_step "no package with a matching checksum at $zip"
fi

step "Install it from the zip into the host's installation"
# The emulated host installed as a user has it, with the controller's software beside it (the
# simulated daemon and its client library).
creo="$out/PTC/Creo 11.0.0.0/Common Files"
# The controller's folder on the path, as its installer leaves it: the plug-in (and the check)
# look for the controller's library beside the plug-in, in the system's folders and on the path.
export WINEPATH
WINEPATH=$(windows_path "$creo/bin")
mkdir -p "$creo/bin" "$creo/text/compiled_resource"
cp "$bin/creo_host.exe" "$bin/kx_host_api.dll" "$bin/kx_daemon.exe" "$bin/kvx_ctrlr_64.dll" \
  "$creo/bin/"
cp "$build_dir/text/compiled_resource/pro_default_resources.dll" \
  "$build_dir/text/compiled_resource/pro_default_german_resources.dll" \
  "$build_dir/text/compiled_resource/pro_default_french_resources.dll" "$creo/text/compiled_resource/"
cp "$build_dir/text/host_commands.txt" "$creo/text/"
mkdir -p "$out/download"
(cd "$out/download" && cmake -E tar xf "$zip")
package="$out/download/KorvexCreo-$version-win64"
echo "  unpacked to $package"
echo "  > install.cmd \"$(windows_path "$creo")\""
(cd "$package" && "$wine" cmd /c install.cmd "$(windows_path "$creo")" 2>&1 | tr -d '\r' | sed 's/^/  /')
registry="$creo/text/protk.dat"
if grep -q '^exec_file   C:\\Program Files\\KorvexCreo\\KorvexCreo.dll' "$registry" 2>/dev/null; then
  echo "  the registry file it wrote, $registry:"
  tr -d '\r' <"$registry" | sed 's/^/    /'
else
  fail_step "no registry entry in $registry"
fi

# The plug-in's folders under the Windows profile as the controller's installer leaves them: empty.
source "$root/tools/profile-folders.sh"
ini="$product/Applications/Creo_plugin.ini"
log="$product/Creo_plugin_log.txt"
escaped() { windows_path "$1" | sed 's/\\/\\\\/g'; }
# Starts the host from its installation, in the user's working folder, with a scenario of the
# user's actions; no registry file is named, the host finds the installed one.
run_host() {
  local name=$1
  shift
  sed -e "s|@DIR@|$(escaped "$root/demo")|g" -e "s|@WORK@|$(escaped "$out/work")|g" \
    -e "s|@PICTURES@|$(escaped "$pictures")|g" "$root/demo/$name.scn" >"$out/work/$name.scn"
  (cd "$out/work" && timeout -k 10 150 "$wine" "$creo/bin/creo_host.exe" \
    --commands "$(windows_path "$creo/text/host_commands.txt")" --scenario "$name.scn" \
    --journal "$name.jsonl" "$@" >"$out/work/$name.out" 2>&1)
  host_status=$?
  journal="$out/work/$name.jsonl"
  daemon_journal="$out/work/$name-daemon.jsonl"
}

step "Start the host for the first time"
# The host takes a picture of the plug-in's progress window once its bar is half full. The
# installation is made slow (each resource load 0.5 ms longer), as a real one on a network drive
# is: the build at the emulated host's size is over too soon for a picture otherwise.
run_host first_start --slow-resources 500 \
  --window-shot "$(windows_path "$pictures/01-first-start-progress.png")"
evidence "$journal" '"ev":"plugin_loaded"' "the host loaded the installed plug-in" &&
  evidence "$ini" 'logToFile' "the default settings file it wrote" >/dev/null &&
  evidence "$daemon_journal" '"ev":"register".*xtopCreo' "registered with the daemon" &&
  evidence "$daemon_journal" '"ev":"mode".*"Default"' "catalogue ready, mode announced"
[ $host_status -eq 0 ] || fail_step "the host ended with $host_status ($out/work/first_start.out)"
if [ -f "$product/Applications/Creo.mnu" ]; then
  echo "  the command catalogue $product/Applications/Creo.mnu: $(grep -a -c '{}' "$product/Applications/Creo.mnu") commands"
else
  fail_step "no command catalogue in $product/Applications"
fi

step "The progress window while the catalogue is built"
if grep -q '"ev":"window_shown".*"class":"MNUDlgClass"' "$journal"; then
  evidence "$journal" '"ev":"window_shown".*"class":"MNUDlgClass"' "the progress window" &&
    evidence "$journal" '"ev":"window_gone".*"class":"MNUDlgClass"' "gone after the build" &&
    picture 01-first-start-progress.png
else
  skip_step "the host saw no progress window (class MNUDlgClass); no picture"
fi

step "The \"Korvex\" menu beside \"Help\""
evidence "$journal" '"ev":"menu_add".*"Korvex"' "the menu" &&
  evidence "$journal" '"ev":"menu_state".*"Toggle Move Mode"' "Toggle Move Mode (an assembly only)" &&
  evidence "$journal" '"ev":"menu_state".*"Toggle Scroll Mode".*"checked":true' "Toggle Scroll Mode, on"

step "The user switches the log on in the settings file"
sed -i -E 's/^(\t(logToFile|creation|info|trace) += )off( *)/\1on \3/' "$ini"
if grep -q -E $'^\tlogToFile +=  *on' "$ini"; then
  echo "  $ini: logToFile, creation, info, trace = on"
else
  fail_step "the settings file has no logToFile line"
fi

step "Start the host again and work with the controller"
run_host at_work
daemon_journal="$out/work/daemon-1.jsonl"
evidence "$journal" '"ev":"plugin_started"' "the plug-in started" &&
  evidence "$daemon_journal" '"ev":"mode".*"Part"' "the daemon learnt the mode" &&
  picture 02-korvex-menu.png
[ $host_status -eq 0 ] || fail_step "the host ended with $host_status ($out/work/at_work.out)"

step "A button runs a host command; the undo history is kept"
evidence "$journal" '"ev":"command","name":"ProCmdEnvMdlDisp".*"route":"trail".*"undo":"kept"' \
  "the host ran it from the trail file"

step "A button sets a standard view (top)"
evidence "$journal" '"ev":"view_set"' "the view set" && picture 03-top-view.png

step "The cap turns the view"
evidence "$journal" '"ev":"nav","source":"udp","applied":true' "the host's navigation" &&
  picture 04-cap-turned-view.png

step "The cap scrolls the model tree under the pointer"
evidence "$journal" '"ev":"scroll","control":"tree","msg":"vscroll"' "the tree scrolled" &&
  picture 05-tree-before-scrolling.png && picture 06-tree-scrolled.png

step "The cap moves a selected component in the assembly (move mode on)"
evidence "$journal" '"ev":"placement_set","model":"engine.asm","component":6' "the component placed" &&
  echo "  its last placement (translation row): $(grep '"ev":"placement_set"' "$journal" | tail -1 |
    grep -o '\[[^][]*,1\]\]' | tr -d '[]')" &&
  picture 07-component-before-move.png && picture 08-component-moved.png

step "The daemon is killed and started again; the plug-in comes back"
evidence "$journal" '"ev":"daemon_kill"' "killed" &&
  evidence "$out/work/daemon-2.jsonl" '"ev":"register".*xtopCreo' "registered again" &&
  evidence "$out/work/daemon-2.jsonl" '"ev":"mode".*"Assembly"' "mode announced again" &&
  picture 09-after-daemon-restart.png

step "Stop"
evidence "$journal" '"ev":"plugin_stopped"' "the plug-in stopped" &&
  evidence "$journal" '"ev":"host_exit","exit_code":0,"faults":0' "the host ended cleanly"

step "The settings file and the log the user finds"
if [ -f "$ini" ] && [ -f "$log" ]; then
  cp "$ini" "$out/Creo_plugin.ini"
  tr -d '\r' <"$log" >"$out/Creo_plugin_log.txt"
  echo "  $ini:"
  tr -d '\r' <"$ini" | sed -n '1,20p' | cut -c1-100 | sed 's/^/    /'
  echo "    ..."
  echo "  $log ($(wc -l <"$out/Creo_plugin_log.txt") lines), some of them:"
  sed -n '1,5p' "$out/Creo_plugin_log.txt" | cut -c1-100 | sed 's/^/    /'
  grep -E 'Mapkey \(|Menu file|devIdx|Cap moving|Destructed' "$out/Creo_plugin_log.txt" | head -8 |
    cut -c1-130 | sed 's/^/    /'
else
  fail_step "no settings file or no log in $product"
fi

step "The user checks the set-up with check.cmd"
# The controller's service runs, as on the user's machine.
(cd "$out/work" && exec "$wine" "$creo/bin/kx_daemon.exe" --config "$(windows_path "$root/demo/kx_daemon_walkthrough.cfg")" \
  --journal daemon-check.jsonl >"$out/work/daemon-check.out" 2>&1) &
daemon_pid=$!
for _ in $(seq 1 300); do
  grep -q '"ev":"start"' "$out/work/daemon-check.jsonl" 2>/dev/null && break
  sleep 0.1
done
echo "  > check.cmd \"$(windows_path "$creo")\""
(cd "$package" && "$wine" cmd /c check.cmd "$(windows_path "$creo")" >"$out/check.txt" 2>&1)
check_status=$?
tr -d '\r' <"$out/check.txt" | sed 's/^/  /'
(exec 3<>"/dev/tcp/127.0.0.1/$KX_DAEMON_CTRL_PORT" && echo quit >&3) 2>/dev/null
wait $daemon_pid 2>/dev/null
if [ $check_status -ne 0 ] || ! grep -q '^0 FAIL, 0 WARN, ' <(tr -d '\r' <"$out/check.txt"); then
  fail_step "the check of the demo's installation is not all OK (exit status $check_status)"
fi

# The user guide shows the pictures from docs/pictures.
mkdir -p "$root/docs/pictures"
rm -f "$root/docs/pictures/"*.png
cp "$pictures/"*.png "$root/docs/pictures/" 2>/dev/null || true

end_step
elapsed=$(($(date +%s) - started))
echo
echo "================================ Demo summary ================================"
printf '%s\n' "${steps[@]}"
echo
echo "Package:   $zip (+ .sha256)"
printf 'Installed: %s\\text\\protk.dat -> C:\\Program Files\\KorvexCreo\n' "$(windows_path "$creo")"
echo "Pictures:  $pictures (copied to docs/pictures for docs/user-guide.md)"
echo "Journals:  $out/work/*.jsonl"
echo "Settings:  $out/Creo_plugin.ini   Log: $out/Creo_plugin_log.txt   Check: $out/check.txt"
echo "Took ${elapsed} s; $failed step(s) failed."
[ $failed -eq 0 ]
