#!/usr/bin/env bash
# Runs one scenario with the plug-in inside the emulated host and the simulated daemon, then checks
# what the scenario's own steps cannot see: the plug-in's log and the host journal after the stop.
# Run inside the Wine harness (ctest does):
#   tools/run-plugin-scenario.sh <build dir> <scenario file>
#
# Besides the host's scenario steps, the scenario file may hold check lines:
#   #log: <text>             the plug-in's log holds the text, after the previous #log: match
#   #log-none: <text>        the plug-in's log never holds the text
#   #journal: <text>         the host journal holds the text (checked after the host has stopped)
#   #journal-none: <text>    the host journal never holds the text
#   #log-count: <n> <text>   the plug-in's log holds the text on exactly n lines
#   #absent: <file>          the plug-in's Applications folder has no such file after the run
#   #work-absent: <file>     the host's working folder (the run's folder) has no such file after
#                            the run
#   #ini: <key> = <value>    the settings file the plug-in rewrote at the stop gives the key the
#                            value (checked after the host has stopped)
#   #compare: <file> <expected>  the file of the plug-in's Applications folder is byte for byte the
#                            expected file (checked after the host has stopped)
# and set-up lines, read before the host starts:
#   #daemon: <file>          the daemon is started with this configuration file of the scenario's
#                            folder before the scenario's steps and told to quit after them
#   #menu-file: none         start without "Creo.mnu" in the profile (a first start)
#   #host: uninstalled       run a copy of the host's programs from a folder outside any
#                            installation (no text\compiled_resource above it)
#   #host: no-controller-library  as uninstalled, without the controller library beside the
#                            plug-in
#   #plant: <file>           the build folder's file is copied into the host's working folder
#   #set-ini: <key> = <value>  the profile's settings file gives the key this value
#   #host-option: <option> [<value>...]  one more option on the host's command line
#   #env: <NAME>=<value>     the host runs with this environment variable; an empty value unsets it.
#                            PRO_LANG and LANG choose the catalogue's language, LC_ALL the locale
#                            (and so the ANSI code page) Wine gives the host.
# Before the host starts, the runner leaves a stale "korvex-trail.txt" in the temporary folder, with
# a command the host does not know, so a replay of a trail file the run did not write shows.
# "@DIR@" in the scenario stands for the scenario's folder, "@WORK@" for the folder of this run's
# files (journals, log copy, screenshots), "@BUILD@" for the build folder, all as Windows paths;
# in check lines "@BUILD@" and "@DIR@" (in #compare lines) are Unix paths.
# KX_SCENARIO_LIMIT_S bounds the host's run (default 300 s); a host stopped there is a failure, and
# a daemon the scenario left running is told to quit.
set -euo pipefail
build_dir=$(cd "$1" && pwd)
scenario_dir=$(cd "$(dirname "$2")" && pwd)
scenario=$scenario_dir/$(basename "$2")
here=$(cd "$(dirname "$0")" && pwd)
# The menu file every scenario's profile starts from; its settings file is made by the build.
profile_files=$here/../tests/plugin/profile
name=$(basename "$scenario" .scn)
# Whatever step fails, the run says which: a runner that ends without a word costs a rerun to find out.
trap 'echo "$name: the runner stopped at line $LINENO ($BASH_COMMAND), exit code $?" >&2' ERR
wine=${KX_WINE:?run inside tools/wine-harness.sh}
windows_path() { local p="Z:$1"; echo "${p//\//\\}"; }

work="$build_dir/scenario-runs/$name"
rm -rf "$work"
mkdir -p "$work"

# The plug-in's folders under the Windows profile, as the controller's installer leaves them, with
# file logging and the trace and debug entries on.
source "$here/profile-folders.sh" || { echo "$name: the profile folders could not be laid out" >&2; exit 1; }
ini="$product/Applications/Creo_plugin.ini"
sed 's/$/\r/' "$build_dir/tests/plugin/profile/Creo_plugin.ini" >"$ini"
# A key's value as the settings file reads: between "=" and the comment, without the padding.
ini_value() { sed -n "s/^[[:space:]]*$1[[:space:]]*=[[:space:]]*\([^#]*\).*/\1/p" "$2" | tr -d '\r' | sed 's/[[:space:]]*$//'; }
while IFS= read -r line; do
  setting=${line#"#set-ini: "}
  key=${setting%%=*}
  key=${key%% *}
  value=${setting#*=}
  value=${value# }
  grep -q "^[[:space:]]*${key}[[:space:]]*=" "$ini" ||
    { echo "$name: the settings file has no key '$key' to set" >&2; exit 1; }
  sed -i "s/^\([[:space:]]*${key}[[:space:]]*=[[:space:]]*\)[^#]*/\1$(printf '%-52s' "$value")/" "$ini"
done < <(grep '^#set-ini: ' "$scenario" || true)
# The menu file as the plug-in writes it: CR LF line ends, none after the final single space.
if ! grep -q -x -F '#menu-file: none' "$scenario"; then
  sed 's/$/\r/' "$profile_files/Creo.mnu" | head -c -2 >"$product/Applications/Creo.mnu"
fi
log="$product/Creo_plugin_log.txt"
# A trail file left by an earlier run, with a command the host does not know: a plug-in that
# replayed the file without writing it first would run that and fail the scenario.
temp_unix="$profile_unix/Temp"
if [ -d "$temp_unix" ]; then
  # shellcheck disable=SC2016 # the backquotes are the trail file's own
  printf '!trail file version No. 1500\r\n~ Command `ProCmdStaleTrailOfAnEarlierRun`;\r\n' \
    >"$temp_unix/korvex-trail.txt"
fi

host_bin="$build_dir/bin"
copy_dir=""
host_kind=$(sed -n 's/^#host: //p' "$scenario")
if [ -n "$host_kind" ]; then
  copy_dir=$(mktemp -d /tmp/kx_uninstalled_host.XXXXXX)
  trap 'rm -rf "$copy_dir"' EXIT
  host_bin="$copy_dir/bin"
  mkdir -p "$host_bin"
  for file in creo_host.exe kx_host_api.dll KorvexCreo.dll kx_daemon.exe kvx_ctrlr_64.dll; do
    [ "$host_kind/$file" = no-controller-library/kvx_ctrlr_64.dll ] && continue
    cp "$build_dir/bin/$file" "$host_bin/"
  done
fi
while IFS= read -r line; do
  cp "$build_dir/${line#"#plant: "}" "$work/"
done < <(grep '^#plant: ' "$scenario" || true)

cat >"$work/protk.dat" <<REG
name        KorvexCreo
startup     dll
exec_file   $(windows_path "$host_bin/KorvexCreo.dll")
text_dir    $(windows_path "$build_dir/text")
allow_stop  TRUE
end
REG
# The opening and closing every scenario shares, so that it states only what it is about: the
# plug-in started before its steps and no fault after them; with "#daemon: <configuration file>" the
# daemon started with that file (in the scenario's folder) and registered before, told to quit after.
opening=("expect ev=plugin_started name=KorvexCreo")
closing=("expect-none ev=fault")
daemon_config=$(sed -n 's/^#daemon: *//p' "$scenario" | tr -d '\r')
if [ -n "$daemon_config" ]; then
  opening+=("daemon-start --config @DIR@\\$daemon_config"
    "wait-until daemon within 20000 ev=register app=xtopCreo")
  closing+=("daemon quit")
fi
escaped() { windows_path "$1" | sed 's/\\/\\\\/g'; }
{ printf '%s\n' "${opening[@]}"; cat "$scenario"; echo; printf '%s\n' "${closing[@]}"; } |
  sed -e "s|@DIR@|$(escaped "$(dirname "$scenario")")|g" -e "s|@WORK@|$(escaped "$work")|g" \
    -e "s|@BUILD@|$(escaped "$build_dir")|g" >"$work/$name.scn"
# The host names lines of the run's scenario; these name the scenario file's own.
renumbered() {
  awk -v n=${#opening[@]} -v file="$name.scn" '{
    if (match($0, file ":[0-9]+:")) {
      line = substr($0, RSTART + length(file) + 1, RLENGTH - length(file) - 2) - n
      where = line > 0 ? file ":" line ":" : file " (the runner'"'"'s opening):"
      $0 = substr($0, 1, RSTART - 1) where substr($0, RSTART + RLENGTH)
    }
    print
  }'
}
journal="$work/journal.jsonl"

# Ports of this run's own, so runs of other checkouts on the machine cannot talk to this daemon.
base=$((20000 + ($$ * 7) % 30000))
export KX_HOST_NAV_PORT=$base KX_DAEMON_PORT=$((base + 1)) KX_DAEMON_CTRL_PORT=$((base + 2))

# The host's own commands: those of its installation's resource DLLs.
commands=()
[ -f "$build_dir/text/host_commands.txt" ] &&
  commands=(--commands "$(windows_path "$build_dir/text/host_commands.txt")")
# A window of another thread the plug-in shows is photographed into the run's folder.
host_options=(--window-shot "$(windows_path "$work/thread_window.png")")
while IFS= read -r line; do
  read -r -a words <<<"${line#"#host-option: "}"
  host_options+=("${words[@]}")
done < <(grep '^#host-option: ' "$work/$name.scn" || true)
environment=()
while IFS= read -r line; do
  setting=${line#"#env: "}
  if [ -z "${setting#*=}" ]; then
    environment+=(-u "${setting%%=*}")
  else
    environment+=("$setting")
  fi
done < <(grep '^#env: ' "$scenario" || true)

limit=${KX_SCENARIO_LIMIT_S:-300}
run_host() {
  (cd "$work" && timeout -k 10 "$limit" env "${environment[@]}" "$wine" "$host_bin/creo_host.exe" \
    --registry "$(windows_path "$work/protk.dat")" --scenario "$(windows_path "$work/$name.scn")" \
    --journal "$(windows_path "$journal")" --max-ms 240000 "${commands[@]}" "${host_options[@]}") \
    2> >(renumbered >&2)
}
# The host opens its journal first thing; a failed run without one is Wine failing to start the
# program (it happens rarely on a loaded machine), not the scenario failing, and nothing has been
# touched yet, so it is started again.
for try in 1 2 3; do
  status=0
  run_host || status=$?
  [ $status -eq 0 ] || [ -s "$journal" ] && break
  echo "$name: Wine did not start the host (exit code $status, no journal; try $try of 3)" >&2
  [ "$try" -lt 3 ] && sleep 3
done

failures=0
fail() { echo "$name: $*" >&2; failures=$((failures + 1)); }
if [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; then
  fail "the host did not end within $limit s and was stopped"
  # The daemon is a process of its own; only this run's control port reaches it.
  (exec 3<>"/dev/tcp/127.0.0.1/$KX_DAEMON_CTRL_PORT" && echo quit >&3) 2>/dev/null || true
elif [ "$status" -ne 0 ]; then
  fail "the host ended with exit code $status"
fi
[ -f "$journal" ] || { fail "the host wrote no journal at $journal"; touch "$journal"; }
[ -f "$log" ] || { fail "the plug-in wrote no log at $log"; touch "$log"; }
tr -d '\r' <"$log" >"$work/plugin_log.txt"
[ -f "$product/Applications/Creo.mnu" ] && cp "$product/Applications/Creo.mnu" "$work/Creo.mnu"

line_number=0
log_from=1
while IFS= read -r line || [ -n "$line" ]; do
  line_number=$((line_number + 1))
  case "$line" in
    "#log: "*)
      text=${line#"#log: "}
      found=$(tail -n +"$log_from" "$work/plugin_log.txt" | grep -n -F -m1 -- "$text" | cut -d: -f1 || true)
      if [ -z "$found" ]; then
        fail "line $line_number: the log has no '$text' after line $log_from"
      else
        log_from=$((log_from + found))
      fi
      ;;
    "#log-none: "*)
      text=${line#"#log-none: "}
      grep -q -F -- "$text" "$work/plugin_log.txt" && fail "line $line_number: the log holds '$text'"
      ;;
    "#journal: "*)
      text=${line#"#journal: "}
      grep -q -F -- "$text" "$journal" || fail "line $line_number: the host journal has no '$text'"
      ;;
    "#log-count: "*)
      rest=${line#"#log-count: "}
      count=${rest%% *}
      text=${rest#* }
      got=$(grep -c -F -- "$text" "$work/plugin_log.txt" || true)
      [ "$got" -eq "$count" ] || fail "line $line_number: the log holds '$text' $got times, not $count"
      ;;
    "#compare: "*)
      rest=${line#"#compare: "}
      file=${rest%% *}
      expected=${rest#* }
      expected=${expected//@BUILD@/$build_dir}
      expected=${expected//@DIR@/$scenario_dir}
      if [ ! -f "$product/Applications/$file" ]; then
        fail "line $line_number: the profile has no $file"
      elif ! cmp -s "$product/Applications/$file" "$expected"; then
        cp "$product/Applications/$file" "$work/$file"
        fail "line $line_number: $file differs from $expected ($(cmp "$work/$file" "$expected" | head -1))"
      fi
      ;;
    "#ini: "*)
      setting=${line#"#ini: "}
      key=${setting%%=*}
      key=${key%% *}
      value=${setting#*=}
      value=${value# }
      got=$(ini_value "$key" "$ini")
      [ "$got" = "$value" ] || fail "line $line_number: the settings file gives $key '$got', not '$value'"
      ;;
    "#absent: "*)
      file=${line#"#absent: "}
      [ ! -e "$product/Applications/$file" ] || fail "line $line_number: the profile holds $file"
      ;;
    "#work-absent: "*)
      file=${line#"#work-absent: "}
      [ ! -e "$work/$file" ] || fail "line $line_number: the host's working folder holds $file"
      ;;
    "#journal-none: "*)
      text=${line#"#journal-none: "}
      grep -q -F -- "$text" "$journal" && fail "line $line_number: the host journal holds '$text'"
      ;;
  esac
done <"$scenario"

echo "--- host journal summary ---"
"$wine" "$build_dir/bin/creo_host.exe" --summary "$(windows_path "$journal")" | tr -d '\r' || true
if [ $failures -ne 0 ]; then
  echo "--- last lines of the plug-in log ---" >&2
  tail -n 40 "$work/plugin_log.txt" >&2
  exit 1
fi
echo "$name: passed"
